#pragma once

#include "DrillRun.h"
#include "exercises/frame/Exercise.h"
#include "exercises/frame/FrameState.h"
#include "exercises/run/AnswerJudge.h"
#include "exercises/run/RunRecorder.h"
#include "lesson/Lesson.h"

#include <QStringList>

#include <optional>

class RandomSource;

// The suffix drill without widgets: the drill chosen, its basic or extended (Plus)
// variant, the run with the word on show and its marks, whether Plus is offered, and
// the state of the buttons. A right answer at the first try closes its word; one after
// a wrong try is logged with a star and leaves the word in the run. The window shows
// the model and hands it what the learner does.
class SuffixDrillRun
{
public:
    enum class Phase { NotStarted, Running, Accomplished };

    SuffixDrillRun(ProgressRecord &record, RandomSource &random) : recorder(record), random(random) {}

    // A new opening of the window for the lesson: basic variant, no run, Plus on offer.
    void load(const LessonModel::Lesson &lesson);
    // The drill chosen (by the opener or a go-to button of the window); none: the window
    // shows no drill (its caption and Start have nothing to run).
    void choose(std::optional<Exercise> drill);
    // The drill chosen is another one: back to the not-started state of its basic variant.
    void switchTo(Exercise drill);
    // Plus: the next Start runs the extended variant.
    void choosePlus();

    // Start or Restart: a run of the variant chosen, its first word drawn.
    void start();
    // Runs exactly these words of the drill (by their record keys), once each; false when none is in it.
    bool practise(Exercise drill, const QStringList &items);

    // The learner's answer to the word on show. A right one logs the word (starred after a
    // wrong try) and draws the next, or accomplishes the run.
    struct Judged
    {
        AnswerJudge::Verdict verdict;
        QString logged;   // "tanárnál" or "tanárnál*" for a right answer
        bool accomplished = false;
    };
    Judged judge(const QString &typed);
    // Solution: the answer of the word on show (of the last word after a run), marked as shown.
    QString showSolution();
    // The window goes: a run still open was left.
    void leave() { recorder.end(ProgressRecord::Outcome::Left); }
    // The program ends with the window open: a run still open was cut short.
    void interrupt() { recorder.end(ProgressRecord::Outcome::Interrupted); }

    std::optional<Exercise> drill() const { return chosen; }
    const LessonModel::SuffixDrill *content() const;
    Phase phase() const { return state; }
    FrameState frame() const;
    // The word on show; empty before a run's first draw and once it is accomplished.
    QString word() const;
    const QString &expected() const { return Expected; }
    // Plus and its hint on show, and whether Plus can be pressed.
    bool plusOnShow() const { return plusShown; }
    bool plusEnabled() const { return state != Phase::Running; }
    // Items of a run of the learner's mistakes, on show in the heading; 0: none.
    int mistakesAsked() const { return mistakes; }
    bool extended() const { return PlusMode != 0; }
    const DrillRun &run() const { return draws; }

private:
    bool hasPlus(Exercise drill) const;
    void begin(std::vector<int> rows, ProgressRecord::Variant variant);
    // Draws the next open word, or accomplishes the run.
    void drawNext();
    QString itemKey(int row) const;

    RunRecorder recorder;
    RandomSource &random;
    const LessonModel::Lesson *lesson = nullptr;
    std::optional<Exercise> chosen;
    AnswerJudge judgeOf{AnswerJudge::forShape(LessonModel::Shape::SuffixDrill)};
    // Kept while the window is closed; the load step resets what a new opening must not inherit.
    int PlusMode = 0;
    QString Expected;
    DrillRun draws{DrillRun::AfterRetry::KeepsItemOpen};
    Phase state = Phase::NotStarted;
    bool plusShown = true;
    bool solutionOn = false;
    int mistakes = 0;
};
