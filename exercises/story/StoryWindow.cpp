#include "StoryWindow.h"

#include "common/Controls.h"
#include "common/DesignFont.h"
#include "common/Module1.h"
#include "common/Twips.h"
#include "exercises/frame/AnswerBox.h"
#include "lesson/LessonSource.h"
#include "speech/Speech.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>

#include <algorithm>
#include <map>

namespace {

const Bgr PersonFieldGreen = 0x00C000;
// A story laid out by the program never makes its window's client taller than this
// (640 pixels), so that the window fits a screen 768 pixels high with a menu bar, a
// title bar and a desktop's panel (about 25, 37 and 40 pixels); a longer story scrolls.
const int TallestClient = 9600;

// Everything a gap may hold, so that a gap laid out by the program is wide enough for each.
QStringList textsOf(const LessonModel::StoryGap &gap)
{
    QStringList texts = gap.answers + gap.offerAtStart.values();
    texts << gap.offer;
    for (const QStringList &others : gap.alsoRight)
        texts << others;
    return texts;
}

} // namespace

StoryWindow::StoryWindow(FrameDesign frame, StoryDesign story, Services services, ExerciseOpener &opener)
    : ExerciseWindow(std::move(frame), services, opener), run(services.record), storyDesign(std::move(story))
{
}

const LessonModel::Exercise &StoryWindow::storyExercise() const
{
    return lessonExercise(aimedExercise());
}

const LessonModel::Story &StoryWindow::story() const
{
    return std::get<LessonModel::Story>(storyExercise().content);
}

QLineEdit *StoryWindow::gap(int n) const
{
    return ui->Text1.at(std::size_t(n));
}

QLineEdit *StoryWindow::piece(int index) const
{
    return ui->Text2.at(std::size_t(index));
}

// A gap just solved locks in its kind's strong colour; Restart, which comes only once every gap is
// solved, opens each again in its pale colour.
void StoryWindow::toggleGap(int n)
{
    shared.ToggleBox(gap(n), story().gaps[std::size_t(n)].kind);
}

