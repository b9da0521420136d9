#pragma once

#include "ReviewPrompt.h"
#include "record/RecordTypes.h"

#include <vector>

// What a review run asks: the due items whose lessons the program can still open,
// in the record's order (the least likely recalled first), and in one sentence
// which items are left out and why.
struct ReviewPlan
{
    std::vector<ReviewPrompt> prompts;
    QString leftOut;

    static ReviewPlan of(const std::vector<RecordData::DueItem> &due, const std::vector<LessonModel::Lesson> &lessons);
};

// The caption of the main menu's Review entry for these figures; `nowMs` the record's clock.
QString reviewCaption(const RecordData::ReviewFigures &figures, qint64 nowMs);
