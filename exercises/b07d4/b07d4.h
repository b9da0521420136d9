#pragma once

#include "exercises/frame/ExerciseWindow.h"

// The sentence exercises 4 and 5: a phrase or verb in the gap of a sentence takes its ending.
class b07d4 final : public ExerciseWindow
{
public:
    b07d4(Services services, ExerciseOpener &opener);

private:
    void buildControls(QWidget &client) override;
    void startClicked() override;
    void nextClicked() override;
    void solutionClicked() override;
};
