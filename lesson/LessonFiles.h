#pragma once

#include "LessonReader.h"

#include <QString>

#include <vector>

class LessonSpelling;

// Lesson files read by the reader module (bimbala-reader), loaded at the first lesson
// read. Without the module every file has one problem, which says why.
namespace LessonFiles {

// Debian's Hungarian dictionary (hunspell-hu), without its endings.
inline const QString Dictionary = QStringLiteral("/usr/share/hunspell/hu_HU");

// The lesson in the file at `path` (a path or a resource), its pictures beside it.
LessonReader::Reading read(const QString &path);

// The lessons the program knows a file of, read now: lesson 7, which is built in, and the
// lesson history's (the one chosen last, the recent ones), each file once, but `except`; those
// that can still be read, each lesson (by id) once, in that order.
std::vector<LessonModel::Lesson> knownLessons(const QString &except = {});

// Lessons checked as the program reads them and spelt (`bimbala --check`).
class Checker
{
public:
    // `dictionary` without its endings: .aff and .dic are beside each other.
    explicit Checker(const QString &dictionary);
    ~Checker();
    Checker(const Checker &) = delete;
    Checker &operator=(const Checker &) = delete;

    // Empty when the dictionary is there; otherwise what is missing.
    const QString &missing() const { return why; }
    LessonReader::Reading read(const QString &path);

private:
    LessonSpelling *spelling = nullptr;
    QString why;
};

} // namespace LessonFiles
