#include "RunRecorder.h"

void RunRecorder::begin(const QString &lessonId, const QString &exerciseId, ProgressRecord::Variant variant,
                        const QString &person)
{
    end(ProgressRecord::Outcome::Left);
    lesson = lessonId;
    exercise = exerciseId;
    run = record.runStarted(lesson, exercise, variant, person);
}

void RunRecorder::end(ProgressRecord::Outcome outcome)
{
    if (run)
        record.runEnded(*run, outcome);
    run.reset();
}

void RunRecorder::answer(const QString &item, const QString &expected, const QString &given, bool right,
                         bool solutionShown, bool retry)
{
    record.answerJudged({lesson, exercise, item, expected, given, right, solutionShown, retry, run.value_or(0)});
}
