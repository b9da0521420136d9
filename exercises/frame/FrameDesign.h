#pragma once

#include "Exercise.h"
#include "common/Colour.h"

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>

#include <array>
#include <optional>

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
    // Go-to buttons in grid order: 1a, 1b, 1c, 2, 3, 4, 5, 6.
    std::array<QString, 8> goToNames;
    // The exercises this window runs itself: their go-to buttons switch in place.
    QList<Exercise> switchesInPlace;
    // The window's own exercise when it is not switched in place: its button does nothing.
    std::optional<Exercise> ownExercise;
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
