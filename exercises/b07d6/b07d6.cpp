#include "b07d6.h"

#include "common/DesignFont.h"

#include <QLineEdit>

namespace {

const QString WorkingTheGaps = QStringLiteral(
    "Put your solution in any of the gaps. Click on the \"Next\" button or press the \"Enter\" key. Go on.");

FrameDesign personStoryFrame()
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
    d.shape = LessonModel::Shape::PersonStory;
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
    // A story of one person: nothing to select.
    d.howToFirstParagraph = QStringLiteral("Click the \"Start\" button. ") + WorkingTheGaps;
    return d;
}

// A person story is written on white pieces; its person is fixed while a run goes on.
StoryDesign personStoryDesign()
{
    StoryDesign d;
    d.pieceBack = Colour::White;
    d.headingFore = Colour::White;
    d.headingBack = 0x808080;
    d.personFieldName = QStringLiteral("Anna");
    // The answers were loaded for the person chosen at Start.
    d.personFixedWhileRunning = true;
    d.howToChoosingPerson = QStringLiteral("Select the person of the subject (%1) in the green selection field and "
                                           "click the \"Start\" button. ") + WorkingTheGaps;
    // A story without a layout is set as lesson 7's is: rows from 1200, 600 apart, the
    // last ending above Next at 4800; a margin of 120 on either side.
    d.flowArea = {.left = 120, .right = 9090, .top = 1200, .bottom = 4680,
                  .boxHeight = 435, .rowStep = 600, .tightestRowStep = 480};
    d.flowFont = QStringLiteral("MS Serif");
    d.flowHeadingPlace = {120, 600, 5415, 375};
    d.flowPersonPlace = {5640, 600, 1095, 375};
    return d;
}

} // namespace

b07d6::b07d6(Services services, ExerciseOpener &opener)
    : StoryWindow(personStoryFrame(), personStoryDesign(), services, opener)
{
}
