#include "ExerciseWindow.h"

#include "lesson/LessonSource.h"
#include "speech/Speech.h"
#include "speech/SpokenText.h"

#include "AnswerBox.h"
#include "ExerciseOpener.h"
#include "common/Controls.h"
#include "common/DesignFont.h"
#include "common/Module1.h"
#include "common/Module2.h"
#include "common/Topmost.h"
#include "common/Twips.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include <algorithm>

namespace {

const int ClientWidth = 9210;
// The go-to grid: two rows of four at the top right; a lesson of more than eight
// exercises gets narrower columns in the same width, and a smaller font to fit them.
struct GoToGridDesign
{
    int left, columnStep, buttonWidth, buttonHeight, rowStep;
};
constexpr GoToGridDesign GoToGrid{.left = 6840, .columnStep = 600, .buttonWidth = 615, .buttonHeight = 495, .rowStep = 480};
// A caption's room on either side within its button's frame, in pixels.
const int GoToCaptionMargin = 8;
// The system window colour the go-to buttons were designed with.
const Bgr WindowColour = 0xFFFFFF;

const QString KeyHelpText = QStringLiteral(
    "á  ( ' );  é ( ; );  í ( ` );  ó ( = );  ö ( 0 );  ő ( [ );  ú ( ] );  ü ( - );  ű ( \\ )");
const QString HowToSecondParagraph = QStringLiteral(
    "If you want to see how to type the special Hungarian characters (á, é etc.) on an English keyboard, "
    "click the \"Char\" button. If you want that information to disappear, click again.");

QFont buttonFont() { return DesignFont(QStringLiteral("MS Sans Serif"), 9.75, true); }

} // namespace

ExerciseWindow::ExerciseWindow(FrameDesign design, Services services, ExerciseOpener &opener)
    : Form(design.names.form), shared(services.shared), feedback(services.feedback), random(services.random),
      record(services.record), lessons(services.lesson), speech(services.speech), frameDesign(std::move(design)), opener(opener)
{
}

const LessonModel::Exercise &ExerciseWindow::lessonExercise(Exercise exercise) const
{
    return lessons.exercise(exercise.place);
}

std::vector<Exercise> ExerciseWindow::ownExercises() const
{
    std::vector<Exercise> own;
    const std::vector<LessonModel::Exercise> &all = lessons.lesson().exercises;
    for (int place = 0; place < int(all.size()); ++place) {
        if (all[std::size_t(place)].shape == frameDesign.shape)
            own.push_back({place});
    }
    return own;
}

void ExerciseWindow::showCaption(const QString &ending)
{
    shared.SetLessonTitle(window(), lessons.lesson().title, ending);
}

void ExerciseWindow::build(FormWidget &window)
{
    frame = std::make_unique<FrameWidgets>();
    buildMenus(window);
    auto *client = new QWidget(&window);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(Twips::size(ClientWidth, frameDesign.clientHeight));
    Colour::setBackColor(client, frameDesign.backColour);
    window.setCentralWidget(client);
    buildFrameWidgets(*client);
    buildControls(*client);
    // Everything below the top row makes way for the go-to rows beyond the designed two.
    lowerControls(*client, GoToGrid.rowStep, gridGrowth, frame->goTo);
    window.setFixedSize(window.sizeHint());
}

