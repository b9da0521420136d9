#include "LessonHistory.h"

#include "common/Settings.h"

#include <QFileInfo>

namespace {

const QString LastKey = QStringLiteral("lessons/last");
const QString RecentKey = QStringLiteral("lessons/recent");
const QString TitlesKey = QStringLiteral("lessons/titles");
const QString MissingKey = QStringLiteral("lessons/missing");

// Kept whole, so that the lesson is found again from any working folder.
QString whole(const QString &file)
{
    return file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
}

// A list read back as written: an empty list is kept as no value at all, since QSettings
// writes it as an invalid value that no program reads back as a list.
void setList(QSettings &values, const QString &key, const QStringList &list)
{
    if (list.isEmpty())
        values.remove(key);
    else
        values.setValue(key, list);
}

} // namespace

QString LessonHistory::last() const
{
    return programSettings().value(LastKey).toString();
}

QStringList LessonHistory::recent() const
{
    return programSettings().value(RecentKey).toStringList();
}

QString LessonHistory::title(const QString &file) const
{
    return programSettings().value(TitlesKey).toMap().value(file).toString();
}

bool LessonHistory::isMissing(const QString &file) const
{
    return programSettings().value(MissingKey).toStringList().contains(whole(file));
}

void LessonHistory::chose(const QString &file, const QString &title)
{
    const QString path = whole(file);
    QSettings values = programSettings();
    values.setValue(LastKey, path);
    if (path.isEmpty())
        return;
    QStringList files = recent();
    files.removeAll(path);
    files.prepend(path);
    files = files.mid(0, MostRecent);
    setList(values, RecentKey, files);
    // Only the recent lessons' titles and marks are kept.
    const QVariantMap known = values.value(TitlesKey).toMap();
    QVariantMap titles;
    for (const QString &recent : std::as_const(files))
        titles.insert(recent, recent == path ? QVariant(title) : known.value(recent));
    values.setValue(TitlesKey, titles);
    QStringList missing = values.value(MissingKey).toStringList();
    missing.removeAll(path);
    missing.removeIf([&files](const QString &gone) { return !files.contains(gone); });
    setList(values, MissingKey, missing);
}

void LessonHistory::notFound(const QString &file)
{
    const QString path = whole(file);
    QSettings values = programSettings();
    if (last() == path)
        values.remove(LastKey);
    if (!recent().contains(path))
        return;
    QStringList missing = values.value(MissingKey).toStringList();
    if (!missing.contains(path))
        setList(values, MissingKey, missing << path);
}
