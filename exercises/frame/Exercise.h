#pragma once

#include <QString>

#include <array>

// The eight exercises of the lesson, in the order of the go-to grid
// (top row 1a, 1b, 1c, 2; second row 3, 4, 5, 6).
enum class Exercise { Ex1a, Ex1b, Ex1c, Ex2, Ex3, Ex4, Ex5, Ex6 };

inline constexpr std::array<Exercise, 8> AllExercises{Exercise::Ex1a, Exercise::Ex1b, Exercise::Ex1c,
                                                      Exercise::Ex2,  Exercise::Ex3,  Exercise::Ex4,
                                                      Exercise::Ex5,  Exercise::Ex6};

inline constexpr int indexOf(Exercise exercise) { return static_cast<int>(exercise); }

// Button caption with its access key: "1&a" ... "&6".
QString goToCaption(Exercise exercise);