void ExerciseWindow::buildMenus(FormWidget &window)
{
    QMenuBar *bar = window.menuBar();
    QMenu *options = bar->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    frame->mnuOntop = options->addAction(QStringLiteral("On&Top"));
    frame->mnuOntop->setObjectName(QStringLiteral("mnuOntop"));
    frame->mnuOntop->setCheckable(true);
    QObject::connect(frame->mnuOntop, &QAction::triggered, &window, [this] { mnuOntop_Click(); });
    QAction *clear = options->addAction(QStringLiteral("&Clear colours"));
    clear->setObjectName(QStringLiteral("mnuClearColours"));
    clear->setCheckable(true);
    clear->setChecked(Colour::clearColours());
    QObject::connect(clear, &QAction::toggled, &window, [](bool on) { SetClearColours(on); });
    // Disabled items say in their tool tip what is missing.
    options->setToolTipsVisible(true);
    frame->mnuSpeak = options->addAction(QStringLiteral("&Speak"));
    frame->mnuSpeak->setObjectName(QStringLiteral("mnuSpeak"));
    frame->mnuSpeak->setCheckable(true);
    QObject::connect(frame->mnuSpeak, &QAction::triggered, &window, [this](bool on) { speech.setSpeakOn(on); });
    frame->mnuSpeakSlowly = options->addAction(QStringLiteral("Speak &slowly"));
    frame->mnuSpeakSlowly->setObjectName(QStringLiteral("mnuSpeakSlowly"));
    frame->mnuSpeakSlowly->setCheckable(true);
    QObject::connect(frame->mnuSpeakSlowly, &QAction::triggered, &window, [this](bool on) { speech.setSlowly(on); });

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction *how = help->addAction(frameDesign.howToMenuCaption);
    how->setObjectName(QStringLiteral("mnuHow"));
    QObject::connect(how, &QAction::triggered, &window, [this] { mnuHow_Click(); });
    QAction *progress = help->addAction(QStringLiteral("&Progress..."));
    progress->setObjectName(QStringLiteral("mnuProgress"));
    QObject::connect(progress, &QAction::triggered, &window, [this] { opener.showProgress(); });
    QAction *about = help->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    QObject::connect(about, &QAction::triggered, &window, [this] { opener.showAbout(); });
}

void ExerciseWindow::buildFrameWidgets(QWidget &client)
{
    const QFont font = buttonFont();
    const int width = frameDesign.topButtonWidth;
    const int step = frameDesign.topButtonStep;
    frame->Start = Controls::button(client, QStringLiteral("Command1"), QStringLiteral("&Start"), {0, 0, width, 495}, font);
    frame->Solution = Controls::button(client, frameDesign.names.solution, QStringLiteral("Sol&ution"), {step, 0, width, 495}, font);
    frame->CloseButton =
        Controls::button(client, QStringLiteral("Command3"), QStringLiteral("Clos&e"), {2 * step, 0, width, 495}, font);
    frame->Next = Controls::button(client, QStringLiteral("Command2"), QStringLiteral("&Next"), frameDesign.next, font);
    // Listen ends the row of Start, Solution and Close, clear of the go-to heading.
    frame->Listen = Controls::button(client, QStringLiteral("Listen"), QStringLiteral("&Listen"), {3 * step, 0, width, 495}, font);
    frame->Listen->setAccessibleDescription(QStringLiteral("Says the last word or sentence again"));
    QObject::connect(frame->Listen, &QPushButton::clicked, &client, [this] { speech.listen(); });
    QObject::connect(&speech, &Speech::changed, &client, [this] { showSpeechState(); });
    showSpeechState();
    frame->Solution->setEnabled(false);
    frame->Next->setEnabled(false);
    QObject::connect(frame->Start, &QPushButton::clicked, &client, [this] { startClicked(); });
    QObject::connect(frame->Next, &QPushButton::clicked, &client, [this] { nextClicked(); });
    QObject::connect(frame->Solution, &QPushButton::clicked, &client, [this] { solutionClicked(); });
    QObject::connect(frame->CloseButton, &QPushButton::clicked, &client, [this] { closeClicked(); });

    Controls::label(client, QStringLiteral("Label4"), QStringLiteral("Go to exercise:"), frameDesign.goToHeading.twips,
                    DesignFont(QStringLiteral("Arial"), 12, true), frameDesign.goToHeading.back, frameDesign.goToHeading.fore);
    const int count = int(lessons.lesson().exercises.size());
    int columns = std::max(4, (count + 1) / 2);
    const double narrowing = 4.0 / columns;
    const QFont goToFont = DesignFont(QStringLiteral("MS Sans Serif"), std::max(8.0, 13.5 * narrowing), true);
    // A button is as wide as its caption needs; when the captions do not fit two rows,
    // the grid takes more rows, and the window grows below its top row to hold them.
    const int designedStep = int(GoToGrid.columnStep * narrowing);
    int goToStep = designedStep;
    const QFontMetrics metrics(goToFont, &client);
    for (const LessonModel::Exercise &exercise : lessons.lesson().exercises) {
        const int needed = (metrics.horizontalAdvance(QString(exercise.caption).remove(u'&')) + GoToCaptionMargin) *
                           Twips::PerPixel;
        goToStep = std::max(goToStep, needed - (GoToGrid.buttonWidth - GoToGrid.columnStep));
    }
    if (goToStep > designedStep)
        columns = std::max(1, (ClientWidth - GoToGrid.left) / goToStep);
    const int rows = (count + columns - 1) / columns;
    gridGrowth = std::max(0, rows - 2) * GoToGrid.rowStep;
    client.setFixedSize(client.width(), client.height() + Twips::toPixels(gridGrowth));
    for (int place = 0; place < count; ++place) {
        const Exercise exercise{place};
        const QRect cell{GoToGrid.left + (place % columns) * goToStep, (place / columns) * GoToGrid.rowStep,
                         GoToGrid.buttonWidth - GoToGrid.columnStep + goToStep, GoToGrid.buttonHeight};
        const QString name = place < int(frameDesign.names.goTo.size()) ? frameDesign.names.goTo[std::size_t(place)]
                                                                        : QStringLiteral("GoTo%1").arg(place + 1);
        QPushButton *button = Controls::button(client, name, lessonExercise(exercise).caption, cell, goToFont);
        Colour::setBackColor(button, WindowColour);
        QObject::connect(button, &QPushButton::clicked, &client, [this, exercise] { goToClicked(exercise); });
        frame->goTo.push_back(button);
    }

    frame->CharButton = Controls::button(client, frameDesign.names.charButton, QStringLiteral("&Char"), frameDesign.charButton, font);
    QObject::connect(frame->CharButton, &QPushButton::clicked, &client, [this] { charClicked(); });
    const DesignedLabel &keyHelp = frameDesign.keyHelp;
    frame->KeyHelp = Controls::label(client, frameDesign.names.keyHelp,
                                     frameDesign.keyHelpLeadingBlank ? QLatin1Char(' ') + KeyHelpText : KeyHelpText,
                                     keyHelp.twips, keyHelp.font, keyHelp.back, keyHelp.fore);
    frame->KeyHelp->setWordWrap(false);
    frame->KeyHelp->hide();
}

