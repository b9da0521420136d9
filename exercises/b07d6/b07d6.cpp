#include "b07d6.h"

#include "common/DesignFont.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

const QString WorkingTheGaps = QStringLiteral(
    "Put your solution in any of the gaps. Click on the \"Next\" button or press the \"Enter\" key. Go on.");

FrameDesign personStoryFrame()
{
    FrameDesign d;
    d.names = {u"b07d6"_s, u"Command4"_s, u"Command10"_s, u"Label3"_s,
               {u"Command5"_s, u"Command6"_s, u"Command7"_s, u"Command8"_s, u"Command11"_s, u"Command12"_s,
                u"Command13"_s, u"Command14"_s}};
    d.backColour = 0x808080;
    d.shape = LessonModel::Shape::PersonStory;
    d.goToHeading = {{4440, 120, 2055, 375}, 0x808080, Colour::White};
    // Below the last story row, which ends at 4635.
    d.next = {4200, 4800, 1215, 495};
    d.charButton = {120, 4800, 855, 495};
    d.keyHelp = {{240, 5400, 8895, 375}, 0x404040, 0xC0FFFF, DesignFont(u"MS Serif"_s, 13.5, true)};
    // A story of one person: nothing to select.
    d.howToFirstParagraph = u"Click the \"Start\" button. "_s + WorkingTheGaps;
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
