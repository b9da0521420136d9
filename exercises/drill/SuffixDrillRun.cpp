#include "SuffixDrillRun.h"

#include <QSet>

void SuffixDrillRun::load(const LessonModel::Lesson &played)
{
    lesson = &played;
    chosen.reset();
    // A new opening shows the basic variant and a fresh item, so it runs them too.
    PlusMode = 0;
    draws.clear();
    state = Phase::NotStarted;
    plusShown = true;
    solutionOn = false;
    mistakes = 0;
}

const LessonModel::SuffixDrill *SuffixDrillRun::content() const
{
    if (!lesson || !chosen || chosen->place >= int(lesson->exercises.size()))
        return nullptr;
    return std::get_if<LessonModel::SuffixDrill>(&lesson->exercises[std::size_t(chosen->place)].content);
}

// Plus asks the words beyond the basic run; a drill whose basic run asks them all has none to offer.
bool SuffixDrillRun::hasPlus(Exercise drill) const
{
    const auto *words = std::get_if<LessonModel::SuffixDrill>(&lesson->exercises.at(std::size_t(drill.place)).content);
    return words && int(words->items.size()) > words->basic;
}

void SuffixDrillRun::choose(std::optional<Exercise> drill)
{
    chosen = drill;
    if (chosen && !content())
        chosen.reset();
    if (chosen)
        plusShown = plusShown && hasPlus(*chosen);
}

void SuffixDrillRun::switchTo(Exercise drill)
{
    // The run goes, and with it a wrong try, which belongs to its item.
    recorder.end(ProgressRecord::Outcome::Left);
    draws.clear();
    PlusMode = 0;
    state = Phase::NotStarted;
    solutionOn = false;
    mistakes = 0;
    plusShown = true;
    choose(drill);
}

void SuffixDrillRun::choosePlus()
{
    if (chosen)
        switchTo(*chosen);
    PlusMode = 1;
    plusShown = false;
}

void SuffixDrillRun::start()
{
    mistakes = 0;
    std::vector<int> rows;
    const int length = !content() ? 0 : PlusMode ? int(content()->items.size()) : content()->basic;
    for (int row = 0; row < length; ++row)
        rows.push_back(row);
    begin(std::move(rows), PlusMode ? ProgressRecord::Variant::Plus : ProgressRecord::Variant::Basic);
}

bool SuffixDrillRun::practise(Exercise drill, const QStringList &items)
{
    if (chosen != drill || !content())
        return false;
    // A word that stands twice in a list is one item: it is asked once.
    std::vector<int> rows;
    QSet<QString> wanted(items.begin(), items.end());
    for (int row = 0; row < int(content()->items.size()); ++row) {
        if (wanted.remove(itemKey(row)))
            rows.push_back(row);
    }
    if (rows.empty())
        return false;
    mistakes = int(rows.size());
    begin(std::move(rows), ProgressRecord::Variant::Mistakes);
    return true;
}

void SuffixDrillRun::begin(std::vector<int> rows, ProgressRecord::Variant variant)
{
    state = Phase::Running;
    solutionOn = true;
    if (rows.empty() || !content()) {
        state = Phase::Accomplished;
        return;
    }
    // A fresh run: no wrong try of an earlier item carries over.
    draws.begin(std::move(rows));
    recorder.begin(lesson->id, lesson->exercises[std::size_t(chosen->place)].id, variant);
    drawNext();
}

void SuffixDrillRun::drawNext()
{
    if (const std::optional<int> row = draws.drawNext(random)) {
        Expected = content()->items[std::size_t(*row)].answer;
        return;
    }
    recorder.end(ProgressRecord::Outcome::Accomplished);
    draws.clear();
    state = Phase::Accomplished;
}

QString SuffixDrillRun::itemKey(int row) const
{
    return content()->items[std::size_t(row)].cue;
}

QString SuffixDrillRun::word() const
{
    return draws.current() >= 0 && content() ? itemKey(draws.current()) : QString();
}

SuffixDrillRun::Judged SuffixDrillRun::judge(const QString &typed)
{
    Judged judged{judgeOf.judge(typed, Expected), {}, false};
    // Nothing typed is no try of the word: the learner is warned, nothing is recorded or marked.
    if (draws.current() >= 0 && judged.verdict != AnswerJudge::Verdict::Empty)
        recorder.answer(itemKey(draws.current()), Expected, judgeOf.read(typed),
                        judged.verdict == AnswerJudge::Verdict::Right, draws.solutionShown(), draws.retryMarked());
    if (judged.verdict == AnswerJudge::Verdict::Wrong)
        draws.markWrong();
    if (judged.verdict != AnswerJudge::Verdict::Right)
        return judged;
    // Solved after a wrong try: logged with a star, but the word stays in the run until
    // it is answered right at the first try.
    const bool counted = draws.answeredRight();
    judged.logged = counted ? Expected : Expected + u'*';
    drawNext();
    judged.accomplished = state == Phase::Accomplished;
    return judged;
}

QString SuffixDrillRun::showSolution()
{
    draws.markSolutionShown();
    return Expected;
}

FrameState SuffixDrillRun::frame() const
{
    FrameState frame;
    frame.startEnabled = state != Phase::Running;
    frame.restart = state == Phase::Accomplished;
    frame.nextEnabled = state == Phase::Running;
    frame.solutionEnabled = solutionOn;
    return frame;
}
