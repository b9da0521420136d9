#include "StoryRun.h"

#include "common/HungarianText.h"

void StoryRun::load(const LessonModel::Story &told)
{
    *this = StoryRun{};
    story = &told;
    solvedGaps.assign(told.gaps.size(), false);
    wrong.assign(told.gaps.size(), false);
    shown.assign(told.gaps.size(), false);
}

void StoryRun::choosePerson(const QString &name)
{
    if (const qsizetype found = story->persons.indexOf(name); found >= 0)
        personNo = int(found);
}

QString StoryRun::personName() const
{
    return story->persons.value(personNo);
}

StoryRun::Start StoryRun::start()
{
    gapNo = 0;
    if (begun && !done)
        return Start::GoesOn;
    const Start how = done ? Start::Restarts : Start::Begins;
    if (done) {
        solvedGaps.assign(solvedGaps.size(), false);
        solved = 0;
    }
    wrong.assign(wrong.size(), false);
    shown.assign(shown.size(), false);
    begun = true;
    done = false;
    return how;
}

QString StoryRun::expected(int gap) const
{
    return story->gaps.at(std::size_t(gap)).answers.value(personNo);
}

StoryRun::Judged StoryRun::judge(const QString &typed)
{
    if (isSolved(gapNo))
        return Judged::SolvedBefore;
    // Other answers the story takes are taken exactly as typed.
    const bool right = HungarianText::trimBlanks(typed) == expected(gapNo)
                       || story->gaps[std::size_t(gapNo)].alsoRight.value(personName()).contains(typed);
    if (!right) {
        wrong[std::size_t(gapNo)] = true;
        return Judged::Wrong;
    }
    solvedGaps[std::size_t(gapNo)] = true;
    done = ++solved == gapCount();
    return Judged::Right;
}

void StoryRun::showSolution()
{
    shown[std::size_t(gapNo)] = true;
}

std::optional<int> StoryRun::nextOpen() const
{
    for (int step = 1; step <= gapCount(); ++step) {
        const int n = (gapNo + step) % gapCount();
        if (!isSolved(n))
            return n;
    }
    return std::nullopt;
}