void StoryWindow::buildControls(QWidget &client)
{
    ui = std::make_unique<Widgets>();
    // The gaps are drawn in their kind's colours, which the colour table holds.
    shared.SetColours();
    shared.LessonKinds.clear();
    for (const LessonModel::GapKind &kind : lessons.lesson().kinds)
        shared.LessonKinds.insert(kind.code, {Colour::fromQColor(kind.open), Colour::fromQColor(kind.solved)});
    // Beside Next, so that a long story's growth moves it down with Next.
    const QRect next = design().next;
    ui->readStory = Controls::button(client, QStringLiteral("ReadStory"), QStringLiteral("Read the s&tory"),
                                     {next.right() + 226, next.top(), 1695, next.height()},
                                     DesignFont(QStringLiteral("MS Sans Serif"), 9.75, true));
    ui->readStory->setEnabled(false);
    QObject::connect(ui->readStory, &QPushButton::clicked, ui->readStory, [this] { speech.sayAsked(run.spoken()); });

    StoryPlan plan = story().layout ? givenPlan() : flowedPlan(client, 0);
    // What the window may grow by to show the story whole; beyond it the story scrolls.
    const int room = TallestClient - client.height() * Twips::PerPixel;
    QWidget *storyHost = &client;
    if (!story().layout && plan.growth > room) {
        const int scrollBar = client.style()->pixelMetric(QStyle::PM_ScrollBarExtent) * Twips::PerPixel;
        plan = flowedPlan(client, scrollBar);
        storyHost = scrollingHost(client, plan, room);
        plan.growth = room;
    }
    growBy(client, plan.growth);
    const LessonModel::StoryLayout &layout = plan.layout;
    const auto rect = [](const LessonModel::Rect &r) { return QRect(r.left, r.top, r.width, r.height); };
    QLabel *heading = Controls::label(client, QStringLiteral("Label2"), storyExercise().heading, rect(layout.headingPlace),
                                      DesignFont(QStringLiteral("Arial"), 12, true), storyDesign.headingBack,
                                      storyDesign.headingFore);


    // Gaps first, in number order, so that Tab walks them in story order.
    const QFont gapFont = DesignFont(layout.gapFont, 12, true);
    for (int n = 0; n < gapCount(); ++n) {
        const LessonModel::StoryGap &item = story().gaps[std::size_t(n)];
        const LessonModel::Place &where = plan.gaps[std::size_t(n)];
        const QRect place{where.left, layout.rowTops.at(std::size_t(where.row)), where.width, layout.boxHeight};
        AnswerBox *box = makeAnswerBox(*storyHost, QStringLiteral("Text1_%1").arg(n), place);
        box->setFont(gapFont);
        box->setAlignment(Qt::AlignCenter);
        // A screen reader says which gap it is; the text it holds is its value.
        box->setAccessibleName(QStringLiteral("Gap %1 of %2").arg(n + 1).arg(gapCount()));
        Colour::setForeColor(box, Colour::Black);
        // Every gap starts open, in the pale colour of its kind.
        Colour::setBackColor(box, shared.KindColour(item.kind, false).value_or(Colour::White));
        box->setText(item.offer);
        QObject::connect(box, &AnswerBox::gotFocus, box, [this, n] { Text1_GotFocus(n); });
        ui->Text1.push_back(box);
    }

    std::map<int, int> linesBuilt; // per piece
    for (const StoryFlow::Line &line : plan.pieces)
        buildPiece(*storyHost, line, layout, linesBuilt[line.piece]++);

    ui->personField = new QComboBox(&client);
    Controls::place(*ui->personField, storyDesign.personFieldName, rect(layout.personPlace));
    ui->personField->setFont(DesignFont(QStringLiteral("MS Sans Serif"), 12, true));
    ui->personField->setAccessibleName(story().personLabel.isEmpty() ? QStringLiteral("Person") : story().personLabel);
    // A story of one person needs no choice.
    ui->personField->setVisible(story().persons.size() > 1);
    Colour::setBackColor(ui->personField, PersonFieldGreen);
    QPalette green = ui->personField->palette();
    green.setColor(QPalette::Button, Colour::toQColor(PersonFieldGreen));
    green.setColor(QPalette::Base, Colour::toQColor(PersonFieldGreen));
    green.setColor(QPalette::ButtonText, Colour::toQColor(Colour::Black));
    green.setColor(QPalette::Text, Colour::toQColor(Colour::Black));
    ui->personField->setPalette(green);
    // Anna_Click / Combo1_Click: the subject of the story was chosen.
    QObject::connect(ui->personField, &QComboBox::currentTextChanged, ui->personField,
                     [this](const QString &chosen) { run.choosePerson(chosen); });

    buildExtras(client);

    // A long heading takes the room before the person field (or, with no choice of person,
    // before the go-to grid), then wraps, and the story makes way below it.
    const int headingRight = story().persons.size() > 1 ? layout.personPlace.left - storyDesign.roomBeforePerson
                                                         : goToGridLeft() - storyDesign.roomBeforePerson;
    fitHeading(client, *heading, {storyExercise().heading}, headingRight);
}

StoryWindow::StoryPlan StoryWindow::givenPlan() const
{
    StoryPlan plan{*story().layout, {}, {}, 0};
    for (const LessonModel::StoryGap &item : story().gaps)
        plan.gaps.push_back(*item.place);
    for (std::size_t i = 0; i < story().pieces.size(); ++i)
        plan.pieces.push_back({int(i), story().pieces[i].text, *story().pieces[i].place});
    return plan;
}

// The story as running text in the window's flow area (narrower on the right by
// `narrowing` twips), gaps and pieces in the order the story tells them, measured in
// the fonts they are shown in.
StoryWindow::StoryPlan StoryWindow::flowedPlan(const QWidget &client, int narrowing) const
{
    StoryPlan plan;
    plan.layout.boxHeight = storyDesign.flowArea.boxHeight;
    plan.layout.gapFont = plan.layout.pieceFont = storyDesign.flowFont;
    plan.layout.headingPlace = storyDesign.flowHeadingPlace;
    plan.layout.personPlace = storyDesign.flowPersonPlace;
    StoryFlow::Area area = storyDesign.flowArea;
    area.right -= narrowing;
    StoryFlow flow(area, [&client](const QString &text, const QFont &font) {
        return QFontMetrics(font, &client).horizontalAdvance(text) * Twips::PerPixel;
    });
    const QFont gapFont = DesignFont(plan.layout.gapFont, 12, true);
    const std::vector<LessonModel::StoryPiece> &pieces = story().pieces;
    std::size_t next = 0;
    for (int n = 0; n <= gapCount(); ++n) {
        for (; next < pieces.size() && pieces[next].gapsBefore <= n; ++next)
            flow.addPiece(int(next), pieces[next].text, pieces[next].textAtStart.values(),
                          pieceFont(pieces[next], plan.layout));
        if (n == gapCount())
            break;
        flow.addGap(textsOf(story().gaps[std::size_t(n)]), gapFont);
    }
    StoryFlow::Result flowed = flow.result();
    plan.layout.rowTops = std::move(flowed.rowTops);
    plan.gaps = std::move(flowed.gaps);
    plan.pieces = std::move(flowed.pieces);
    plan.growth = flowed.growth;
    return plan;
}

