#include "DrillRun.h"

#include "common/RandomSource.h"

#include <algorithm>
#include <utility>

void DrillRun::begin(std::vector<int> runRows)
{
    rows = std::move(runRows);
    open.assign(rows.size(), true);
    // Over a whole range of rows the slots are numbered as the rows, so that a
    // draw is the designed floor(n * r + first).
    const bool wholeRange = !rows.empty() && std::is_sorted(rows.begin(), rows.end()) &&
                            rows.back() - rows.front() + 1 == int(rows.size());
    firstSlot = wholeRange ? rows.front() : 0;
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
