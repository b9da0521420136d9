#pragma once

#include "LessonPlace.h"
#include "LessonReader.h"

#include <QByteArray>
#include <QString>

#include <vector>

class LessonSpelling;

// Lesson files read and written by the reader module (bimbala-reader), loaded at the first
// lesson read. Without the module every file has one problem, which says why.
namespace LessonFiles {

// Debian's Hungarian dictionary (hunspell-hu), without its endings.
inline const QString Dictionary = QStringLiteral("/usr/share/hunspell/hu_HU");

// The lesson in the file at `path` (a path or a resource), its pictures beside it.
LessonReader::Reading read(const QString &path);
// The lesson in a file's `text`, named `name` in its problems, its pictures in `folder`.
LessonReader::Reading read(const QByteArray &text, const QString &name, const QString &folder);

// The lesson as a lesson file's text, which reads back to the same lesson; empty
// without the reader module.
// With `lines`, from which line on each field and each row of a list stands.
QByteArray write(const LessonModel::Lesson &lesson, LessonLines *lines = nullptr);

// The lesson's problems as the reader finds them in it as it stands (its pictures as it
// holds them), each to be found again at its field through the lines of the text written.
struct Checked
{
    LessonProblems problems;
    LessonLines lines;
};
Checked check(const LessonModel::Lesson &lesson);

// Writes the lesson to the file at `path` whole or not at all, and its pictures into files
// of their names beside it, where no file of the same content is there already (never
// outside the lesson's folder). Empty when saved; otherwise a sentence saying why not,
// and the lesson's file is as it was.
QString save(const LessonModel::Lesson &lesson, const QString &path);

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
