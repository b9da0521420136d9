#include "b07d3.h"

#include "common/Controls.h"
#include "common/DesignFont.h"
#include "common/Pictures.h"
#include "common/Twips.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// The rectangle around pictures and story ends here, or lower by as much as a long story needs.
constexpr int FrameBottom = 4680;

FrameDesign pictureStoryFrame()
{
    FrameDesign d;
    d.names = {u"b07d3"_s, u"Command4"_s, u"Command10"_s, u"Label3"_s,
               {u"Command5"_s, u"Command8"_s, u"Command9"_s, u"Command6"_s, u"Command7"_s, u"Command11"_s,
                u"Command12"_s, u"Command13"_s}};
    d.clientHeight = 5865;
    d.backColour = 0xF0F0F0;
    d.shape = LessonModel::Shape::PictureStory;
    d.ownButtonDisabled = true;
    // Wide enough for the caption in the fonts this machine has, clear of the go-to grid at 6840.
    d.goToHeading = {{4920, 120, 1815, 375}, 0x808080, Colour::Black};
    // Below the frame around pictures and story, which ends at 4680.
    d.next = {4200, 4800, 1215, 495};
    d.charButton = {0, 5400, 735, 375};
    d.keyHelp = {{840, 5400, 8415, 375}, 0x404040, 0xC0FFFF, DesignFont(u"MS Serif"_s, 13.5, true)};
    d.keyHelpLeadingBlank = false;
    d.howToFirstParagraph = u"Click the \"Start\" button and put your solution in any of the gaps. Then "
                            u"click the \"Next\" button or press the \"Enter\" key. Go on."_s;
    return d;
}

QLabel *pictureFrame(QWidget &parent, const QString &name, const QRect &twips, const QString &accessibleName,
                     bool bordered)
{
    auto *frame = new QLabel(&parent);
    Controls::place(*frame, name, twips);
    frame->setScaledContents(true);
    frame->setAccessibleName(accessibleName);
    frame->setProperty("frameName", accessibleName);
    if (bordered)
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    return frame;
}

QToolButton *arrow(QWidget &parent, const QString &name, const QRect &twips, const QString &picture,
                   const QString &accessibleName)
{
    auto *button = new QToolButton(&parent);
    Controls::place(*button, name, twips);
    button->setAutoRaise(true);
    // Paging the pictures leaves the focus in the gap being worked on.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAccessibleName(accessibleName);
    button->setToolTip(accessibleName);
    button->setIcon(Pictures::icon(picture, {button->width()}, button->devicePixelRatioF()));
    button->setIconSize(button->size());
    return button;
}

// A picture story reads as running text on the window, its pieces plain and locked.
StoryDesign pictureStoryDesign()
{
    StoryDesign d;
    d.pieceBack = 0xF0F0F0;
    d.piecesLocked = true;
    d.headingFore = Colour::Black;
    d.headingBack = 0x808080;
    d.personFieldName = QStringLiteral("Combo1");
    // "Ki?" stands before the field, from 4200.
    d.roomBeforePerson = 600;
    d.dropDefaultWhenDone = true;
    // A story without a layout is set as lesson 7's is: rows from 2280 below the picture
    // strip, 480 apart, inside the frame with a margin of 240 on either side.
    d.flowArea = {.left = 240, .right = 8880, .top = 2280, .bottom = FrameBottom - 45,
                  .boxHeight = 405, .rowStep = 480, .tightestRowStep = 420};
    d.flowFont = QStringLiteral("Times New Roman");
    d.flowHeadingPlace = {120, 540, 3855, 375};
    d.flowPersonPlace = {4680, 540, 1095, 375};
    return d;
}

} // namespace

b07d3::b07d3(Services services, ExerciseOpener &opener)
    : StoryWindow(pictureStoryFrame(), pictureStoryDesign(), services, opener)
{
}

int b07d3::lastPicture() const
{
    return int(story().pictures.size()) - 1;
}

