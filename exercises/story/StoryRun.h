#pragma once

#include "StoryFlow.h"
#include "exercises/frame/Exercise.h"
#include "exercises/frame/FrameState.h"
#include "exercises/run/AnswerJudge.h"
#include "exercises/run/RunRecorder.h"
#include "lesson/Lesson.h"

#include <QString>

#include <optional>
#include <vector>

// One run of a story, without widgets: the person it tells of, which gaps are solved,
// the gap in hand, per gap what the record keeps of it (a wrong try made, Solution
// shown), and the state of the buttons. It judges the gap in hand, tells the record
// each answer and the run, and tells the story as the learner reads it. The window
// shows it and hands it what the learner does.
class StoryRun
{
public:
    // What Start does: the first Start of an opening and Restart after an accomplished
    // run begin a run (Restart opens every gap again); Start during a run goes on with it.
    enum class Start { Begins, Restarts, GoesOn };
    // An answer to the gap in hand: right, wrong, nothing typed (a wrong answer to the
    // learner, but no try of the gap), or a gap solved before (nothing judged).
    enum class Judged { Right, Wrong, Empty, SolvedBefore };
    // How the window runs a story: its person fixed while a run goes on; Enter no longer
    // judging once the run is accomplished.
    struct Rules
    {
        bool personFixedWhileRunning;
        bool enterStopsWhenDone;
    };

    // A run of a story on its own, whose answers are recorded nowhere.
    StoryRun() : recorder(nowhere) {}
    explicit StoryRun(ProgressRecord &record) : recorder(record) {}

    // A new opening of the lesson's story exercise: its first person, every gap open, no run yet.
    void load(const LessonModel::Lesson &lesson, Exercise exercise, Rules rules);
    // The same for a story on its own (no lesson to record it in).
    void load(const LessonModel::Story &story);
    // The window goes: a run still open was left.
    void leave() { recorder.end(ProgressRecord::Outcome::Left); }
    // The program ends with the window open: a run still open was cut short.
    void interrupt() { recorder.end(ProgressRecord::Outcome::Interrupted); }
    void choosePerson(const QString &name);
    int person() const { return personNo; }
    QString personName() const;
    // How the record names a gap of a person's story: "gap 3 (Laci)", counted from 1.
    static QString itemKey(int gap, const QString &person)
    {
        return QStringLiteral("gap %1 (%2)").arg(gap + 1).arg(person);
    }

    Start start();
    bool running() const { return begun && !done; }
    bool accomplished() const { return done; }

    void aim(int gap) { gapNo = gap; }
    int aimed() const { return gapNo; }
    // The answer the gap takes for the person chosen.
    QString expected(int gap) const;
    // Judges what the gap in hand holds; a right answer solves it, and the last one
    // accomplishes the run. Every answer judged in a run is told to the record.
    Judged judge(const QString &typed);
    void showSolution();

    int gapCount() const { return int(solvedGaps.size()); }
    int solvedCount() const { return solved; }
    bool isSolved(int gap) const { return solvedGaps.at(std::size_t(gap)); }
    bool wrongTried(int gap) const { return wrong.at(std::size_t(gap)); }
    bool solutionSeen(int gap) const { return shown.at(std::size_t(gap)); }
    // The next open gap after the one in hand, round from the last to the first.
    std::optional<int> nextOpen() const;

    FrameState frame() const;
    bool personChoosable() const { return !(rules.personFixedWhileRunning && running()); }
    // Read the story: once every gap is solved.
    bool canReadStory() const { return done; }
    // The story as the learner reads it, every gap holding its answer for the person
    // chosen; with `around`, only the sentence of that gap.
    QString spoken(int around = -1) const;

    // The story's gaps and pieces as a reader goes: in the order of their places where the
    // lesson places them, else in the story's own order.
    static std::vector<StoryFlow::Step> readingOrder(const LessonModel::Story &story);
    // The story as `person` tells it, each gap holding its answer and each piece its text
    // for `pieceTeller`; the gap `marked` (none: -1) is `mark` instead.
    static QString told(const LessonModel::Story &story, int person, int pieceTeller, int marked, const QString &mark);

private:
    // Where a story on its own records: nowhere.
    struct Nowhere final : ProgressRecord
    {
        void answerJudged(const Answer &) override {}
        qint64 runStarted(const QString &, const QString &, Variant, const QString &) override { return 0; }
        void runEnded(qint64, Outcome) override {}
    };
    Nowhere nowhere;
    RunRecorder recorder;
    const LessonModel::Story *story = nullptr;
    QString lessonId;
    QString exerciseId;
    AnswerJudge judgeOf;
    Rules rules{false, false};
    int personNo = 0;
    int toldPerson = 0; // the person of the last Start, whom the pieces tell of
    int gapNo = 0;
    int solved = 0;
    bool begun = false;
    bool done = false;
    bool restartCaption = false;
    std::vector<bool> solvedGaps;
    std::vector<bool> wrong;
    std::vector<bool> shown;
};
