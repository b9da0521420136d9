#include "memory/Fsrs.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Fsrs {

namespace {

// FSRS 4.5's default weights w0..w16, fitted by its authors on many learners' reviews.
constexpr std::array<double, 17> W{0.4872, 1.4003, 3.7145, 13.8206, 5.1618, 1.2298, 0.8975, 0.031, 1.6474,
                                   0.1367, 1.0461, 2.1072, 0.0793, 0.3246, 1.587,  0.2272, 2.8755};
constexpr double ShortestStability = 0.1;

double grade(Grade g)
{
    return double(static_cast<int>(g));
}

double clampDifficulty(double d)
{
    return std::clamp(d, 1.0, 10.0);
}

// D0(G) = w4 − (G − 3)·w5
double firstDifficulty(Grade g)
{
    return W[4] - (grade(g) - 3) * W[5];
}

// S'r = S·(e^w8·(11 − D)·S^−w9·(e^(w10·(1 − R)) − 1)·penalty or bonus + 1)
double stabilityAfterRecall(const Memory &m, double r, Grade g)
{
    const double hardPenalty = g == Grade::Hard ? W[15] : 1.0;
    const double easyBonus = g == Grade::Easy ? W[16] : 1.0;
    return m.stability * (std::exp(W[8]) * (11 - m.difficulty) * std::pow(m.stability, -W[9])
                              * (std::exp(W[10] * (1 - r)) - 1) * hardPenalty * easyBonus
                          + 1);
}

// S'f = w11·D^−w12·((S + 1)^w13 − 1)·e^(w14·(1 − R)), never above S: forgetting
// does not make a memory steadier.
double stabilityAfterLapse(const Memory &m, double r)
{
    const double s = W[11] * std::pow(m.difficulty, -W[12]) * (std::pow(m.stability + 1, W[13]) - 1)
                     * std::exp(W[14] * (1 - r));
    return std::min(s, m.stability);
}

} // namespace

Grade gradeOf(bool right, bool solutionShown, bool retry)
{
    if (!right || solutionShown)
        return Grade::Again;
    return retry ? Grade::Hard : Grade::Good;
}

double retrievability(double days, double stability)
{
    if (stability <= 0)
        return 0;
    return std::pow(1 + Factor * std::max(0.0, days) / stability, Decay);
}

double interval(double retention, double stability)
{
    return stability / Factor * (std::pow(retention, 1 / Decay) - 1);
}

Memory review(const Memory &before, double days, Grade g)
{
    if (!before.known())
        return {std::max(ShortestStability, W[static_cast<int>(g) - 1]), clampDifficulty(firstDifficulty(g))};
    const double r = retrievability(days, before.stability);
    Memory after;
    after.stability = std::max(ShortestStability, g == Grade::Again ? stabilityAfterLapse(before, r)
                                                                    : stabilityAfterRecall(before, r, g));
    // D' = w7·D0(3) + (1 − w7)·(D − w6·(G − 3)): a step by the grade, drawn back to the mean.
    after.difficulty = clampDifficulty(W[7] * firstDifficulty(Grade::Good)
                                       + (1 - W[7]) * (before.difficulty - W[6] * (grade(g) - 3)));
    return after;
}

} // namespace Fsrs