// A story too long for the screen: its rows go into a scroll area over the flow area and
// `room` twips below it, and the plan's rows are moved to the top of the scrolled widget.
QWidget *StoryWindow::scrollingHost(QWidget &client, StoryPlan &plan, int room)
{
    const StoryFlow::Area &area = storyDesign.flowArea;
    auto *scroll = new QScrollArea(&client);
    // As wide as the flow area with its margins: inside a picture story's frame.
    Controls::place(*scroll, QStringLiteral("StoryScroll"), {0, area.top, area.left + area.right, area.bottom - area.top + room});
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab goes from gap to gap; the scroll area itself is no stop.
    scroll->setFocusPolicy(Qt::NoFocus);
    auto *rows = new QWidget;
    rows->setObjectName(QStringLiteral("StoryRows"));
    Colour::setBackColor(rows, Colour::backColor(&client));
    for (int &top : plan.layout.rowTops)
        top -= area.top;
    const int height = plan.layout.rowTops.back() + plan.layout.boxHeight + plan.layout.pieceDrop;
    rows->setFixedSize(scroll->width() - client.style()->pixelMetric(QStyle::PM_ScrollBarExtent),
                       Twips::toPixels(height) + 1);
    scroll->setWidget(rows);
    ui->storyScroll = scroll;
    return rows;
}

QFont StoryWindow::pieceFont(const LessonModel::StoryPiece &item, const LessonModel::StoryLayout &layout) const
{
    return DesignFont(item.font.isEmpty() ? layout.pieceFont : item.font, item.points, true);
}

