#pragma once

// The memory model the review schedules by: FSRS 4.5 (Free Spaced Repetition
// Scheduler) with its published default weights. An item's memory is its stability S
// (days until the chance of recall falls to 90 %) and its difficulty D (1 to 10); the
// chance of recall t days after the last review is R(t) = (1 + F·t/S)^C.
namespace Fsrs {

// How a review went. The program's answers give the first three: right at the first
// try (Good), right after a wrong try (Hard), wrong or the solution shown (Again).
enum class Grade { Again = 1, Hard = 2, Good = 3, Easy = 4 };

// The grade of a judged answer: right at the first try is Good, right after a wrong
// try Hard, wrong or with the solution shown Again.
Grade gradeOf(bool right, bool solutionShown, bool retry);

struct Memory
{
    double stability = 0;  // days; 0: never reviewed
    double difficulty = 0; // 1 to 10
    bool known() const { return stability > 0; }
};

inline constexpr double Factor = 19.0 / 81.0;
inline constexpr double Decay = -0.5;

// The chance of recall `days` after the last review.
double retrievability(double days, double stability);
// The days after a review until the chance of recall falls to `retention`.
double interval(double retention, double stability);
// The memory after a review `days` after the last one (any `days` for the first).
Memory review(const Memory &before, double days, Grade grade);

} // namespace Fsrs
