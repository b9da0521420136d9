#pragma once

#include <QString>

#include <array>
#include <optional>

// The eight exercises of the lesson, in the order of the go-to grid
// (top row 1a, 1b, 1c, 2; second row 3, 4, 5, 6).
enum class Exercise { Ex1a, Ex1b, Ex1c, Ex2, Ex3, Ex4, Ex5, Ex6 };

inline constexpr std::array<Exercise, 8> AllExercises{Exercise::Ex1a, Exercise::Ex1b, Exercise::Ex1c,
                                                      Exercise::Ex2,  Exercise::Ex3,  Exercise::Ex4,
                                                      Exercise::Ex5,  Exercise::Ex6};

inline constexpr int indexOf(Exercise exercise) { return static_cast<int>(exercise); }

// The value of the shared ExerciseNo that selects an exercise: 1 to 4 the drills
// 1a to 2, 5 exercise 3, 6 and 7 exercises 4 and 5. Exercise 6 is opened without
// one (0).
inline constexpr int exerciseNoOf(Exercise exercise)
{
    return exercise == Exercise::Ex6 ? 0 : indexOf(exercise) + 1;
}

// The exercise an ExerciseNo selects; nothing for 0 or any value out of range.
inline constexpr std::optional<Exercise> exerciseOf(int exerciseNo)
{
    if (exerciseNo < 1 || exerciseNo > exerciseNoOf(Exercise::Ex5))
        return std::nullopt;
    return static_cast<Exercise>(exerciseNo - 1);
}

// Button caption with its access key: "1&a" ... "&6".
QString goToCaption(Exercise exercise);
// The exercise's name in the lesson and in the progress record: "1a" ... "6".
QString exerciseCode(Exercise exercise);
