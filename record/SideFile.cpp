#include "SideFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSaveFile>

namespace {

QString pattern(const QString &recordPath)
{
    return QFileInfo(recordPath).fileName() + QStringLiteral(".waiting-*.json");
}

QString lockOf(const QString &sidePath)
{
    return sidePath + QStringLiteral(".lock");
}

// The entries of a side file, and the lines that hold none. Before one entry a line,
// a side file was one JSON array: it is read whole.
void readEntries(const QByteArray &text, std::vector<RecordEntry> &read, QByteArrayList &bad)
{
    for (const QByteArray &line : text.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        const QJsonDocument document = QJsonDocument::fromJson(line);
        const QJsonArray objects = document.isArray() ? document.array() : QJsonArray{document.object()};
        if (document.isNull() || objects.isEmpty()) {
            bad << line;
            continue;
        }
        for (const QJsonValue &value : objects) {
            const RecordEntry entry = RecordEntry::fromJson(value.toObject());
            if (entry.valid())
                read.push_back(entry);
            else
                bad << QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
        }
    }
}

} // namespace

SideFile::SideFile(QString path)
    : recordPath(std::move(path)),
      ownPath(QStringLiteral("%1.waiting-%2-%3.json")
                  .arg(recordPath)
                  .arg(QCoreApplication::applicationPid())
                  .arg(QRandomGenerator::global()->bounded(1 << 30)))
{
}

SideFile::~SideFile() = default;

bool SideFile::keep(const std::deque<RecordEntry> &entries)
{
    if (entries.empty()) {
        if (ownLock) {
            QFile::remove(ownPath);
            ownLock.reset(); // unlocks and removes the lock file
        }
        return true;
    }
    if (!ownLock) {
        ownLock = std::make_unique<QLockFile>(lockOf(ownPath));
        if (!ownLock->tryLock(0)) {
            ownLock.reset();
            return false;
        }
    }
    QByteArray text;
    for (const RecordEntry &entry : entries)
        text += QJsonDocument(entry.toJson()).toJson(QJsonDocument::Compact) + '\n';
    // Replaced whole or not at all: a kill in the middle leaves the last good one.
    QSaveFile file(ownPath);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}

SideFile::SetAside SideFile::takeOver(std::deque<RecordEntry> &entries)
{
    std::vector<RecordEntry> taken;
    std::vector<std::unique_ptr<QLockFile>> locks;
    QStringList takenFiles;
    QByteArrayList bad;
    const QFileInfo record(recordPath);
    const QFileInfoList files =
        QDir(record.absolutePath()).entryInfoList({pattern(recordPath)}, QDir::Files, QDir::Time | QDir::Reversed);
    for (const QFileInfo &found : files) {
        const QString path = found.absoluteFilePath();
        if (path == QFileInfo(ownPath).absoluteFilePath())
            continue;
        // Locked: its copy still runs and writes its entries itself.
        auto lock = std::make_unique<QLockFile>(lockOf(path));
        QFile file(path);
        if (!lock->tryLock(0) || !file.open(QIODevice::ReadOnly))
            continue;
        readEntries(file.readAll(), taken, bad);
        takenFiles << path;
        locks.push_back(std::move(lock));
    }
    // A copy killed as it began or ended its side file leaves the lock alone: gone once no copy holds it.
    const QFileInfoList lockFiles =
        QDir(record.absolutePath()).entryInfoList({pattern(recordPath) + QStringLiteral(".lock")}, QDir::Files);
    for (const QFileInfo &found : lockFiles) {
        const QString side = found.absoluteFilePath().chopped(5);
        if (side == QFileInfo(ownPath).absoluteFilePath() || QFile::exists(side))
            continue;
        QLockFile orphan(found.absoluteFilePath());
        if (orphan.tryLock(0))
            orphan.unlock(); // removes it
    }
    SetAside setAside;
    if (!bad.isEmpty()) {
        QFile aside(recordPath + QStringLiteral(".waiting.unreadable"));
        // Appended to what an earlier start set aside; a bad line is never deleted.
        if (!aside.open(QIODevice::Append) || aside.write(bad.join('\n') + '\n') < 0)
            return {}; // the files stay as they are for a later start
        setAside = {int(bad.size()), aside.fileName()};
    }
    if (takenFiles.isEmpty())
        return setAside;
    entries.insert(entries.begin(), taken.begin(), taken.end());
    if (!keep(entries))
        return setAside; // still in their own files for the next start; written twice, they count once
    for (const QString &path : takenFiles)
        QFile::remove(path);
    return setAside;
}
