#include "LessonHistory.h"

#include "common/Settings.h"

#include <QFileInfo>

namespace {

const QString LastKey = QStringLiteral("lessons/last");
const QString RecentKey = QStringLiteral("lessons/recent");

} // namespace

QString LessonHistory::last() const
{
    return programSettings().value(LastKey).toString();
}

QStringList LessonHistory::recent() const
{
    return programSettings().value(RecentKey).toStringList();
}

void LessonHistory::chose(const QString &file)
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
    values.setValue(RecentKey, files.mid(0, MostRecent));
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
