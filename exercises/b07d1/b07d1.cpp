#include "b07d1.h"

#include "common/Controls.h"
#include "common/DesignFont.h"
#include "common/HungarianText.h"
#include "common/Module1.h"
#include "common/RandomSource.h"
#include "exercises/frame/AnswerBox.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const Bgr LabelBack = 0xC0FFFF;
// The heading from the load on, but during a run of the learner's mistakes.
const QString Heading = QStringLiteral("Put in the correct suffixes.");

FrameDesign suffixDrillDesign()
{
    FrameDesign d;
    d.formName = QStringLiteral("b07d1");
    d.backColour = 0xDDEEFF;
    d.solutionName = QStringLiteral("Command4");
    d.charName = QStringLiteral("Command11");
    d.keyHelpName = QStringLiteral("Label6");
    d.goToNames = {QStringLiteral("Command10"), QStringLiteral("Command5"), QStringLiteral("Command13"),
                   QStringLiteral("Command16"), QStringLiteral("Command7"), QStringLiteral("Command15"),
                   QStringLiteral("Command8"),  QStringLiteral("Command14")};
    d.switchesInPlace = {Exercise::Ex1a, Exercise::Ex1b, Exercise::Ex1c, Exercise::Ex2};
    d.goToHeading = {4680, 120, 2055, 375};
    d.goToHeadingBack = LabelBack;
    d.goToHeadingFore = Colour::Black;
    d.next = {3840, 4800, 1215, 495};
    d.charButton = {120, 5280, 735, 495};
    d.keyHelp = {960, 5400, 8175, 375};
    d.keyHelpFore = 0x004080;
    d.keyHelpFont = DesignFont(QStringLiteral("MS Sans Serif"), 9.75, true);
    d.howToFirstParagraph = QStringLiteral(
        "Click the \"Start\" button and put your solution in the gap. Then press the \"Enter\" key. Go on.");
    d.charFocusesAnswer = true;
    d.closeFocusesEndButton = true;
    return d;
}

} // namespace

b07d1::b07d1(Services services, ExerciseOpener &opener) : ExerciseWindow(suffixDrillDesign(), services, opener) {}

void b07d1::buildControls(QWidget &client)
{
    ui = std::make_unique<Widgets>();
    const QFont heading = DesignFont(QStringLiteral("Arial"), 12, true);
    const QFont word = DesignFont(QStringLiteral("MS Serif"), 13.5, true);

    // The feedback label overlaps the cue and the answer box. It is only ever
    // cleared, so it stays underneath them and paints no patch of its own.
    ui->Label1 = Controls::label(client, QStringLiteral("Label1"), {}, {2760, 3840, 375, 495},
                             DesignFont(QStringLiteral("MS Sans Serif"), 24, true), LabelBack, 0xFF0000);
    ui->Label1->setAutoFillBackground(false);
    ui->Label1->lower();
    ui->Label7 = Controls::label(client, QStringLiteral("Label7"), {}, {120, 600, 375, 375}, heading, LabelBack,
                             Colour::Black);
    ui->Label2 = Controls::label(client, QStringLiteral("Label2"), QStringLiteral("Put in the correct  suffixes:"),
                             {600, 600, 4095, 375}, heading, LabelBack, Colour::Black);

    ui->Text3 = new QPlainTextEdit(&client);
    Controls::place(*ui->Text3, QStringLiteral("Text3"), {240, 1080, 8655, 2535});
    ui->Text3->setReadOnly(true);
    ui->Text3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ui->Text3->setFont(DesignFont(QStringLiteral("MS Serif"), 12, true));
    ui->Text3->setAccessibleName(QStringLiteral("Solved words"));
    QObject::connect(ui->Text3, &QPlainTextEdit::textChanged, ui->Text3, [this] {
        ui->Text3->moveCursor(QTextCursor::End);
        ui->Text3->ensureCursorVisible();
    });

    ui->Label8 = Controls::label(client, QStringLiteral("Label8"), {}, {2880, 3720, 2655, 375}, word, LabelBack,
                             Colour::Black);
    ui->Label3 = Controls::label(client, QStringLiteral("Label3"), {}, {480, 4200, 2175, 495}, word);
    ui->Label3->setAlignment(Qt::AlignCenter);
    ui->Label3->hide();

    ui->Text1 = makeAnswerBox(client, QStringLiteral("Text1"), {2880, 4200, 3015, 495});
    ui->Text1->setFont(word);
    ui->Text1->setAccessibleName(QStringLiteral("Answer"));
    Colour::setForeColor(ui->Text1, Colour::Black);
    QObject::connect(ui->Text1, &QLineEdit::textChanged, ui->Text1,
                     [this] { ui->Text1->setCursorPosition(int(ui->Text1->text().size())); });

    ui->Label5 = Controls::label(
        client, QStringLiteral("Label5"),
        QStringLiteral(
            " If you want to practise with an extended variant  of this exercise, click the \"Plus\" button:"),
        {6120, 3720, 3015, 1095}, DesignFont(QStringLiteral("MS Sans Serif"), 9.75, true), 0xDDF0E0, Colour::Black);
    ui->Command9 = Controls::button(client, QStringLiteral("Command9"), QStringLiteral("&Plus"), {7320, 4800, 735, 495},
                                DesignFont(QStringLiteral("MS Sans Serif"), 9.75, true));
    QObject::connect(ui->Command9, &QPushButton::clicked, ui->Command9, [this] { Command9_Click(); });

    // Next stays the default button for the life of the window; Enter clicks it while it is enabled.
    setDefaultButton(frame->Next);
}

