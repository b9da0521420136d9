#pragma once

class Module1;
class Feedback;
class LessonSource;
class ProgressRecord;
class RandomSource;
class Speech;

// What every window reaches of the program: the shared values, the feedback
// (message boxes and beep), the random numbers, the progress record, the
// lesson it plays and the voice that speaks it.
struct Services
{
    Module1 &shared;
    Feedback &feedback;
    RandomSource &random;
    ProgressRecord &record;
    LessonSource &lesson;
    Speech &speech;
};
