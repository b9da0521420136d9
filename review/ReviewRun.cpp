#include "ReviewRun.h"

#include "common/ProgressRecord.h"

#include <algorithm>

void ReviewRun::begin(ReviewPlan next)
{
    plan = std::move(next);
    current = 0;
    retry = shown = false;
}

void ReviewRun::replan(ReviewPlan next)
{
    const auto asked = [this](const ReviewPrompt &p) {
        return std::any_of(plan.prompts.begin(), plan.prompts.begin() + current, [&](const ReviewPrompt &q) {
            return p.lesson == q.lesson && p.exercise == q.exercise && p.item == q.item;
        });
    };
    next.prompts.erase(std::remove_if(next.prompts.begin(), next.prompts.end(), asked), next.prompts.end());
    if (asking()) {
        const ReviewPrompt onShow = prompt();
        const auto same = [&](const ReviewPrompt &p) {
            return p.lesson == onShow.lesson && p.exercise == onShow.exercise && p.item == onShow.item;
        };
        auto found = std::find_if(next.prompts.begin(), next.prompts.end(), same);
        if (found != next.prompts.end())
            std::rotate(next.prompts.begin(), found, found + 1);
        else
            retry = shown = false;
    }
    // Those asked so far stay counted before the new ones.
    next.prompts.insert(next.prompts.begin(), plan.prompts.begin(), plan.prompts.begin() + current);
    plan = std::move(next);
}

AnswerJudge::Verdict ReviewRun::judge(const QString &typed)
{
    const ReviewPrompt &asked = prompt();
    const AnswerJudge::Verdict verdict = asked.judge.judge(typed, asked.answers.value(0), asked.answers.mid(1));
    // Nothing typed is no try of the item: no lapse is recorded.
    if (verdict == AnswerJudge::Verdict::Empty)
        return verdict;
    const bool right = verdict == AnswerJudge::Verdict::Right;
    record.answerJudged({asked.lesson, asked.exercise, asked.item, asked.answers.value(0), asked.judge.read(typed), right,
                         shown, retry, 0});
    if (!right) {
        retry = true;
        return verdict;
    }
    ++current;
    retry = shown = false;
    return verdict;
}

QString ReviewRun::showSolution()
{
    shown = true;
    return prompt().answers.value(0);
}
