#pragma once

#include <functional>
#include <random>

// Uniform values in [0, 1). One generator, seeded once.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;

    // floor(n * r + first) for the range first..last, never outside it.
    int draw(int first, int last);
    // A draw repeated until isOpen accepts the slot: uniform over the open slots.
    // Returns -1 at once when no slot of the range is open, so the loop always ends.
    int drawOpen(int first, int last, const std::function<bool(int)> &isOpen);
};

class SeededRandom final : public RandomSource
{
public:
    explicit SeededRandom(std::mt19937::result_type seed);
    // Seeded from the clock, for the real program.
    SeededRandom();
    double next() override;

private:
    std::mt19937 engine;
    std::uniform_real_distribution<double> uniform{0.0, 1.0};
};
