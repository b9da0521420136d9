#include "b07d3.h"

#include "common/DesignFont.h"

namespace {

FrameDesign pictureStoryDesign()
{
    FrameDesign d;
    d.formName = QStringLiteral("b07d3");
    d.clientHeight = 5865;
    d.backColour = 0xF0F0F0;
    d.solutionName = QStringLiteral("Command4");
    d.charName = QStringLiteral("Command10");
    d.keyHelpName = QStringLiteral("Label3");
    d.goToNames = {QStringLiteral("Command5"),  QStringLiteral("Command8"),  QStringLiteral("Command9"),
                   QStringLiteral("Command6"),  QStringLiteral("Command7"),  QStringLiteral("Command11"),
                   QStringLiteral("Command12"), QStringLiteral("Command13")};
    d.ownExercise = Exercise::Ex3;
    d.ownButtonDisabled = true;
    d.goToHeading = {5040, 120, 1695, 375};
    d.goToHeadingBack = 0x808080;
    d.goToHeadingFore = Colour::Black;
    d.next = {4200, 4800, 1215, 495};
    d.charButton = {0, 5400, 735, 375};
    d.keyHelp = {840, 5400, 8415, 375};
    d.keyHelpLeadingBlank = false;
    d.keyHelpBack = 0x404040;
    d.keyHelpFore = 0xC0FFFF;
    d.keyHelpFont = DesignFont(QStringLiteral("MS Serif"), 13.5, true);
    d.howToFirstParagraph = QStringLiteral("Click the \"Start\" button and put your solution in any of the gaps. Then "
                                           "click the \"Next\" button or press the \"Enter\" key. Go on.");
    return d;
}

} // namespace

b07d3::b07d3(Services services, ExerciseOpener &opener) : ExerciseWindow(pictureStoryDesign(), services, opener) {}

void b07d3::buildControls(QWidget &) {}
void b07d3::startClicked() {}
void b07d3::nextClicked() {}
void b07d3::solutionClicked() {}
