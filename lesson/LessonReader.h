#pragma once

#include "Lesson.h"
#include "LessonProblem.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Reads a lesson file (YAML, UTF-8) and checks it. Every rule a lesson must
// keep lives here, so that `bimbala --check`, opening a lesson in the program
// and the tests judge a file the same way. However broken the file, reading it
// ends, quickly and within a few MB.
namespace LessonReader {

// A lesson file may be at most this big.
inline constexpr qint64 MostBytes = 5 * 1024 * 1024;

struct Reading
{
    std::optional<LessonModel::Lesson> lesson; // only when there is no problem
    LessonProblems problems;                    // in the order of the file
};

// The lesson in the file at `path` (a path or a resource), its pictures beside it.
Reading read(const QString &path);
// The lesson in `bytes`, named `name` in problems; pictures are looked for in `folder`.
Reading read(const QByteArray &bytes, const QString &name, const QString &folder);

} // namespace LessonReader
