#include "DrillRun.h"

#include "common/RandomSource.h"

#include <numeric>
#include <utility>

void DrillRun::begin(int first, int last)
{
    std::vector<int> range(std::size_t(std::max(0, last - first + 1)));
    std::iota(range.begin(), range.end(), first);
    begin(std::move(range));
    // Slots are numbered as the rows, so a draw over a whole range is the
    // designed floor(n * r + first).
    firstSlot = first;
}

void DrillRun::begin(std::vector<int> runRows)
{
    rows = std::move(runRows);
    open.assign(rows.size(), true);
    firstSlot = 0;
    currentSlot = -1;
    currentRow = -1;
    closedCount = 0;
    drawnCount = 0;
    retryMark = false;
    solutionMark = false;
}

void DrillRun::clear()
{
    begin(std::vector<int>{});
}

std::optional<int> DrillRun::drawNext(RandomSource &random)
{
    const int slot = random.drawOpen(firstSlot, firstSlot + length() - 1,
                                     [this](int s) { return open[std::size_t(s - firstSlot)]; });
    if (slot < 0)
        return std::nullopt;
    currentSlot = slot - firstSlot;
    currentRow = rows[std::size_t(currentSlot)];
    ++drawnCount;
    retryMark = false;
    solutionMark = false;
    return currentRow;
}

bool DrillRun::answeredRight()
{
    if (currentSlot < 0 || !open[std::size_t(currentSlot)])
        return false;
    const bool afterWrongTry = std::exchange(retryMark, false);
    if (afterWrongTry && afterRetry == AfterRetry::KeepsItemOpen)
        return false;
    open[std::size_t(currentSlot)] = false;
    ++closedCount;
    return true;
}

bool DrillRun::isOpen(int row) const
{
    for (std::size_t slot = 0; slot < rows.size(); ++slot) {
        if (rows[slot] == row)
            return open[slot];
    }
    return false;
}
