#include "b07d1.h"

#include "common/Controls.h"
#include "common/DesignFont.h"
#include "common/Module1.h"
#include "exercises/frame/AnswerBox.h"
#include "lesson/LessonSource.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextLayout>

using namespace Qt::StringLiterals;

namespace {

const Bgr LabelBack = 0xC0FFFF;
// A long heading ends this far before the go-to grid.
const int HeadingMargin = 120;

FrameDesign suffixDrillDesign()
{
    FrameDesign d;
    d.names = {u"b07d1"_s, u"Command4"_s, u"Command11"_s, u"Label6"_s,
               {u"Command10"_s, u"Command5"_s, u"Command13"_s, u"Command16"_s, u"Command7"_s, u"Command15"_s,
                u"Command8"_s, u"Command14"_s}};
    d.backColour = 0xDDEEFF;
    d.shape = LessonModel::Shape::SuffixDrill;
    d.switchesInPlace = true;
    d.goToHeading = {{4680, 120, 2055, 375}, LabelBack, Colour::Black};
    d.next = {3840, 4800, 1215, 495};
    d.charButton = {120, 5280, 735, 495};
    d.keyHelp = {{960, 5400, 8175, 375}, Colour::White, 0x004080, DesignFont(u"MS Sans Serif"_s, 9.75, true)};
    d.howToFirstParagraph =
        u"Click the \"Start\" button and put your solution in the gap. Then press the \"Enter\" key. Go on."_s;
    d.charFocusesAnswer = true;
    d.closeFocusesEndButton = true;
    return d;
}

} // namespace

b07d1::b07d1(Services services, ExerciseOpener &opener)
    : ExerciseWindow(suffixDrillDesign(), services, opener), model(services.record, services.random)
{
}

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

    // Every heading the window may show: its drills' and a run of mistakes over the longest.
    QStringList headings;
    int longest = 0;
    for (const Exercise drill : ownExercises()) {
        headings << lessonExercise(drill).heading;
        longest = std::max(longest, int(std::get<LessonModel::SuffixDrill>(lessonExercise(drill).content).items.size()));
    }
    headings << mistakesHeading(longest);
    fitHeading(client, *ui->Label2, headings, goToGridLeft() - HeadingMargin);
}

QLineEdit *b07d1::answerBox() const
{
    return ui ? ui->Text1 : nullptr;
}

void b07d1::releaseOwnControls()
{
    model.leave();
    ui.reset();
}

void b07d1::load()
{
    shared.SetColours();
    model.load(lessons.lesson());
    // The opener aims the window at one of its drills; ExerciseNo says the same.
    if (lessonExercise(aimedExercise()).shape == LessonModel::Shape::SuffixDrill)
        model.choose(aimedExercise());
    felir();
    showState();
    Module1::SetCaption(ui->Label3, {}, Colour::fromLiteral(shared.ColourLockH), Colour::White);
}

void b07d1::felir()
{
    const std::optional<Exercise> drill = model.drill();
    showCaption(drill ? lessonExercise(*drill).captionEnding : QString());
}

void b07d1::showState()
{
    showFrame(model.frame());
    // The heading from the load on, but during a run of the learner's mistakes.
    ui->Label2->setText(model.mistakesAsked() > 0 ? mistakesHeading(model.mistakesAsked())
                                                  : lessonExercise(model.drill().value_or(ownExercises().front())).heading);
    ui->Label5->setVisible(model.plusOnShow());
    ui->Command9->setVisible(model.plusOnShow());
    ui->Command9->setEnabled(model.plusEnabled());
}

void b07d1::showDrillLabels()
{
    const LessonModel::SuffixDrill *drill = model.content();
    if (!drill)
        return;
    ui->Label7->setText(drill->number);
    ui->Label3->setVisible(true);
    Module1::SetCaption(ui->Label3, drill->suffix, Colour::fromLiteral(shared.ColourLockH), Colour::White);
}

