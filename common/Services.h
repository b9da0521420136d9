#pragma once

class Module1;
class Feedback;
class LessonSource;
class ProgressRecord;
class RandomSource;

// What every window reaches of the program: the shared values, the feedback
// (message boxes and beep), the random numbers, the progress record and the
// lesson it plays.
struct Services
{
    Module1 &shared;
    Feedback &feedback;
    RandomSource &random;
    ProgressRecord &record;
    LessonSource &lesson;
};
