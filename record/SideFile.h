#pragma once

#include "RecordEntry.h"

#include <QString>

#include <deque>
#include <memory>
#include <vector>

class QLockFile;

// What a copy of the program could not write into the record yet (the file was
// busy, the disk full), kept beside the record in a small file of its own, so
// that neither a kill nor an exit while the file is busy loses it. The copy
// holds a lock on its side file while it runs; a later start takes over the
// side files of copies that no longer run and writes their entries. One entry a
// line: a file cut short by a kill, or with one bad line, loses that line only.
class SideFile
{
public:
    explicit SideFile(QString recordPath);
    ~SideFile();
    SideFile(const SideFile &) = delete;
    SideFile &operator=(const SideFile &) = delete;

    // Keeps exactly these entries on disk; none: no side file. False when
    // they could not be written.
    bool keep(const std::deque<RecordEntry> &entries);

    // What taking over found that could not be written: lines that are no entry.
    struct SetAside
    {
        int lines = 0;
        QString where; // the file they were put in
    };
    // Puts the entries left behind by copies that no longer run before the
    // given ones (oldest file first) and keeps them all in this copy's side file;
    // only then are the files taken over removed. Lines that are no entry go to
    // a file beside (.unreadable), never deleted.
    SetAside takeOver(std::deque<RecordEntry> &entries);

private:
    QString recordPath;
    QString ownPath;
    std::unique_ptr<QLockFile> ownLock;
};
