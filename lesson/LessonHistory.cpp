#include "LessonHistory.h"

#include "common/Settings.h"

#include <QFileInfo>

namespace {

const QString LastKey = QStringLiteral("lessons/last");
const QString RecentKey = QStringLiteral("lessons/recent");
const QString TitlesKey = QStringLiteral("lessons/titles");

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

void LessonHistory::chose(const QString &file, const QString &title)
{
    // Kept whole, so that the lesson is found again from any working folder.
    const QString path = file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
    QSettings values = programSettings();
    values.setValue(LastKey, path);
    if (path.isEmpty())
        return;
    QStringList files = recent();
    files.removeAll(path);
    files.prepend(path);
    files = files.mid(0, MostRecent);
    values.setValue(RecentKey, files);
    // Only the recent lessons' titles are kept.
    const QVariantMap known = values.value(TitlesKey).toMap();
    QVariantMap titles;
    for (const QString &recent : std::as_const(files))
        titles.insert(recent, recent == path ? QVariant(title) : known.value(recent));
    values.setValue(TitlesKey, titles);
}

void LessonHistory::forget(const QString &file)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    QSettings values = programSettings();
    QStringList files = recent();
    files.removeAll(path);
    values.setValue(RecentKey, files);
    if (last() == path)
        values.remove(LastKey);
}
