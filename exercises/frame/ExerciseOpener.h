#pragma once

#include "Exercise.h"

class Form;

// What an exercise window asks of the program that knows every window.
class ExerciseOpener
{
public:
    virtual ~ExerciseOpener() = default;
    // Sets ExerciseNo, shows the target window, prepares it and unloads the opener.
    virtual void openExercise(Exercise target, Form &opener) = 0;
    // Shows the main menu again (loading it afresh).
    virtual void showMainMenu(bool focusEndButton) = 0;
    // Opens the About window in its normal mode.
    virtual void showAbout() = 0;
    // Opens the window of the learner's progress.
    virtual void showProgress() = 0;
};
