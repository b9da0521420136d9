#include "RandomSource.h"

#include <algorithm>
#include <chrono>
#include <cmath>

int RandomSource::draw(int first, int last)
{
    const int slot = int(std::floor((last - first + 1) * next() + first));
    return std::clamp(slot, first, last);
}

int RandomSource::drawOpen(int first, int last, const std::function<bool(int)> &isOpen)
{
    bool anyOpen = false;
    for (int slot = first; slot <= last && !anyOpen; ++slot)
        anyOpen = isOpen(slot);
    if (!anyOpen)
        return -1;
    int slot = draw(first, last);
    while (!isOpen(slot))
        slot = draw(first, last);
    return slot;
}

SeededRandom::SeededRandom(std::mt19937::result_type seed) : engine(seed) {}

SeededRandom::SeededRandom()
    : engine(std::mt19937::result_type(std::chrono::steady_clock::now().time_since_epoch().count()))
{
}

double SeededRandom::next()
{
    return uniform(engine);
}
