#pragma once

#include "Lesson.h"
#include "LessonProblem.h"

#include <QByteArray>
#include <QString>

#include <optional>

class LessonSpelling;

// Reads a lesson file (YAML, UTF-8) and checks it. Every rule a lesson must
// keep lives here, so that `bimbala --check`, opening a lesson in the program
// and the tests judge a file the same way. However broken the file, reading it
// ends, quickly and within a few MB.
namespace LessonReader {

// A lesson file may be at most this big: a lesson of 10,000 items takes 300 KB, and
// yaml-cpp reads some 3 MB a second, twice (see YamlPrecheck).
inline constexpr qint64 MostBytes = 2 * 1024 * 1024;

struct Reading
{
    std::optional<LessonModel::Lesson> lesson; // only when there is no problem (warnings may be)
    LessonProblems problems;                    // in the order of the file, warnings among them
};

// The lesson in the file at `path` (a path or a resource), its pictures beside it.
// With `spelling`, its unknown words are warnings.
Reading read(const QString &path, LessonSpelling *spelling = nullptr);
// The lesson in `bytes`, named `name` in problems; pictures are looked for in `folder`.
Reading read(const QByteArray &bytes, const QString &name, const QString &folder, LessonSpelling *spelling = nullptr);

} // namespace LessonReader
