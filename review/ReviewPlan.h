#pragma once

#include "ReviewPrompt.h"
#include "record/RecordTypes.h"

#include <vector>

// What a review run asks: the due items whose lessons the program can still open,
// in the record's order (the least likely recalled first), at most a run's length of
// them, and in one sentence which items are left out and why.
struct ReviewPlan
{
    // A run asks at most this many items: a sitting's worth.
    static constexpr int RunLength = 50;

    std::vector<ReviewPrompt> prompts;
    QString leftOut;
    // Why nothing can be asked although items may be due: the record could not be read.
    QString problem;

    // Of every due item: those that cannot be asked are left out first, then the run's
    // length is taken from the rest.
    static ReviewPlan of(const std::vector<RecordData::DueItem> &due, const std::vector<LessonModel::Lesson> &lessons);
};

// The chance of recall an item falls due at: the learner's choice (70 to 97 %), 90 % at first.
double reviewRetention();
void setReviewRetention(int percent);

// What the Progress window says of the review: of the lesson, and of all lessons.
QString reviewSummary(const RecordData::ReviewFigures &lesson, const RecordData::ReviewFigures &all);

// The caption of the main menu's Review entry for these figures; `nowMs` the record's clock.
QString reviewCaption(const RecordData::ReviewFigures &figures, qint64 nowMs);
