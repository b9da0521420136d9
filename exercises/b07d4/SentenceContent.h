#pragma once

#include <array>

// The grammatical person a pictogram stands for; the value is the number of its
// picture (Image1 .. Image6), 0 for a sentence that shows none.
enum class Person { None = 0, En = 1, Te = 2, On = 3, Mi = 4, Ti = 5, Onok = 6 };

// One gap sentence: head, gap, tail on one line, the cue above the gap.
struct SentenceRow
{
    const char16_t *head;    // left of the gap; empty when the sentence opens with the gap
    const char16_t *cue;     // shown above the gap
    const char16_t *prefill; // the bare word put into the gap
    const char16_t *key;     // the only accepted answer
    const char16_t *tail;    // right of the gap; may start with "." "?" ","
    Person person;           // the subject of a sentence that does not name it
};

inline constexpr int SentenceCount = 111;

// Rows 0-50 belong to exercise 4, rows 51-110 to exercise 5.
extern const std::array<SentenceRow, SentenceCount> sentenceRows;

// The rows a run asks, each once.
struct RowRange
{
    int first;
    int last;
    constexpr int size() const { return last - first + 1; }
};

// The basic run of each exercise is its first rows; the extended (Plus) run all of them.
inline constexpr RowRange Exercise4Basic{0, 16};
inline constexpr RowRange Exercise4Extended{0, 50};
inline constexpr RowRange Exercise5Basic{51, 62};
inline constexpr RowRange Exercise5Extended{51, 110};
