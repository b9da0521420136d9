#pragma once

#include "Lesson.h"

#include <QString>

#include <vector>

// A story written as running text, each gap in square brackets holding its offer:
// "Anna [belép] a lakásba." The text between the gaps becomes the pieces.
namespace StoryMarkup {

struct Gap
{
    QString offer;
    qsizetype at = 0; // where its [ stands in the text
};

struct Problem
{
    qsizetype at = 0; // the offending bracket in the text
    QString message;
};

struct Story
{
    std::vector<Gap> gaps;
    // In story order, numbered from 0; a stretch of text with no word makes no piece.
    std::vector<LessonModel::StoryPiece> pieces;
    std::vector<Problem> problems;
};

Story parse(const QString &text);

// The story's pieces and gaps as running text, each gap's offer in brackets; a stop after a
// gap joins it as written ("[felkel]."). Parsing it gives the same pieces and offers.
QString text(const LessonModel::Story &story);

} // namespace StoryMarkup
