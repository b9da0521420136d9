#pragma once

#include "exercises/frame/ExerciseWindow.h"

// Exercise 6: a story of 22 gaps whose answers follow the chosen person.
class b07d6 final : public ExerciseWindow
{
public:
    b07d6(Services services, ExerciseOpener &opener);

private:
    void buildControls(QWidget &client) override;
    void startClicked() override;
    void nextClicked() override;
    void solutionClicked() override;
};
