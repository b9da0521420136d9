#include "MistakeRule.h"

#include <QHash>

QStringList ItemsToPractise(const std::vector<Attempt> &attempts)
{
    struct State
    {
        bool open = false;
        int cleanStreak = 0;
    };
    QHash<QString, State> states;
    QStringList order;
    for (const Attempt &attempt : attempts) {
        State &state = states[attempt.item];
        if (!attempt.right || attempt.solutionShown) {
            if (!order.contains(attempt.item))
                order << attempt.item;
            state = {true, 0};
        } else if (attempt.retry) {
            // Right after a wrong try: the item is not yet known.
            state.cleanStreak = 0;
        } else if (state.open && ++state.cleanStreak >= 2) {
            state.open = false;
        }
    }
    QStringList items;
    for (const QString &item : order) {
        if (states.value(item).open)
            items << item;
    }
    return items;
}
