#pragma once

#include <optional>
#include <vector>

class RandomSource;

// One run of a drill, without widgets: the table rows it asks, each once in
// random order; which of them are still open; the item on show with its marks
// (a wrong try made on it, Solution shown for it); and the counts. The suffix
// drill and the sentence exercises run their basic, extended and mistakes runs
// through it.
class DrillRun
{
public:
    // What a right answer after a wrong try does: the suffix drill keeps the
    // item in the pool until it is answered right at the first try; the
    // sentence exercises close it like any right answer.
    enum class AfterRetry { KeepsItemOpen, ClosesItem };

    explicit DrillRun(AfterRetry afterRetry) : afterRetry(afterRetry) {}

    // A run over these rows, in this order of slots.
    void begin(std::vector<int> rows);
    // No run.
    void clear();

    // Puts an open row on show, drawn as floor(n * r + first) over the run's slots
    // until an open one comes up; nothing when no row is open.
    std::optional<int> drawNext(RandomSource &random);
    // The row on show; -1 before the first draw.
    int current() const { return currentRow; }

    void markWrong() { retryMark = true; }
    void markSolutionShown() { solutionMark = true; }
    bool retryMarked() const { return retryMark; }
    bool solutionShown() const { return solutionMark; }

    // A right answer to the row on show. Returns whether it counted: a first try
    // closes the row and counts; after a wrong try (when such an answer keeps the
    // item open) only the mark goes.
    bool answeredRight();

    bool isOpen(int row) const;
    int length() const { return int(rows.size()); }
    int counted() const { return closedCount; }
    int drawn() const { return drawnCount; }
    bool running() const { return !rows.empty(); }

private:
    AfterRetry afterRetry;
    std::vector<int> rows;
    std::vector<bool> open;
    int firstSlot = 0;
    int currentSlot = -1;
    int currentRow = -1;
    int closedCount = 0;
    int drawnCount = 0;
    bool retryMark = false;
    bool solutionMark = false;
};
