#pragma once

#include "common/Colour.h"
#include "lesson/Lesson.h"

#include <QFont>
#include <QRect>
#include <QString>

#include <array>

// A label of the frame as designed: where it stands (twips), its colours and font.
struct DesignedLabel
{
    QRect twips;
    Bgr back = Colour::White;
    Bgr fore = Colour::Black;
    QFont font = {};
};

// The designed names of the frame's controls in one window.
struct FrameNames
{
    QString form;
    QString solution;
    QString charButton;
    QString keyHelp;
    // The go-to buttons of a lesson's first eight exercises, in grid order.
    std::array<QString, 8> goTo;
};

// What differs between the four exercise windows in the parts they share.
// Rectangles are in twips: left, top, width, height.
struct FrameDesign
{
    FrameNames names;
    int clientHeight = 5880; // every exercise window is 9210 twips wide
    Bgr backColour = 0;
    // The shape of exercise the window plays.
    LessonModel::Shape shape = LessonModel::Shape::SuffixDrill;
    // The window switches between the lesson's exercises of its shape in place; otherwise
    // it plays one at a time, and the go-to button of the one it plays does nothing.
    bool switchesInPlace = false;
    bool ownButtonDisabled = false;

    // Start, Solution and Close share one row at the top left.
    int topButtonWidth = 1095;
    int topButtonStep = 1080;
    // "Go to exercise:" (its font is the same everywhere).
    DesignedLabel goToHeading;
    QRect next;
    QRect charButton;
    DesignedLabel keyHelp;
    bool keyHelpLeadingBlank = true;

    QString howToFirstParagraph;
    QString howToMenuCaption = QStringLiteral("&How to...");
    bool charFocusesAnswer = false;
    bool howToFocusesAnswer = false;
    bool closeFocusesEndButton = false;
};
