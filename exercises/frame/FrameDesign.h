#pragma once

#include "common/Colour.h"
#include "lesson/Lesson.h"

#include <QFont>
#include <QRect>
#include <QString>

#include <array>

// What differs between the four exercise windows in the parts they share.
// Rectangles are in twips: left, top, width, height.
struct FrameDesign
{
    QString formName;
    int clientHeight = 5880; // every exercise window is 9210 twips wide
    Bgr backColour = 0;

    QString solutionName = QStringLiteral("Command4");
    QString charName;
    QString keyHelpName;
    // The designed names of the go-to buttons of a lesson's first eight exercises, in grid order.
    std::array<QString, 8> goToNames;
    // The shape of exercise the window plays.
    LessonModel::Shape shape = LessonModel::Shape::SuffixDrill;
    // The window switches between the lesson's exercises of its shape in place; otherwise
    // it plays one at a time, and the go-to button of the one it plays does nothing.
    bool switchesInPlace = false;
    bool ownButtonDisabled = false;

    // Start, Solution and Close share one row at the top left.
    int topButtonWidth = 1095;
    int topButtonStep = 1080;
    QRect goToHeading;
    Bgr goToHeadingBack = 0;
    Bgr goToHeadingFore = 0;
    QRect next;
    QRect charButton;
    QRect keyHelp;
    bool keyHelpLeadingBlank = true;
    Bgr keyHelpBack = Colour::White;
    Bgr keyHelpFore = Colour::Black;
    QFont keyHelpFont;

    QString howToFirstParagraph;
    QString howToMenuCaption = QStringLiteral("&How to...");
    bool charFocusesAnswer = false;
    bool howToFocusesAnswer = false;
    bool closeFocusesEndButton = false;
};