QLineEdit *b07d1::answerBox() const
{
    return ui ? ui->Text1 : nullptr;
}

void b07d1::load()
{
    shared.SetColours();
    felir();
    ui->Label2->setText(Heading);
    Module1::SetCaption(ui->Label3, {}, Colour::fromLiteral(shared.ColourLockH), Colour::White);
    // A new opening shows the basic variant and a fresh item, so it runs them too.
    PlusMode = 0;
    run.clear();
}

void b07d1::felir()
{
    const SuffixDrill *drill = suffixDrill(shared.ExerciseNo);
    shared.SetLessonTitle(window(), drill ? drill->captionEnding : QString());
}

void b07d1::showDrillLabels(const SuffixDrill &drill)
{
    ui->Label7->setText(drill.number);
    ui->Label3->setVisible(true);
    Module1::SetCaption(ui->Label3, drill.suffix, Colour::fromLiteral(shared.ColourLockH), Colour::White);
}

void b07d1::prepareFor(Exercise exercise, bool byMainMenu)
{
    ExerciseWindow::prepareFor(exercise, byMainMenu);
    showDrillLabels(suffixDrill(exercise));
}

int b07d1::runLength(const SuffixDrill &drill) const
{
    return PlusMode ? int(drill.items.size()) : drill.basicRun;
}

void b07d1::startClicked()
{
    ui->Label2->setText(Heading);
    const SuffixDrill *drill = suffixDrill(shared.ExerciseNo);
    std::vector<int> rows;
    for (int row = 0; drill && row < runLength(*drill); ++row)
        rows.push_back(row);
    beginRun(drill, std::move(rows), PlusMode ? ProgressRecord::Variant::Plus : ProgressRecord::Variant::Basic);
}

bool b07d1::practise(Exercise exercise, const QStringList &items)
{
    const SuffixDrill *drill = suffixDrill(shared.ExerciseNo);
    if (!isLoaded() || !drill || drill->exercise != exercise)
        return false;
    // A word that stands twice in a list is one item: it is asked once.
    std::vector<int> rows;
    QStringList found;
    for (int row = 0; row < int(drill->items.size()); ++row) {
        const QString base = QString::fromUtf16(drill->items[std::size_t(row)].base);
        if (items.contains(base) && !found.contains(base)) {
            found << base;
            rows.push_back(row);
        }
    }
    if (rows.empty())
        return false;
    ui->Label2->setText(mistakesHeading(int(rows.size())));
    beginRun(drill, std::move(rows), ProgressRecord::Variant::Mistakes);
    return true;
}

void b07d1::beginRun(const SuffixDrill *drill, std::vector<int> rows, ProgressRecord::Variant variant)
{
    frame->Next->setEnabled(true);
    frame->Solution->setEnabled(true);
    if (!ui->Command9->isHidden())
        ui->Command9->setEnabled(false);
    ui->Text3->clear();
    ui->Label3->setVisible(true);
    if (drill && !rows.empty()) {
        showDrillLabels(*drill);
        // A fresh run: no wrong try of an earlier item carries over.
        run.begin(std::move(rows));
        recordRunStart(drill->exercise, variant);
        Randi();
    }
    ui->Text1->setFocus();
    frame->Start->setEnabled(false);
}

