#pragma once

class Module1;
class Feedback;
class RandomSource;

// What every window reaches of the program: the shared values, the feedback
// (message boxes and beep) and the random numbers.
struct Services
{
    Module1 &shared;
    Feedback &feedback;
    RandomSource &random;
};
