#include "SideFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
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
    QJsonArray array;
    for (const RecordEntry &entry : entries)
        array.append(entry.toJson());
    // Replaced whole or not at all: a kill in the middle leaves the last good one.
    QSaveFile file(ownPath);
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(array).toJson(QJsonDocument::Compact)) >= 0 &&
           file.commit();
}

void SideFile::takeOver(std::deque<RecordEntry> &entries)
{
    std::vector<RecordEntry> taken;
    std::vector<std::unique_ptr<QLockFile>> locks;
    QStringList takenFiles;
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
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
        file.close();
        std::vector<RecordEntry> read;
        bool readable = document.isArray();
        for (const QJsonValue &value : document.array()) {
            read.push_back(RecordEntry::fromJson(value.toObject()));
            readable = readable && read.back().valid();
        }
        if (!readable) {
            QFile::rename(path, path + QStringLiteral(".unreadable"));
            continue;
        }
        taken.insert(taken.end(), read.begin(), read.end());
        takenFiles << path;
        locks.push_back(std::move(lock));
    }
    if (taken.empty())
        return;
    entries.insert(entries.begin(), taken.begin(), taken.end());
    if (!keep(entries))
        return; // still in their own files for the next start; written twice, they count once
    for (const QString &path : takenFiles)
        QFile::remove(path);
}