void ExerciseWindow::lowerControls(QWidget &client, int fromTwips, int twips, const std::vector<QPushButton *> &staying)
{
    if (twips <= 0)
        return;
    for (QWidget *control : client.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (control->y() >= Twips::toPixels(fromTwips) && std::find(staying.begin(), staying.end(), control) == staying.end())
            control->move(control->x(), control->y() + Twips::toPixels(twips));
    }
}

int ExerciseWindow::goToGridLeft()
{
    return GoToGrid.left;
}

void ExerciseWindow::fitHeading(QWidget &client, QLabel &heading, const QStringList &texts, int rightTwips)
{
    // A label's text needs its advance and the frame's room on either side.
    const QFontMetrics metrics(heading.font());
    int needed = 0;
    for (const QString &text : texts)
        needed = std::max(needed, metrics.horizontalAdvance(text) + 2 * heading.margin() + 4);
    if (needed <= heading.width())
        return;
    const int room = std::max(heading.width(), Twips::toPixels(rightTwips) - heading.x());
    heading.resize(std::min(needed, room), heading.height());
    if (needed <= room)
        return;
    heading.setWordWrap(true);
    int tallest = heading.height();
    for (const QString &text : texts)
        tallest = std::max(tallest, metrics.boundingRect(QRect(0, 0, heading.width() - 4, 10000), Qt::TextWordWrap, text).height() + 4);
    const int grown = tallest - heading.height();
    const int belowTwips = (heading.y() + heading.height()) * Twips::PerPixel;
    heading.resize(heading.width(), tallest);
    lowerControls(client, belowTwips, grown * Twips::PerPixel);
    client.setFixedSize(client.width(), client.height() + grown);
}

void ExerciseWindow::Form_Load()
{
    CentreForm(window());
    // Unchecked as designed, so every exercise window opens on top with the item checked.
    frame->mnuOntop->trigger();
    load();
}

