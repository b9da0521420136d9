#pragma once

#include <optional>

// An exercise of the open lesson, by its place there: the order of the main
// menu and of the go-to grid, the first 0.
struct Exercise
{
    int place = 0;
    friend constexpr bool operator==(Exercise, Exercise) = default;
};

// The value of the shared ExerciseNo that selects an exercise: its place counted from 1.
inline constexpr int exerciseNoOf(Exercise exercise) { return exercise.place + 1; }

// The exercise an ExerciseNo selects among a lesson's `count`; nothing for 0 or any value out of range.
inline constexpr std::optional<Exercise> exerciseOf(int exerciseNo, int count)
{
    if (exerciseNo < 1 || exerciseNo > count)
        return std::nullopt;
    return Exercise{exerciseNo - 1};
}
