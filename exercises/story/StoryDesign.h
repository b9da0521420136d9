#pragma once

#include "common/Colour.h"

#include <QRect>
#include <QString>

#include <array>
#include <span>

// The three subjects a story can be told about: the named person (third
// person singular), "én" and "te". Their order is the order of the selection field.
inline constexpr int PersonCount = 3;

// One gap of a story. The kind code is the colour-table kind ("al" a verb that
// agrees with the subject, "h" a place or time phrase, "t" an object); the box
// shows it only through its colour.
struct StoryGap
{
    const char16_t *kind;
    const char16_t *base; // the word the gap offers; Restart brings it back
    std::array<const char16_t *, PersonCount> answers;
    int row; // 0-based story row
    int left;
    int width;
    int picture = -1; // the story picture of the sentence the gap is in, if the story has pictures
};

// A fixed piece of story text, Text2(index).
struct StoryPiece
{
    int index;
    const char16_t *text;
    int row;
    int left;
    int width;
    qreal pointSize = 12;
    bool alignLeft = false;
    const char16_t *family = nullptr; // the story's piece font unless given
};

// What one story window lays out and how it judges, apart from the frame.
struct StoryDesign
{
    std::span<const StoryGap> gaps;
    std::span<const StoryPiece> pieces;
    std::span<const int> rowTops;
    int boxHeight = 435;
    // Fixed pieces may sit a little lower than the gaps of their row.
    int pieceDrop = 0;
    QString gapFamily;
    QString pieceFamily;
    Bgr pieceBack = Colour::White;
    // Pieces that are plain text on the window, locked and outside the tab order.
    bool piecesLocked = false;
    // A gap that starts empty: the learner supplies the whole word.
    int emptyGap = -1;

    QString heading;
    QRect headingPlace;
    Bgr headingFore = Colour::Black;
    Bgr headingBack = 0x808080;
    QString titleEnding; // after "   ---   7. lecke" (Module1::SetLessonTitle)

    QString personFieldName;
    QRect personFieldPlace;
    std::array<QString, PersonCount> persons;
    // The person cannot be changed while a run is going.
    bool personFixedWhileRunning = false;
    // Runs of blanks in an answer shrink to one blank before it is judged.
    bool collapseBlanks = false;
    // When accomplished, Enter no longer clicks Next; Start gives it back.
    bool dropDefaultWhenDone = false;
};