void ExerciseWindow::releaseControls()
{
    speech.stop();
    releaseOwnControls();
    frame.reset();
}

void ExerciseWindow::closeRequested()
{
    closeClicked();
}

QPushButton *ExerciseWindow::goToButton(Exercise exercise) const
{
    return frame->goTo.at(std::size_t(exercise.place));
}

void ExerciseWindow::prepareFor(Exercise exercise, bool)
{
    if (frameDesign.switchesInPlace || frameDesign.ownButtonDisabled)
        goToButton(exercise)->setEnabled(false);
}

void ExerciseWindow::goToClicked(Exercise exercise)
{
    const bool mine = lessonExercise(exercise).shape == frameDesign.shape;
    if (mine && frameDesign.switchesInPlace)
        switchTo(exercise);
    else if (!mine || exercise != aimed)
        opener.openExercise(exercise, *this);
}

void ExerciseWindow::closeClicked()
{
    opener.showMainMenu(frameDesign.closeFocusesEndButton);
    Unload();
}

void ExerciseWindow::charClicked()
{
    frame->KeyHelp->setVisible(frame->KeyHelp->isHidden());
    QLineEdit *box = answerBox();
    if (frameDesign.charFocusesAnswer && !frame->KeyHelp->isHidden() && box && !box->isHidden())
        box->setFocus();
}

QString ExerciseWindow::mistakesHeading(int items)
{
    return items == 1 ? QStringLiteral("Your mistakes: 1 item") : QStringLiteral("Your mistakes: %1 items").arg(items);
}

void ExerciseWindow::mnuOntop_Click()
{
    // The action has already flipped its check mark; the window follows it.
    const bool topmost = frame->mnuOntop->isChecked();
    SetTopmost(window(), topmost);
}

void ExerciseWindow::mnuHow_Click()
{
    showMessage(howToFirstParagraph() + shared.NewLine + shared.NewLine + HowToSecondParagraph,
                Feedback::Information);
    if (frameDesign.howToFocusesAnswer && answerBox())
        answerBox()->setFocus();
}

AnswerBox *ExerciseWindow::makeAnswerBox(QWidget &parent, const QString &name, const QRect &twips)
{
    auto *box = new AnswerBox(&parent);
    Controls::place(*box, name, twips);
    QObject::connect(box, &AnswerBox::enterPressed, box, [this] { pressDefaultButton(); });
    return box;
}

void ExerciseWindow::showFrame(const FrameState &state)
{
    shownState = state;
    frame->Start->setEnabled(state.startEnabled);
    frame->Start->setText(state.restart ? QStringLiteral("&Restart") : QStringLiteral("&Start"));
    frame->Next->setEnabled(state.nextEnabled);
    frame->Next->setDefault(state.enterJudges);
    frame->Solution->setEnabled(state.solutionEnabled);
}

void ExerciseWindow::pressDefaultButton()
{
    if (shownState.enterJudges && shownState.nextEnabled)
        frame->Next->click();
}

void ExerciseWindow::showMessage(const QString &text, Feedback::Style style)
{
    Form::showMessage(feedback, text, style, shared.Title);
}

void ExerciseWindow::speak(const QString &shown)
{
    speech.say(SpokenText::clean(shown));
}

void ExerciseWindow::showSpeechState()
{
    // The window's widgets outlive its unload until the event loop deletes them.
    if (!frame)
        return;
    const bool can = speech.canSpeak();
    const QString why = can ? QString() : speech.whyNot();
    frame->mnuSpeak->setEnabled(can);
    frame->mnuSpeak->setChecked(can && speech.speakOn());
    frame->mnuSpeak->setToolTip(why);
    frame->mnuSpeakSlowly->setEnabled(can);
    frame->mnuSpeakSlowly->setChecked(speech.slowly());
    frame->mnuSpeakSlowly->setToolTip(why);
    frame->Listen->setEnabled(can && !speech.last().isEmpty());
    frame->Listen->setToolTip(can ? QStringLiteral("Hear the last word or sentence again") : why);
}

void ExerciseWindow::warnWrong()
{
    feedback.beep();
    showMessage(shared.MsgWrong, Feedback::Exclamation);
}
