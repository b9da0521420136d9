#pragma once

#include <QString>

// One recorded answer, as the mistakes rule sees it.
struct Attempt
{
    QString item;
    bool right = false;
    bool solutionShown = false;
    bool retry = false;
};

// Where an item stands: to be practised again, and how many answers right at
// the first try (no wrong try, no solution) it has had in a row since.
struct ItemState
{
    bool open = false;
    int cleanStreak = 0;
};

// The rule: an answer wrong, or right only with the solution shown, puts the
// item among the mistakes; two answers right at the first try in a row take it
// out again; a right answer after a wrong try breaks the row.
ItemState AfterAttempt(ItemState state, const Attempt &attempt);
