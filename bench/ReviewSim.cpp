// Simulated learners against three ways of choosing what to ask again: the review
// scheduler (FSRS at a desired retention), a fixed schedule (1, 3, 7, 14, 30 and 60
// days after an item is met) and Practise my mistakes every day. The learners forget
// by a model other than the scheduler's own: exponentially, with a half-life of each
// item's that grows with each recall (the more, the less the item was still
// remembered) and shrinks with each lapse, scaled by a difficulty of the item's.
// Usage: bimbala_review_sim [SEEDS [RETENTION]]
#include "memory/Fsrs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr int Items = 300;
constexpr int Days = 120;
constexpr int NewPerDay = 10; // a lesson's worth a day for the first 30 days
constexpr std::array<int, 6> FixedDays{1, 3, 7, 14, 30, 60};

// What the simulated learner really remembers of an item.
struct TrueMemory
{
    double difficulty = 1; // 0.5 to 2
    double halfLife = 0;   // days
    double last = 0;       // day of the last review
    double recall(double day) const { return std::exp2(-(day - last) / halfLife); }
    // Met in a lesson: known for a few days when answered right, for less than one when shown.
    void met(double day, bool right)
    {
        halfLife = (right ? 4.0 : 0.8) / difficulty;
        last = day;
    }
    // A recall while the item was still well remembered adds little; a hard one, much.
    void reviewed(double day, bool recalled, double chance)
    {
        halfLife = recalled ? halfLife * (1.2 + 8 * (1 - chance)) / std::sqrt(difficulty)
                            : std::max(0.8 / difficulty, halfLife * 0.3);
        last = day;
    }
};

enum class Way { Scheduler, Fixed, Mistakes };

struct Outcome
{
    long reviews = 0;
    double recalled = 0; // expected number of items recalled on the last day
    // The scheduler's predictions against what happened, for its calibration.
    std::vector<std::pair<double, bool>> predicted;
};

Outcome simulate(Way way, unsigned seed, double retention)
{
    std::mt19937 random(seed);
    std::lognormal_distribution<double> difficulty(0, 0.35);
    std::uniform_real_distribution<double> uniform(0, 1);
    std::vector<TrueMemory> truth(Items);
    for (TrueMemory &item : truth)
        item.difficulty = std::clamp(difficulty(random), 0.5, 2.0);
    std::vector<Fsrs::Memory> model(Items);
    std::vector<double> lastReview(Items, 0), metOn(Items, -1);
    std::vector<int> rightInARow(Items, 0);
    std::vector<bool> mistaken(Items, false);
    Outcome outcome;
    const auto answer = [&](int i, double day) {
        const double chance = truth[std::size_t(i)].recall(day);
        const bool recalled = uniform(random) < chance;
        truth[std::size_t(i)].reviewed(day, recalled, chance);
        return recalled;
    };
    for (int day = 0; day < Days; ++day) {
        std::vector<int> asked;
        for (int i = 0; i < Items; ++i) {
            if (metOn[std::size_t(i)] < 0)
                continue;
            const double since = day - lastReview[std::size_t(i)];
            const double met = day - metOn[std::size_t(i)];
            if ((way == Way::Scheduler && Fsrs::retrievability(since, model[std::size_t(i)].stability) <= retention)
                || (way == Way::Fixed && std::find(FixedDays.begin(), FixedDays.end(), int(met)) != FixedDays.end())
                || (way == Way::Mistakes && mistaken[std::size_t(i)]))
                asked.push_back(i);
        }
        for (const int i : asked) {
            const std::size_t at = std::size_t(i);
            const double predicted = Fsrs::retrievability(day - lastReview[at], model[at].stability);
            const bool recalled = answer(i, day);
            ++outcome.reviews;
            if (way == Way::Scheduler)
                outcome.predicted.emplace_back(predicted, recalled);
            model[at] = Fsrs::review(model[at], day - lastReview[at], recalled ? Fsrs::Grade::Good : Fsrs::Grade::Again);
            lastReview[at] = day;
            rightInARow[at] = recalled ? rightInARow[at] + 1 : 0;
            mistaken[at] = recalled ? mistaken[at] && rightInARow[at] < 2 : true;
        }
        // The day's new items, met once in a lesson's run: answered right or shown.
        for (int i = day * NewPerDay; i < std::min(Items, (day + 1) * NewPerDay); ++i) {
            const std::size_t at = std::size_t(i);
            const bool right = uniform(random) < 0.5;
            truth[at].met(day, right);
            metOn[at] = lastReview[at] = day;
            model[at] = Fsrs::review({}, 0, right ? Fsrs::Grade::Good : Fsrs::Grade::Again);
            mistaken[at] = !right;
        }
    }
    for (const TrueMemory &item : truth)
        outcome.recalled += item.recall(Days);
    return outcome;
}

} // namespace

int main(int argc, char *argv[])
{
    const int seeds = argc > 1 ? std::atoi(argv[1]) : 5;
    const double retention = argc > 2 ? std::atof(argv[2]) : 0.9;
    const char *names[] = {"review scheduler", "fixed 1-3-7-14-30-60", "practise my mistakes"};
    std::array<Outcome, 3> total;
    for (int seed = 1; seed <= seeds; ++seed) {
        for (int way = 0; way < 3; ++way) {
            Outcome one = simulate(Way(way), unsigned(seed), retention);
            total[std::size_t(way)].reviews += one.reviews;
            total[std::size_t(way)].recalled += one.recalled;
            total[std::size_t(way)].predicted.insert(total[std::size_t(way)].predicted.end(), one.predicted.begin(),
                                                     one.predicted.end());
        }
    }
    std::printf("%d learners, %d items met over the first 30 days, %d days; desired retention %.2f\n", seeds, Items, Days,
                retention);
    for (int way = 0; way < 3; ++way) {
        const Outcome &o = total[std::size_t(way)];
        std::printf("%-22s reviews %7.1f  recalled at day %d %6.1f of %d  reviews per item recalled %.2f\n", names[way],
                    double(o.reviews) / seeds, Days, o.recalled / seeds, Items, double(o.reviews) / o.recalled);
    }
    const double ratio = (double(total[0].reviews) / total[0].recalled) / (double(total[1].reviews) / total[1].recalled);
    std::printf("reviews per item recalled, scheduler against fixed: %.2f (goal: at most 0.80, at no lower recall: %s)\n",
                ratio, total[0].recalled >= total[1].recalled ? "met" : "NOT met");
    // Calibration: predicted recall against the share recalled, in tenths.
    std::array<double, 10> predicted{}, recalled{};
    std::array<int, 10> count{};
    double logLoss = 0;
    for (const auto &[p, y] : total[0].predicted) {
        const std::size_t bin = std::min<std::size_t>(9, std::size_t(p * 10));
        predicted[bin] += p;
        recalled[bin] += y;
        ++count[bin];
        const double q = std::clamp(p, 1e-6, 1 - 1e-6);
        logLoss -= y ? std::log(q) : std::log(1 - q);
    }
    std::printf("calibration of the scheduler (predicted recall: mean predicted / share recalled / reviews)\n");
    for (std::size_t bin = 0; bin < 10; ++bin)
        if (count[bin] > 0)
            std::printf("  %.1f-%.1f: %.3f / %.3f / %d\n", bin / 10.0, (bin + 1) / 10.0, predicted[bin] / count[bin],
                        recalled[bin] / count[bin], count[bin]);
    std::printf("log loss %.4f over %zu reviews\n", logLoss / double(total[0].predicted.size()), total[0].predicted.size());
}
