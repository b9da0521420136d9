#pragma once

#include "exercises/story/StoryWindow.h"

// Exercise 6: a story whose answers follow the chosen person.
class b07d6 final : public StoryWindow
{
public:
    b07d6(Services services, ExerciseOpener &opener);
};