void b07d3::buildExtras(QWidget &client)
{
    ui = std::make_unique<Widgets>();
    // "Who?", unless the lesson names its persons otherwise.
    const QString label = story().personLabel.isEmpty() ? QStringLiteral("Ki?") : story().personLabel;
    ui->Label1 = Controls::label(client, QStringLiteral("Label1"), label, {4200, 540, 435, 375},
                                 DesignFont(QStringLiteral("Arial"), 12, true), 0xF0F0F0, Colour::Black);
    // The lesson's own label grows to the left as far as it needs, ending where the person field begins.
    const int width = ui->Label1->fontMetrics().horizontalAdvance(label) + 4;
    if (!story().personLabel.isEmpty() && width > ui->Label1->width())
        ui->Label1->setGeometry(ui->Label1->geometry().right() + 1 - width, ui->Label1->y(), width, ui->Label1->height());

    // The rectangle around pictures and story, from (0, 960) to (9120, 4680) and down with a long story.
    const int left = Twips::toPixels(0), top = Twips::toPixels(960);
    const int right = Twips::toPixels(9120), bottom = Twips::toPixels(FrameBottom + storyGrowth());
    const std::array<QRect, 4> sides{QRect(left, top, right - left + 1, 1), QRect(left, bottom, right - left + 1, 1),
                                     QRect(left, top, 1, bottom - top + 1), QRect(right, top, 1, bottom - top + 1)};
    for (std::size_t i = 0; i < sides.size(); ++i) {
        auto *line = new QFrame(&client);
        line->setObjectName(QStringLiteral("Line%1").arg(i + 1));
        line->setGeometry(sides[i]);
        Colour::setBackColor(line, Colour::Black);
    }

    ui->Image1 = pictureFrame(client, QStringLiteral("Image1"), {2280, 1095, 1455, 945}, QStringLiteral("Earlier picture"),
                          true);
    auto *centre = new QFrame(&client);
    Controls::place(*centre, QStringLiteral("Picture2"), {3855, 1095, 1455, 945});
    centre->setFrameStyle(QFrame::Box | QFrame::Plain);
    ui->Image2 = pictureFrame(*centre, QStringLiteral("Image2"), {15, 15, 1425, 915}, QStringLiteral("Current picture"),
                          false);
    ui->Image3 = pictureFrame(client, QStringLiteral("Image3"), {5400, 1110, 1335, 915}, QStringLiteral("Later picture"),
                          true);

    ui->Image4 = arrow(client, QStringLiteral("Image4"), {1680, 1320, 480, 480}, QStringLiteral(":/resources/arrow-previous.svg"),
                   QStringLiteral("Previous picture"));
    ui->Image5 = arrow(client, QStringLiteral("Image5"), {6840, 1320, 480, 480}, QStringLiteral(":/resources/arrow-next.svg"),
                   QStringLiteral("Next picture"));
    QObject::connect(ui->Image4, &QToolButton::clicked, ui->Image4, [this] { Image4_Click(); });
    QObject::connect(ui->Image5, &QToolButton::clicked, ui->Image5, [this] { Image5_Click(); });

    // The pictures are drawn once per opening at twice the largest frame, so they stay crisp when stretched.
    const QSize size = ui->Image1->size();
    Image6.clear();
    for (const LessonModel::StoryPicture &picture : story().pictures)
        Image6.push_back(Pictures::pixmap(picture.picture, size, 2 * client.devicePixelRatioF()));
}

void b07d3::showPersonChoice(bool shown)
{
    ui->Label1->setVisible(shown);
}

void b07d3::gapFocused(int)
{
    kepvalt();
}

// The picture of the sentence the current gap is in.
void b07d3::kepvalt()
{
    PictureNo = story().gaps[std::size_t(run.aimed())].picture;
    kepvalt3();
}

// Nothing is shown beyond the ends of the story.
void b07d3::kepvalt3()
{
    showPicture(ui->Image1, PictureNo >= 1 ? PictureNo - 1 : -1);
    showPicture(ui->Image2, PictureNo);
    showPicture(ui->Image3, PictureNo < lastPicture() ? PictureNo + 1 : -1);
}

void b07d3::showPicture(QLabel *slot, int picture)
{
    if (picture < 0 || picture > lastPicture()) {
        slot->clear();
        slot->setAccessibleDescription({});
        slot->setAccessibleName(slot->property("frameName").toString() + QStringLiteral(": none"));
        return;
    }
    slot->setPixmap(Image6[std::size_t(picture)]);
    // The scene is what a screen reader says of the frame.
    const QString &scene = story().pictures[std::size_t(picture)].scene;
    slot->setAccessibleDescription(scene);
    slot->setAccessibleName(slot->property("frameName").toString() + QStringLiteral(": ") + scene);
}

// The arrows stop at the second picture: the first is then in view on its left.
void b07d3::Image4_Click()
{
    BrowseNo = std::max(BrowseNo - 1, 1);
    PictureNo = BrowseNo;
    kepvalt3();
}

void b07d3::Image5_Click()
{
    BrowseNo = std::min(BrowseNo + 1, lastPicture());
    PictureNo = BrowseNo;
    kepvalt3();
}
