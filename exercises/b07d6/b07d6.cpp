#include "b07d6.h"

#include "EveningStory.h"
#include "common/DesignFont.h"

#include <QLineEdit>

namespace {

FrameDesign storyDesign()
{
    FrameDesign d;
    d.formName = QStringLiteral("b07d6");
    d.backColour = 0x808080;
    d.solutionName = QStringLiteral("Command4");
    d.charName = QStringLiteral("Command10");
    d.keyHelpName = QStringLiteral("Label3");
    d.goToNames = {QStringLiteral("Command5"),  QStringLiteral("Command6"),  QStringLiteral("Command7"),
                   QStringLiteral("Command8"),  QStringLiteral("Command11"), QStringLiteral("Command12"),
                   QStringLiteral("Command13"), QStringLiteral("Command14")};
    d.ownExercise = Exercise::Ex6;
    d.goToHeading = {4440, 120, 2055, 375};
    d.goToHeadingBack = 0x808080;
    d.goToHeadingFore = Colour::White;
    // Below the last story row, which ends at 4635.
    d.next = {4200, 4800, 1215, 495};
    d.charButton = {120, 4800, 855, 495};
    d.keyHelp = {240, 5400, 8895, 375};
    d.keyHelpBack = 0x404040;
    d.keyHelpFore = 0xC0FFFF;
    d.keyHelpFont = DesignFont(QStringLiteral("MS Serif"), 13.5, true);
    d.howToFirstParagraph = QStringLiteral(
        "Select the person of the subject (Anna/én/te) in the green selection field and click the \"Start\" button. "
        "Put your solution in any of the gaps. Click on the \"Next\" button or press the \"Enter\" key. Go on.");
    return d;
}

} // namespace

b07d6::b07d6(Services services, ExerciseOpener &opener)
    : StoryWindow(storyDesign(), eveningStory(), services, opener)
{
}

// For "én" and "te" the story names nobody in row 1: the sentence opens with the
// verb in gap 1, offered with a capital.
void b07d6::personStart()
{
    if (PersonNo == 0) {
        piece(1)->setText(QStringLiteral(". Anna"));
        return;
    }
    piece(1)->setText(QStringLiteral(".      "));
    // A solved gap 1 keeps its answer when Start is pressed again mid-run.
    if (!isSolved(1))
        gap(1)->setText(QStringLiteral("Belép"));
}
