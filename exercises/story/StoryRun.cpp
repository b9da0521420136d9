#include "StoryRun.h"

#include "speech/SpokenText.h"

void StoryRun::load(const LessonModel::Lesson &lesson, Exercise exercise, Rules windowRules)
{
    const LessonModel::Exercise &told = lesson.exercises.at(std::size_t(exercise.place));
    load(std::get<LessonModel::Story>(told.content));
    lessonId = lesson.id;
    exerciseId = told.id;
    judgeOf = AnswerJudge::forShape(told.shape);
    rules = windowRules;
}

void StoryRun::load(const LessonModel::Story &told)
{
    leave();
    story = &told;
    lessonId.clear();
    exerciseId.clear();
    judgeOf = AnswerJudge();
    rules = {false, false};
    personNo = toldPerson = gapNo = solved = 0;
    begun = done = restartCaption = false;
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
    toldPerson = personNo;
    // Start during a run only goes back to the first gap: what the run knows of each gap stays.
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
    if (!exerciseId.isEmpty())
        recorder.begin(lessonId, exerciseId, ProgressRecord::Variant::Basic, personName());
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
    const AnswerJudge::Verdict verdict =
        judgeOf.judge(typed, expected(gapNo), story->gaps[std::size_t(gapNo)].alsoRight.value(personName()));
    const bool right = verdict == AnswerJudge::Verdict::Right;
    // Nothing typed is no try of the gap: the learner is warned, nothing is recorded or marked.
    if (begun && verdict != AnswerJudge::Verdict::Empty)
        recorder.answer(itemKey(gapNo, personName()), expected(gapNo), judgeOf.read(typed), right,
                        shown[std::size_t(gapNo)], wrong[std::size_t(gapNo)]);
    if (verdict == AnswerJudge::Verdict::Empty)
        return Judged::Empty;
    if (!right) {
        wrong[std::size_t(gapNo)] = true;
        return Judged::Wrong;
    }
    solvedGaps[std::size_t(gapNo)] = true;
    done = ++solved == gapCount();
    if (done) {
        restartCaption = true;
        recorder.end(ProgressRecord::Outcome::Accomplished);
    }
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

FrameState StoryRun::frame() const
{
    FrameState frame;
    frame.startEnabled = true;
    frame.restart = restartCaption;
    frame.nextEnabled = frame.solutionEnabled = running();
    frame.enterJudges = !(rules.enterStopsWhenDone && done);
    return frame;
}

std::vector<StoryFlow::Step> StoryRun::readingOrder(const LessonModel::Story &story)
{
    if (story.layout) {
        std::vector<LessonModel::Place> gaps;
        for (const LessonModel::StoryGap &gap : story.gaps)
            gaps.push_back(gap.place.value_or(LessonModel::Place{}));
        std::vector<StoryFlow::Line> pieces;
        for (std::size_t k = 0; k < story.pieces.size(); ++k)
            pieces.push_back({int(k), story.pieces[k].text, story.pieces[k].place.value_or(LessonModel::Place{})});
        return StoryFlow::readingOrder(gaps, pieces);
    }
    std::vector<StoryFlow::Step> steps;
    std::size_t piece = 0;
    for (std::size_t gap = 0; gap <= story.gaps.size(); ++gap) {
        for (; piece < story.pieces.size() && story.pieces[piece].gapsBefore <= int(gap); ++piece)
            steps.push_back({false, int(piece)});
        if (gap < story.gaps.size())
            steps.push_back({true, int(gap)});
    }
    return steps;
}

QString StoryRun::told(const LessonModel::Story &story, int person, int pieceTeller, int marked, const QString &mark)
{
    const QString teller = story.persons.value(pieceTeller);
    QStringList parts;
    for (const StoryFlow::Step &step : readingOrder(story)) {
        if (!step.gap) {
            const LessonModel::StoryPiece &piece = story.pieces[std::size_t(step.index)];
            parts << piece.textAtStart.value(teller, piece.text);
        } else {
            parts << (step.index == marked ? mark : story.gaps[std::size_t(step.index)].answers.value(person));
        }
    }
    return parts.join(u' ');
}

QString StoryRun::spoken(int around) const
{
    // The gap spoken about is marked with characters no lesson holds, found again after cleaning.
    const QChar mark(0xE000);
    const QString markedAnswer = mark + (around >= 0 ? expected(around) : QString()) + mark;
    QString text = SpokenText::clean(told(*story, personNo, toldPerson, around, markedAnswer));
    const qsizetype from = text.indexOf(mark);
    if (from < 0)
        return text;
    const qsizetype to = text.indexOf(mark, from + 1);
    return SpokenText::sentenceAround(text, from, to).remove(mark);
}
