#include "MistakeRule.h"

ItemState AfterAttempt(ItemState state, const Attempt &attempt)
{
    if (!attempt.right || attempt.solutionShown)
        return {true, 0};
    if (attempt.retry)
        return {state.open, 0};
    if (state.open && ++state.cleanStreak >= 2)
        return {false, 0};
    return state;
}
