#include "MistakeRule.h"

#include <QHash>

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

QStringList ItemsToPractise(const std::vector<Attempt> &attempts)
{
    QHash<QString, ItemState> states;
    QStringList order;
    for (const Attempt &attempt : attempts) {
        ItemState &state = states[attempt.item];
        state = AfterAttempt(state, attempt);
        if (state.open && !order.contains(attempt.item))
            order << attempt.item;
    }
    QStringList items;
    for (const QString &item : order) {
        if (states.value(item).open)
            items << item;
    }
    return items;
}