// One control of a piece. A piece wrapped over rows has one in each: Text2_5 holds its
// first line and stands for the piece, Text2_5_1 and on hold the lines after it.
QLineEdit *StoryWindow::buildPiece(QWidget &host, const StoryFlow::Line &line, const LessonModel::StoryLayout &layout,
                             int lineNo)
{
    const LessonModel::StoryPiece &item = story().pieces[std::size_t(line.piece)];
    auto *box = new QLineEdit(&host);
    const int top = layout.rowTops.at(std::size_t(line.place.row)) + layout.pieceDrop;
    const QString name = lineNo == 0 ? QStringLiteral("Text2_%1").arg(item.index)
                                     : QStringLiteral("Text2_%1_%2").arg(item.index).arg(lineNo);
    Controls::place(*box, name, {line.place.left, top, line.place.width, layout.boxHeight});
    box->setFont(pieceFont(item, layout));
    box->setAlignment(item.alignLeft ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    box->setText(line.text);
    box->setAccessibleName(QStringLiteral("Story text"));
    Colour::setBackColor(box, storyDesign.pieceBack);
    Colour::setForeColor(box, Colour::Black);
    if (storyDesign.piecesLocked) {
        // Plain running text on the window: nothing to type into, nothing to tab to.
        box->setReadOnly(true);
        box->setFrame(false);
        box->setFocusPolicy(Qt::NoFocus);
    } else if (lineNo > 0) {
        // Tab goes to a piece once, at its first line, after all the gaps.
        box->setFocusPolicy(Qt::ClickFocus);
    }
    if (lineNo == 0) {
        if (ui->Text2.size() <= std::size_t(item.index))
            ui->Text2.resize(std::size_t(item.index) + 1, nullptr);
        ui->Text2[std::size_t(item.index)] = box;
    }
    return box;
}

// A story longer than the window's rows makes the window taller; what stands below
// the story (Next, Char, the key help) moves down with its bottom.
void StoryWindow::growBy(QWidget &client, int twips)
{
    grownBy = twips;
    if (twips <= 0)
        return;
    lowerControls(client, storyDesign.flowArea.bottom, twips);
    client.setFixedSize(client.width(), client.height() + Twips::toPixels(twips));
}

// As a reader goes, but the fixed pieces of the story come after all the gaps,
// so that Tab walks the gaps in story order.
void StoryWindow::arrangeTabOrder(QWidget &window)
{
    followReadingOrder(window);
    QWidget *previous = ui->Text1.back();
    for (QLineEdit *piece : ui->Text2) {
        if (piece && piece->focusPolicy() & Qt::TabFocus) {
            QWidget::setTabOrder(previous, piece);
            previous = piece;
        }
    }
}

void StoryWindow::releaseOwnControls()
{
    run.leave();
    releaseExtras();
    ui.reset();
}

void StoryWindow::load()
{
    run.load(lessons.lesson(), aimedExercise(), {storyDesign.personFixedWhileRunning, storyDesign.dropDefaultWhenDone});
    for (const QString &person : story().persons)
        ui->personField->addItem(person);
    // Without a choice there is nothing to name beside the field either.
    showPersonChoice(story().persons.size() > 1);
    ui->personField->setCurrentIndex(0);
    shared.SetColours();
    showCaption(storyExercise().captionEnding);
    showState();
}

void StoryWindow::showState()
{
    showFrame(run.frame());
    ui->personField->setEnabled(run.personChoosable());
    ui->readStory->setEnabled(run.canReadStory());
}

// The lesson's own words, or the window's, naming the story's persons when there is a choice.
QString StoryWindow::howToFirstParagraph() const
{
    if (!story().howTo.isEmpty())
        return story().howTo;
    if (story().persons.size() > 1 && !storyDesign.howToChoosingPerson.isEmpty())
        return storyDesign.howToChoosingPerson.arg(story().persons.join(u'/'));
    return ExerciseWindow::howToFirstParagraph();
}

QLineEdit *StoryWindow::answerBox() const
{
    return ui && !ui->Text1.empty() ? gap(run.aimed()) : nullptr;
}

void StoryWindow::startClicked()
{
    // The first Start of an opening leaves the gaps as they are; Restart brings the story
    // back; Start pressed again during a run only goes back to the first gap.
    if (run.start() == StoryRun::Start::Restarts) {
        for (int n = 0; n < gapCount(); ++n) {
            gap(n)->setText(story().gaps[std::size_t(n)].offer);
            toggleGap(n);
        }
    }
    showState();
    focusGap(0);
    personStart();
}

// The story tells of the person chosen: pieces and offers that name or fit them.
void StoryWindow::personStart()
{
    const QString person = run.personName();
    for (const LessonModel::StoryPiece &item : story().pieces) {
        if (item.textAtStart.contains(person))
            piece(item.index)->setText(item.textAtStart.value(person));
    }
    for (int n = 0; n < gapCount(); ++n) {
        const LessonModel::StoryGap &item = story().gaps[std::size_t(n)];
        // A solved gap keeps its answer when Start is pressed again mid-run.
        if (item.offerAtStart.contains(person) && !run.isSolved(n))
            gap(n)->setText(item.offerAtStart.value(person));
    }
}

void StoryWindow::focusGap(int n)
{
    gap(n)->setFocus();
    // The focus step also runs when the window does not hold the keyboard focus,
    // so Next always judges the gap it was sent to.
    Text1_GotFocus(n);
}

void StoryWindow::Text1_GotFocus(int n)
{
    run.aim(n);
    if (ui->storyScroll)
        ui->storyScroll->ensureWidgetVisible(gap(n));
    gapFocused(n);
}

void StoryWindow::nextClicked()
{
    const int n = run.aimed();
    // The box shows its blanks collapsed where they are judged so.
    if (AnswerJudge::forShape(storyExercise().shape).collapsesBlanks() && !run.isSolved(n))
        Module1::CollapseSpaces(gap(n));
    switch (run.judge(gap(n)->text())) {
    case StoryRun::Judged::Right: return Oke();
    // A solved gap was counted when it was solved: judging it again only moves on.
    case StoryRun::Judged::SolvedBefore: return dodo();
    case StoryRun::Judged::Wrong:
    case StoryRun::Judged::Empty: return Hiba();
    }
}

void StoryWindow::Oke()
{
    toggleGap(run.aimed());
    speak(run.spoken(run.aimed()));
    if (run.accomplished())
        accomplished();
    else
        dodo();
}

void StoryWindow::accomplished()
{
    showMessage(shared.MsgDone, Feedback::Exclamation);
    showState();
}

void StoryWindow::Hiba()
{
    warnWrong();
    focusGap(run.aimed());
}

void StoryWindow::dodo()
{
    if (const std::optional<int> open = run.nextOpen())
        focusGap(*open);
}

void StoryWindow::solutionClicked()
{
    const int n = run.aimed();
    run.showSolution();
    speak(run.spoken(n));
    showMessage(shared.MsgSolution + QLatin1Char(' ') + run.expected(n), Feedback::Exclamation);
    focusGap(n);
}
