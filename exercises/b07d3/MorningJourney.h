#pragma once

#include "exercises/story/StoryDesign.h"

#include <array>

// Exercise 3: a morning journey across town, told about Laci, "én" or "te".
// Each gap holds its base word (baselista), its answers for Laci (ige3lista),
// "én" (ige1lista) and "te" (ige2lista), and the story picture of its sentence.
extern const std::array<StoryGap, 23> journeyGaps;
extern const std::array<StoryPiece, 11> journeyPieces;

inline constexpr int StoryPictureCount = 10;
// What each story picture shows, in story order; read out for the picture frames.
extern const std::array<const char16_t *, StoryPictureCount> journeyScenes;
// The story's heading piece for each person.
extern const std::array<const char16_t *, PersonCount> journeyHeadings;

const StoryDesign &morningJourney();
