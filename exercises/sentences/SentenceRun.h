#pragma once

#include "SentenceTable.h"
#include "exercises/drill/DrillRun.h"
#include "exercises/frame/FrameState.h"
#include "exercises/run/AnswerJudge.h"
#include "exercises/run/RunRecorder.h"

#include <QStringList>

#include <optional>
#include <vector>

class RandomSource;

// The sentence exercises without widgets: the table of the lesson's sentences, the
// exercise chosen, the run mode Start chose (exercise, basic or extended), the sentence
// on show, the run with its marks, the heading, and the state of the buttons. A switch
// between the exercises keeps the sentence on show and the run: until Start, Next and
// Solution still work on it.
class SentenceRun
{
public:
    SentenceRun(ProgressRecord &record, RandomSource &random) : recorder(record), random(random) {}

    // A new opening for the lesson, the window's exercises in it, aimed at one of them.
    void load(const LessonModel::Lesson &lesson, const std::vector<Exercise> &own, Exercise aimed);
    // The window goes: the run mode and the exercise chosen with it; a run still open was left.
    void unload();
    // The program ends with the window open: a run still open was cut short.
    void interrupt() { recorder.end(ProgressRecord::Outcome::Interrupted); }
    // Called by the opener: the exercise chosen, its heading as another window's go-to
    // button gives it where the lesson words it so.
    void prepare(Exercise exercise, bool byMainMenu);
    void switchTo(Exercise exercise);
    void choosePlus();

    // Start or Restart; returns whether the log of finished sentences is to be cleared.
    bool start();
    // Runs exactly these sentences (by their record keys) of the exercise, once each; false when none is in it.
    bool practise(Exercise exercise, const QStringList &items);

    struct Judged
    {
        AnswerJudge::Verdict verdict;
        QString finished; // the sentence finished with its answer, for a right one
        bool accomplished = false;
    };
    Judged judge(const QString &typed);
    // Solution: the answer of the sentence on show, marked as shown.
    QString showSolution();

    const SentenceTable &table() const { return sentences; }
    const LessonModel::SentenceRow &row() const { return sentences.row(CurrentItem); }
    // The sentence on show and its answer.
    const QString &expected() const { return row().answer; }
    // The record's key of a sentence: the sentence as finished, answer included.
    QString itemKey(int row) const { return SentenceTable::key(sentences.row(row)); }
    const DrillRun &run() const { return draws; }
    bool modeChosen() const { return Mode.has_value(); }
    // The exercise of the run's sentences.
    Exercise runExercise() const;
    const LessonModel::SentenceExercise &content(Exercise exercise) const;

    FrameState frame() const { return buttons; }
    bool plusOnShow() const { return plusShown; }
    bool plusEnabled() const { return plusPressable; }
    bool hintOnShow() const { return hintShown; }
    // The person's pictogram of the sentence on show is shown.
    bool pictureOnShow() const { return pictureShown; }
    // The lesson's heading on show, and the items of a run of the learner's mistakes over it (0: none).
    const QString &heading() const { return shownHeading; }
    int mistakesAsked() const { return mistakes; }
    bool extendedRun() const { return Extended != 0; }

private:
    const LessonModel::Exercise &exerciseAt(Exercise exercise) const;
    void offerPlus(Exercise exercise);
    void chooseRunMode();
    void begin(std::vector<int> rows, ProgressRecord::Variant variant);
    void drawNext();

    RunRecorder recorder;
    RandomSource &random;
    const LessonModel::Lesson *lesson = nullptr;
    std::vector<Exercise> ownExercises;
    AnswerJudge judgeOf{AnswerJudge::forShape(LessonModel::Shape::Sentences)};

    // Kept while the window is closed. The load step refills the table and clears the
    // extended flag; the unload step clears the run mode.
    int CurrentItem = 0;
    struct RunMode
    {
        Exercise exercise;
        bool extended = false;
    };
    std::optional<RunMode> Mode;
    // The exercise the opener or the in-window switch chose; none until then in this opening.
    std::optional<Exercise> chosen;
    int Extended = 0;
    // The sentences of an accomplished run still show; the next Start clears them.
    bool accomplishedShown = false;
    SentenceTable sentences;
    DrillRun draws{DrillRun::AfterRetry::ClosesItem};

    FrameState buttons;
    bool plusShown = true;
    bool plusPressable = true;
    bool hintShown = true;
    bool pictureShown = false;
    QString shownHeading;
    int mistakes = 0;
};
