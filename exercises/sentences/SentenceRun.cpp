#include "SentenceRun.h"

#include <QSet>

#include <utility>

const LessonModel::Exercise &SentenceRun::exerciseAt(Exercise exercise) const
{
    return lesson->exercises.at(std::size_t(exercise.place));
}

const LessonModel::SentenceExercise &SentenceRun::content(Exercise exercise) const
{
    return std::get<LessonModel::SentenceExercise>(exerciseAt(exercise).content);
}

void SentenceRun::load(const LessonModel::Lesson &played, const std::vector<Exercise> &own, Exercise aimed)
{
    lesson = &played;
    ownExercises = own;
    // Afresh at every opening, since another lesson may have been opened meanwhile.
    sentences = SentenceTable(played, own);
    // The sentence last on show stays, while the lesson has it.
    if (CurrentItem >= sentences.size())
        CurrentItem = 0;
    shownHeading = exerciseAt(aimed).shape == LessonModel::Shape::Sentences ? exerciseAt(aimed).heading : QString();
    // A new opening shows the Plus hint, so it runs the basic variant it offers.
    Extended = 0;
    buttons = FrameState{};
    buttons.enterJudges = false;
    plusShown = plusPressable = hintShown = true;
    pictureShown = false;
    mistakes = 0;
}

void SentenceRun::unload()
{
    recorder.end(ProgressRecord::Outcome::Left);
    Mode.reset();
    chosen.reset();
    accomplishedShown = false;
    mistakes = 0;
}

void SentenceRun::prepare(Exercise exercise, bool byMainMenu)
{
    chosen = exercise;
    if (!byMainMenu && !content(exercise).headingFromOtherWindow.isEmpty())
        shownHeading = content(exercise).headingFromOtherWindow;
    offerPlus(exercise);
}

// Plus runs the sentences beyond the basic run; an exercise whose basic run asks them all has none to offer.
void SentenceRun::offerPlus(Exercise exercise)
{
    plusShown = sentences.range(exercise, true).size() > sentences.range(exercise, false).size();
    if (!plusShown)
        hintShown = false;
}

void SentenceRun::switchTo(Exercise exercise)
{
    // The sentence on show and the run stay: until Start, Next and Solution still work on them.
    buttons.startEnabled = true;
    buttons.restart = false;
    accomplishedShown = false;
    pictureShown = false;
    Extended = 0;
    chosen = exercise;
    shownHeading = exerciseAt(exercise).heading;
    mistakes = 0;
    offerPlus(exercise);
}

void SentenceRun::choosePlus()
{
    recorder.end(ProgressRecord::Outcome::Left);
    Extended = 1;
    draws.clear();
    pictureShown = false;
    hintShown = false;
}

void SentenceRun::chooseRunMode()
{
    // The exercise the opener or the switch chose; with neither, the previous run's mode holds.
    std::optional<Exercise> exercise = chosen;
    if (!exercise && !Mode)
        exercise = ownExercises.front();
    if (exercise)
        Mode = RunMode{*exercise, Extended != 0};
}

Exercise SentenceRun::runExercise() const
{
    return Mode ? Mode->exercise : ownExercises.front();
}

bool SentenceRun::start()
{
    const bool clearLog = std::exchange(accomplishedShown, false);
    mistakes = 0;
    chooseRunMode();
    const RowRange range = sentences.range(runExercise(), Mode && Mode->extended);
    std::vector<int> rows;
    for (int row = range.first; row <= range.last; ++row)
        rows.push_back(row);
    begin(std::move(rows), Extended ? ProgressRecord::Variant::Plus : ProgressRecord::Variant::Basic);
    return clearLog;
}

bool SentenceRun::practise(Exercise exercise, const QStringList &items)
{
    if (exerciseAt(exercise).shape != LessonModel::Shape::Sentences)
        return false;
    // The rows of the exercise's extended run, which holds its basic one.
    const RowRange range = sentences.range(exercise, true);
    const QSet<QString> wanted(items.begin(), items.end());
    std::vector<int> rows;
    for (int row = range.first; row <= range.last; ++row) {
        if (wanted.contains(itemKey(row)))
            rows.push_back(row);
    }
    if (rows.empty())
        return false;
    // Afterwards the window is as after a basic run of the exercise.
    Extended = 0;
    Mode = RunMode{exercise, false};
    mistakes = int(rows.size());
    begin(std::move(rows), ProgressRecord::Variant::Mistakes);
    return true;
}

void SentenceRun::begin(std::vector<int> rows, ProgressRecord::Variant variant)
{
    buttons.nextEnabled = buttons.enterJudges = buttons.solutionEnabled = true;
    buttons.startEnabled = false;
    plusPressable = false;
    draws.begin(std::move(rows));
    CurrentItem = draws.drawNext(random).value_or(0);
    recorder.begin(lesson->id, exerciseAt(runExercise()).id, variant);
    pictureShown = true;
}

void SentenceRun::drawNext()
{
    if (const std::optional<int> drawn = draws.drawNext(random)) {
        CurrentItem = *drawn;
        pictureShown = true;
        return;
    }
    // Accomplished; the pictogram of the last sentence stays as it was.
    recorder.end(ProgressRecord::Outcome::Accomplished);
    buttons.enterJudges = buttons.nextEnabled = buttons.solutionEnabled = false;
    buttons.startEnabled = buttons.restart = true;
    accomplishedShown = true;
    plusPressable = true;
    draws.clear();
}

SentenceRun::Judged SentenceRun::judge(const QString &typed)
{
    Judged judged{judgeOf.judge(typed, expected()), {}, false};
    // Nothing typed is no try of the sentence: the learner is warned, nothing is recorded or marked.
    if (draws.running() && judged.verdict != AnswerJudge::Verdict::Empty)
        recorder.answer(itemKey(CurrentItem), expected(), judgeOf.read(typed), judged.verdict == AnswerJudge::Verdict::Right,
                        draws.solutionShown(), draws.retryMarked());
    if (judged.verdict == AnswerJudge::Verdict::Wrong)
        draws.markWrong();
    if (judged.verdict != AnswerJudge::Verdict::Right)
        return judged;
    judged.finished = SentenceTable::finished(row(), expected());
    draws.answeredRight();
    drawNext();
    judged.accomplished = !draws.running();
    return judged;
}

QString SentenceRun::showSolution()
{
    draws.markSolutionShown();
    return expected();
}
