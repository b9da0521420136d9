#pragma once

#include "exercises/frame/Exercise.h"

#include <QString>

#include <array>
#include <span>

// One item of a suffix drill: the word shown and its only accepted answer.
struct WordItem
{
    const char16_t *base;
    const char16_t *answer;
};

// The word lists, named after the lists they fill, items in slot order.
extern const std::array<WordItem, 43> nallista; // 1a -nál/-nél
extern const std::array<WordItem, 51> hozlista; // 1b -hoz/-hez/-höz
extern const std::array<WordItem, 51> tollista; // 1c -tól/-től
extern const std::array<WordItem, 26> naklista; // 2  -nak/-nek

struct SuffixDrill
{
    Exercise exercise;
    QString number;        // Label7: "1a."
    QString suffix;        // Label3: "-nál/-nél"
    QString captionEnding; // after "   ---   7. lecke" (Module1::SetLessonTitle)
    int basicRun;          // the basic run asks slots 0 .. basicRun - 1
    std::span<const WordItem> items; // the extended run asks them all
};

// The drill ExerciseNo selects; nullptr when it selects no suffix drill.
const SuffixDrill *suffixDrill(int exerciseNo);
const SuffixDrill &suffixDrill(Exercise exercise);
