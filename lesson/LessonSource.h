#pragma once

#include "Lesson.h"

#include <QString>

#include <functional>
#include <optional>

// The lesson the program plays, read when first needed (after the splash is on
// screen, so that start-up does not wait for it).
class LessonSource
{
public:
    // Lesson 7, compiled in.
    static inline const QString BuiltIn = QStringLiteral(":/lessons/lesson7/lesson7.yaml");

    const LessonModel::Lesson &lesson();
    // Plays this lesson instead of the built-in one, from the next window opened on.
    void use(LessonModel::Lesson lesson);
    // Told once the lesson has been read.
    std::function<void(const LessonModel::Lesson &)> loaded;
    // The exercise in the n-th place of the lesson (menu and go-to order).
    const LessonModel::Exercise &exercise(int place) { return lesson().exercises.at(std::size_t(place)); }

private:
    std::optional<LessonModel::Lesson> read;
};
