#pragma once

#include "ReviewPlan.h"
#include "exercises/run/AnswerJudge.h"

#include <vector>

class ProgressRecord;

// A review run without widgets: the items asked in order, the one on show with its marks
// (a wrong try made, Solution shown), and what is said of the items left out. Each judged
// answer is told to the record complete, in its own lesson and in no exercise's run.
class ReviewRun
{
public:
    explicit ReviewRun(ProgressRecord &record) : record(record) {}

    void begin(ReviewPlan plan);
    // What is due now at another recall to aim for: the items yet to come are these, the
    // one on show first where it is among them.
    void replan(ReviewPlan plan);

    bool asking() const { return current < int(plan.prompts.size()); }
    // The item on show; only while asking.
    const ReviewPrompt &prompt() const { return plan.prompts.at(std::size_t(current)); }
    int position() const { return current; }
    int count() const { return int(plan.prompts.size()); }
    const QString &leftOut() const { return plan.leftOut; }
    // Why nothing is asked although items may be due; empty when the record was read.
    const QString &problem() const { return plan.problem; }

    // Judges the answer to the item on show; a right one moves on to the next.
    AnswerJudge::Verdict judge(const QString &typed);
    // Solution: the answer of the item on show, marked as shown.
    QString showSolution();

private:
    ProgressRecord &record;
    ReviewPlan plan;
    int current = 0;
    bool retry = false;
    bool shown = false;
};
