#pragma once

#include "Lesson.h"
#include "LessonProblem.h"
#include "LessonFiles.h"

#include <QFuture>
#include <QString>

#include <functional>
#include <optional>

// The lesson the program plays. The lesson to start with is read when first
// needed (after the splash is on screen, so that start-up does not wait for
// it); later the learner may open another one.
class LessonSource
{
public:
    // Lesson 7, compiled in.
    static inline const QString BuiltIn = QStringLiteral(":/lessons/lesson7/lesson7.yaml");

    // The file to start with instead of lesson 7, read from now on, on a thread of its
    // own, while the program starts; when it cannot be read, lesson 7 is played and
    // startProblem() says why.
    void startWith(const QString &file);
    const LessonModel::Lesson &lesson();
    // The file of the lesson being played; BuiltIn for lesson 7.
    const QString &file();
    // When the lesson to start with could not be read: what the learner is told; empty otherwise.
    const QString &startProblem() const { return whyNotStarted; }

    // Opens the lesson in `file` in place of the one played; when the file has
    // problems, the lesson played stays and the problems are returned.
    LessonProblems open(const QString &file);
    // The same with the file read already (on another thread).
    LessonProblems open(LessonReader::Reading reading, const QString &file);

    // Told whenever a lesson has been read and is played from now on.
    std::function<void(const LessonModel::Lesson &)> loaded;
    // The exercise in the n-th place of the lesson (menu and go-to order).
    const LessonModel::Exercise &exercise(int place) { return lesson().exercises.at(std::size_t(place)); }

    // What a learner is told of a lesson that cannot be opened: `heading`, then its first problems.
    static QString describe(const QString &heading, const LessonProblems &problems);

private:
    void play(LessonModel::Lesson lesson, const QString &file);

    QString pending = BuiltIn;
    QFuture<LessonReader::Reading> pendingReading;
    std::optional<LessonModel::Lesson> read;
    QString readFile;
    QString whyNotStarted;
};
