#pragma once

#include "exercises/story/StoryDesign.h"

#include <array>

// Exercise 6: an afternoon and evening at home, told about Anna, "én" or "te".
// The lists are named after the routines that filled them: the base words
// (baselista) and the answers for Anna (ige3lista), "én" (ige1lista) and "te"
// (ige2lista) sit side by side in each gap.
extern const std::array<StoryGap, 22> eveningGaps;
extern const std::array<StoryPiece, 18> eveningPieces;

// The story rows, the person field and how the window judges.
const StoryDesign &eveningStory();