void b07d1::prepareFor(Exercise exercise, bool byMainMenu)
{
    ExerciseWindow::prepareFor(exercise, byMainMenu);
    model.choose(exercise);
    showDrillLabels();
    showState();
}

void b07d1::startClicked()
{
    model.start();
    beginShown();
}

bool b07d1::practise(Exercise exercise, const QStringList &items)
{
    if (!isLoaded() || !model.practise(exercise, items))
        return false;
    beginShown();
    return true;
}

// A run has begun: the log is clear and the first word on show.
void b07d1::beginShown()
{
    ui->Text3->clear();
    ui->Label3->setVisible(true);
    showDrillLabels();
    showState();
    if (model.phase() == SuffixDrillRun::Phase::Running)
        Randi();
    ui->Text1->setFocus();
}

void b07d1::Randi(const QString &spokenFirst)
{
    if (model.phase() != SuffixDrillRun::Phase::Running) {
        speak(spokenFirst);
        accomplished();
        return;
    }
    const QString cue = model.word();
    ui->Text1->setText(QLatin1Char(' ') + cue);
    ui->Label8->setText(QStringLiteral("  ") + cue);
    // One utterance, so that the word drawn does not cut off the answer just given.
    speak(spokenFirst.isEmpty() ? cue : spokenFirst + QStringLiteral(". ") + cue);
}

void b07d1::accomplished()
{
    showMessage(shared.MsgDone, Feedback::Exclamation);
    ui->Label1->clear();
    showState();
    frame->Start->setFocus();
}

void b07d1::nextClicked()
{
    control();
}

void b07d1::control()
{
    const SuffixDrillRun::Judged judged = model.judge(ui->Text1->text());
    if (judged.verdict == AnswerJudge::Verdict::Right)
        RightAnswer(judged.logged);
    else
        WrongAnswer();
}

void b07d1::WrongAnswer()
{
    warnWrong();
}

void b07d1::RightAnswer(const QString &logged)
{
    appendToLog(logged + QStringLiteral("; "));
    ui->Label1->clear();
    ui->Text1->clear();
    ui->Label8->clear();
    ui->Text1->setFocus();
    // The answer just given, now the model has drawn the next word.
    Randi(logged.endsWith(u'*') ? logged.chopped(1) : logged);
}

// The log reads as one running paragraph, but a paragraph is laid out again whole at
// each change: once the last one has wrapped, it is broken where its last line
// begins, so that an entry lays out one line however long the run (lines break
// where they wrapped anyway, so the log looks the same).
void b07d1::appendToLog(const QString &entry)
{
    QTextDocument &log = *ui->Text3->document();
    QTextCursor end(&log);
    end.movePosition(QTextCursor::End);
    end.insertText(entry);
    const QTextBlock last = log.lastBlock();
    if (const QTextLayout *layout = last.layout(); layout && layout->lineCount() > 1) {
        QTextCursor wrap(&log);
        wrap.setPosition(last.position() + layout->lineAt(layout->lineCount() - 1).textStart());
        wrap.insertBlock();
    }
}

void b07d1::solutionClicked()
{
    const QString answer = model.showSolution();
    speak(answer);
    showMessage(shared.MsgSolution + QLatin1Char(' ') + answer, Feedback::Exclamation);
}

void b07d1::Command9_Click()
{
    model.choosePlus();
    Change();
    frame->Start->setFocus();
}

// The window as the model's not-started state shows it.
void b07d1::Change()
{
    ui->Label3->hide();
    ui->Text1->clear();
    ui->Label8->clear();
    ui->Label1->clear();
    ui->Text3->clear();
    showState();
}

void b07d1::fals()
{
    for (Exercise drill : ownExercises())
        goToButton(drill)->setEnabled(true);
}

void b07d1::switchTo(Exercise exercise)
{
    shared.ExerciseNo = exerciseNoOf(exercise);
    model.switchTo(exercise);
    fals();
    felir();
    Change();
    showDrillLabels();
    goToButton(exercise)->setEnabled(false);
}
