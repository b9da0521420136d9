#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One recorded answer, as the mistakes rule sees it.
struct Attempt
{
    QString item;
    bool right = false;
    bool solutionShown = false;
    bool retry = false;
};

// The items to practise again: answered wrongly, or right only with the
// solution shown, and not answered right at the first try (no wrong try, no
// solution) twice in a row since. `attempts` are in the order given; the items
// come in the order of their first mistake.
QStringList ItemsToPractise(const std::vector<Attempt> &attempts);
