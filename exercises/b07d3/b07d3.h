#pragma once

#include "exercises/frame/ExerciseWindow.h"

// Exercise 3: the morning journey in 23 gaps with a strip of ten pictures.
class b07d3 final : public ExerciseWindow
{
public:
    b07d3(Services services, ExerciseOpener &opener);

private:
    void buildControls(QWidget &client) override;
    void startClicked() override;
    void nextClicked() override;
    void solutionClicked() override;
};
