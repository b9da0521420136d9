#pragma once

#include "StoryFlow.h"
#include "common/Colour.h"
#include "lesson/Lesson.h"

#include <QString>

// How a story window presents any story of its shape; the story itself (gaps,
// pieces, persons, layout, heading) comes from the lesson.
struct StoryDesign
{
    Bgr pieceBack = Colour::White;
    // Pieces that are plain text on the window, locked and outside the tab order.
    bool piecesLocked = false;
    Bgr headingFore = Colour::Black;
    Bgr headingBack = 0x808080;
    QString personFieldName;
    // What stands free before the person field (its label, a margin): a long heading ends there.
    int roomBeforePerson = 120;
    // The person cannot be changed while a run is going.
    bool personFixedWhileRunning = false;
    // When accomplished, Enter no longer clicks Next; Start gives it back.
    bool dropDefaultWhenDone = false;
    // How to's first paragraph where the learner chooses among the persons (%1, "Anna/én/te");
    // empty: the frame's, which has no choice to speak of.
    QString howToChoosingPerson;

    // A story that gives no layout is laid out as running text: here, in this font
    // (gaps and pieces), under this heading and person field.
    StoryFlow::Area flowArea;
    QString flowFont;
    LessonModel::Rect flowHeadingPlace;
    LessonModel::Rect flowPersonPlace;
};
