#include "b07d4.h"

#include "common/DesignFont.h"

namespace {

FrameDesign sentenceDesign()
{
    FrameDesign d;
    d.formName = QStringLiteral("b07d4");
    d.backColour = 0x808000;
    d.solutionName = QStringLiteral("Command8");
    d.charName = QStringLiteral("Command9");
    d.keyHelpName = QStringLiteral("Label5");
    d.goToNames = {QStringLiteral("Command10"), QStringLiteral("Command5"),  QStringLiteral("Command6"),
                   QStringLiteral("Command7"),  QStringLiteral("Command11"), QStringLiteral("Command12"),
                   QStringLiteral("Command13"), QStringLiteral("Command14")};
    d.switchesInPlace = {Exercise::Ex4, Exercise::Ex5};
    d.topButtonWidth = 1215;
    d.topButtonStep = 1200;
    d.goToHeading = {4920, 120, 2055, 375};
    d.goToHeadingBack = 0x808000;
    d.goToHeadingFore = Colour::White;
    d.next = {4200, 4320, 1215, 495};
    d.charButton = {120, 5400, 855, 495};
    d.keyHelp = {960, 5520, 8175, 375};
    d.keyHelpLeadingBlank = false;
    d.keyHelpFont = DesignFont(QStringLiteral("MS Serif"), 12, true);
    d.howToFirstParagraph = QStringLiteral("Click the \"Start\" button and put your solution in the gap. Then click on "
                                           "the \"Next\" button or press the \"Enter\" key. Go on.");
    d.howToMenuCaption = QStringLiteral("&How to");
    d.howToFocusesAnswer = true;
    return d;
}

} // namespace

b07d4::b07d4(Services services, ExerciseOpener &opener) : ExerciseWindow(sentenceDesign(), services, opener) {}

void b07d4::buildControls(QWidget &) {}
void b07d4::startClicked() {}
void b07d4::nextClicked() {}
void b07d4::solutionClicked() {}