void b07d1::Randi()
{
    const SuffixDrill *drill = suffixDrill(shared.ExerciseNo);
    const std::optional<int> row = drill ? run.drawNext(random) : std::nullopt;
    if (!row) {
        accomplished();
        return;
    }
    const WordItem &item = drill->items[std::size_t(*row)];
    ui->Text1->setText(QLatin1Char(' ') + QString::fromUtf16(item.base));
    ui->Label8->setText(QStringLiteral("  ") + QString::fromUtf16(item.base));
    Expected = QString::fromUtf16(item.answer);
}

void b07d1::accomplished()
{
    recordRunEnd(ProgressRecord::Outcome::Accomplished);
    showMessage(shared.MsgDone, Feedback::Exclamation);
    if (!ui->Command9->isHidden())
        ui->Command9->setEnabled(true);
    frame->Next->setEnabled(false);
    ui->Label1->clear();
    run.clear();
    frame->Start->setEnabled(true);
    frame->Start->setText(QStringLiteral("&Restart"));
    frame->Start->setFocus();
}

void b07d1::nextClicked()
{
    control();
}

void b07d1::control()
{
    Typed = HungarianText::trimBlanks(HungarianText::normalised(ui->Text1->text()));
    const bool right = Expected == Typed;
    if (const SuffixDrill *drill = suffixDrill(shared.ExerciseNo); drill && run.current() >= 0) {
        recordAnswer(drill->exercise, QString::fromUtf16(drill->items[std::size_t(run.current())].base), Expected,
                     Typed, right, run.solutionShown(), run.retryMarked());
    }
    if (right)
        RightAnswer();
    else
        WrongAnswer();
}

void b07d1::WrongAnswer()
{
    run.markWrong();
    warnWrong();
}

void b07d1::RightAnswer()
{
    ui->Text3->moveCursor(QTextCursor::End);
    // Solved after a wrong try: logged with a star, but the item stays in the
    // pool until it is answered right at the first attempt.
    const bool counted = run.answeredRight();
    ui->Text3->insertPlainText(Expected + (counted ? QStringLiteral("; ") : QStringLiteral("*; ")));
    ui->Label1->clear();
    ui->Text1->clear();
    ui->Label8->clear();
    ui->Text1->setFocus();
    Randi();
}

void b07d1::solutionClicked()
{
    run.markSolutionShown();
    showMessage(shared.MsgSolution + QLatin1Char(' ') + Expected, Feedback::Exclamation);
}

void b07d1::Command9_Click()
{
    Change();
    PlusMode = 1;
    ui->Label5->hide();
    ui->Command9->hide();
    frame->Start->setFocus();
}

void b07d1::Change()
{
    ui->Label2->setText(Heading);
    frame->Start->setEnabled(true);
    frame->Start->setText(QStringLiteral("&Start"));
    ui->Label3->hide();
    ui->Label5->show();
    ui->Command9->show();
    ui->Command9->setEnabled(true);
    ui->Text1->clear();
    ui->Label8->clear();
    ui->Label1->clear();
    ui->Text3->clear();
    PlusMode = 0;
    // The run goes, and with it a wrong try, which belongs to its item.
    run.clear();
    recordRunEnd(ProgressRecord::Outcome::Left);
    // Nothing is on show to judge until Start: an answer now would be counted
    // against a run that has not begun and declare it accomplished.
    frame->Next->setEnabled(false);
    frame->Solution->setEnabled(false);
}

void b07d1::fals()
{
    for (Exercise drill : {Exercise::Ex1a, Exercise::Ex1b, Exercise::Ex1c, Exercise::Ex2})
        goToButton(drill)->setEnabled(true);
}

void b07d1::switchTo(Exercise exercise)
{
    const SuffixDrill &drill = suffixDrill(exercise);
    shared.ExerciseNo = exerciseNoOf(exercise);
    fals();
    felir();
    Change();
    showDrillLabels(drill);
    goToButton(exercise)->setEnabled(false);
}
