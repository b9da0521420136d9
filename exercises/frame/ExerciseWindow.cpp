#include "ExerciseWindow.h"

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

namespace {

const int ClientWidth = 9210;
const int GoToButtonWidth = 615;
const int GoToButtonHeight = 495;
const std::array<int, 4> GoToColumns{6840, 7440, 8040, 8640};
const std::array<int, 2> GoToRows{0, 480};
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
    : Form(design.formName), shared(services.shared), feedback(services.feedback), random(services.random),
      design(std::move(design)), opener(opener)
{
}

void ExerciseWindow::build(FormWidget &window)
{
    defaultButton = nullptr;
    buildMenus(window);
    auto *client = new QWidget(&window);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(Twips::size(ClientWidth, design.clientHeight));
    Colour::setBackColor(client, design.backColour);
    window.setCentralWidget(client);
    buildFrameControls(*client);
    buildControls(*client);
    window.setFixedSize(window.sizeHint());
}

void ExerciseWindow::buildMenus(FormWidget &window)
{
    QMenuBar *bar = window.menuBar();
    QMenu *options = bar->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    mnuOntop = options->addAction(QStringLiteral("On&Top"));
    mnuOntop->setObjectName(QStringLiteral("mnuOntop"));
    mnuOntop->setCheckable(true);
    QObject::connect(mnuOntop, &QAction::triggered, &window, [this] { mnuOntop_Click(); });

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction *how = help->addAction(design.howToMenuCaption);
    how->setObjectName(QStringLiteral("mnuHow"));
    QObject::connect(how, &QAction::triggered, &window, [this] { mnuHow_Click(); });
    QAction *about = help->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    QObject::connect(about, &QAction::triggered, &window, [this] { opener.showAbout(); });
}

void ExerciseWindow::buildFrameControls(QWidget &client)
{
    const QFont font = buttonFont();
    const int width = design.topButtonWidth;
    const int step = design.topButtonStep;
    Start = Controls::button(client, QStringLiteral("Command1"), QStringLiteral("&Start"), {0, 0, width, 495}, font);
    Solution = Controls::button(client, design.solutionName, QStringLiteral("Sol&ution"), {step, 0, width, 495}, font);
    CloseButton =
        Controls::button(client, QStringLiteral("Command3"), QStringLiteral("Clos&e"), {2 * step, 0, width, 495}, font);
    Next = Controls::button(client, QStringLiteral("Command2"), QStringLiteral("&Next"), design.next, font);
    Solution->setEnabled(false);
    Next->setEnabled(false);
    QObject::connect(Start, &QPushButton::clicked, &client, [this] { startClicked(); });
    QObject::connect(Next, &QPushButton::clicked, &client, [this] { nextClicked(); });
    QObject::connect(Solution, &QPushButton::clicked, &client, [this] { solutionClicked(); });
    QObject::connect(CloseButton, &QPushButton::clicked, &client, [this] { closeClicked(); });

    Controls::label(client, QStringLiteral("Label4"), QStringLiteral("Go to exercise:"), design.goToHeading,
                    DesignFont(QStringLiteral("Arial"), 12, true), design.goToHeadingBack, design.goToHeadingFore);
    const QFont goToFont = DesignFont(QStringLiteral("MS Sans Serif"), 13.5, true);
    for (Exercise exercise : AllExercises) {
        const int i = indexOf(exercise);
        const QRect place{GoToColumns[std::size_t(i % 4)], GoToRows[std::size_t(i / 4)], GoToButtonWidth,
                          GoToButtonHeight};
        QPushButton *button =
            Controls::button(client, design.goToNames[std::size_t(i)], goToCaption(exercise), place, goToFont);
        Colour::setBackColor(button, WindowColour);
        QObject::connect(button, &QPushButton::clicked, &client, [this, exercise] { goToClicked(exercise); });
        goTo[std::size_t(i)] = button;
    }
    if (design.ownExercise && design.ownButtonDisabled)
        goToButton(*design.ownExercise)->setEnabled(false);

    CharButton = Controls::button(client, design.charName, QStringLiteral("&Char"), design.charButton, font);
    QObject::connect(CharButton, &QPushButton::clicked, &client, [this] { charClicked(); });
    KeyHelp = Controls::label(client, design.keyHelpName,
                              design.keyHelpLeadingBlank ? QLatin1Char(' ') + KeyHelpText : KeyHelpText,
                              design.keyHelp, design.keyHelpFont, design.keyHelpBack, design.keyHelpFore);
    KeyHelp->setWordWrap(false);
    KeyHelp->hide();
}

void ExerciseWindow::Form_Load()
{
    CentreForm(window());
    // Unchecked as designed, so every exercise window opens on top with the item checked.
    mnuOntop->trigger();
    load();
}

void ExerciseWindow::closeRequested()
{
    closeClicked();
}

QPushButton *ExerciseWindow::goToButton(Exercise exercise) const
{
    return goTo[std::size_t(indexOf(exercise))];
}

void ExerciseWindow::prepareFor(Exercise exercise, bool)
{
    if (exercise != Exercise::Ex3 && exercise != Exercise::Ex6)
        goToButton(exercise)->setEnabled(false);
}

void ExerciseWindow::goToClicked(Exercise exercise)
{
    if (design.switchesInPlace.contains(exercise))
        switchTo(exercise);
    else if (exercise != design.ownExercise)
        opener.openExercise(exercise, *this);
}

void ExerciseWindow::closeClicked()
{
    opener.showMainMenu(design.closeFocusesEndButton);
    Unload();
}

void ExerciseWindow::charClicked()
{
    KeyHelp->setVisible(KeyHelp->isHidden());
    QLineEdit *box = answerBox();
    if (design.charFocusesAnswer && !KeyHelp->isHidden() && box && !box->isHidden())
        box->setFocus();
}

void ExerciseWindow::mnuOntop_Click()
{
    // The action has already flipped its check mark; the window follows it.
    const bool topmost = mnuOntop->isChecked();
    SetTopmost(window(), topmost);
}

void ExerciseWindow::mnuHow_Click()
{
    showMessage(design.howToFirstParagraph + shared.NewLine + shared.NewLine + HowToSecondParagraph,
                Feedback::Information);
    if (design.howToFocusesAnswer && answerBox())
        answerBox()->setFocus();
}

AnswerBox *ExerciseWindow::makeAnswerBox(QWidget &parent, const QString &name, const QRect &twips)
{
    auto *box = new AnswerBox(&parent);
    Controls::place(*box, name, twips);
    QObject::connect(box, &AnswerBox::enterPressed, box, [this] { pressDefaultButton(); });
    return box;
}

void ExerciseWindow::setDefaultButton(QPushButton *button)
{
    if (defaultButton)
        defaultButton->setDefault(false);
    defaultButton = button;
    if (defaultButton)
        defaultButton->setDefault(true);
}

void ExerciseWindow::pressDefaultButton()
{
    if (defaultButton && defaultButton->isEnabled())
        defaultButton->click();
}

void ExerciseWindow::showMessage(const QString &text, Feedback::Style style)
{
    Form::showMessage(feedback, text, style, shared.Title);
}

void ExerciseWindow::warnWrong()
{
    feedback.beep();
    showMessage(shared.MsgWrong, Feedback::Exclamation);
}
