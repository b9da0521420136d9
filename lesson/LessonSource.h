#pragma once

#include "Lesson.h"
#include "LessonProblem.h"
#include "LessonFiles.h"

#include <QString>

#include <functional>
#include <optional>

// The lesson the program plays: lesson 7 until another is opened. Reading a file is
// another's business (on a thread of its own); this holds what was read.
class LessonSource
{
public:
    // Lesson 7, compiled in.
    static inline const QString BuiltIn = QStringLiteral(":/lessons/lesson7/lesson7.yaml");

    // The lesson played; lesson 7, read now, when none was opened yet.
    const LessonModel::Lesson &lesson();
    bool hasLesson() const { return read.has_value(); }
    // The file of the lesson being played; BuiltIn for lesson 7.
    const QString &file();

    // Opens the lesson in `file` in place of the one played; when the file has
    // problems, the lesson played stays and the problems are returned.
    LessonProblems open(const QString &file);
    // The same with the file read already (on another thread).
    LessonProblems open(LessonReader::Reading reading, const QString &file);

    // Told whenever a lesson has been read and is played from now on.
    std::function<void(const LessonModel::Lesson &)> loaded;
    // The exercise in the n-th place of the lesson (menu and go-to order).
    const LessonModel::Exercise &exercise(int place) { return lesson().exercises.at(std::size_t(place)); }

    // Every problem of a lesson that cannot be opened, in the journal.
    static void logProblems(const LessonProblems &problems);
    // What a learner is told of a lesson that cannot be opened: `heading`, then its first problems.
    static QString describe(const QString &heading, const LessonProblems &problems);

private:
    void play(LessonModel::Lesson lesson, const QString &file);

    std::optional<LessonModel::Lesson> read;
    QString readFile;
};
