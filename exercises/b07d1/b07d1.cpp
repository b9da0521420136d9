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
#include <QSet>
#include <QTextBlock>
#include <QTextLayout>

using namespace Qt::StringLiterals;

namespace {

const Bgr LabelBack = 0xC0FFFF;

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

const LessonModel::SuffixDrill *b07d1::drill(Exercise exercise) const
{
    return std::get_if<LessonModel::SuffixDrill>(&lessonExercise(exercise).content);
}

// The heading from the load on, but during a run of the learner's mistakes.
void b07d1::showHeading()
{
    ui->Label2->setText(lessonExercise(selected().value_or(ownExercises().front())).heading);
}

void b07d1::load()
{
    shared.SetColours();
    felir();
    showHeading();
    Module1::SetCaption(ui->Label3, {}, Colour::fromLiteral(shared.ColourLockH), Colour::White);
    // A new opening shows the basic variant and a fresh item, so it runs them too.
    PlusMode = 0;
    run.clear();
}

void b07d1::felir()
{
    const std::optional<Exercise> exercise = selected();
    showCaption(exercise ? lessonExercise(*exercise).captionEnding : QString());
}

void b07d1::showDrillLabels(Exercise exercise)
{
    ui->Label7->setText(drill(exercise)->number);
    ui->Label3->setVisible(true);
    Module1::SetCaption(ui->Label3, drill(exercise)->suffix, Colour::fromLiteral(shared.ColourLockH), Colour::White);
    // Plus asks the words beyond the basic run; a drill whose basic run asks them all has none to offer.
    if (int(drill(exercise)->items.size()) <= drill(exercise)->basic) {
        ui->Label5->hide();
        ui->Command9->hide();
    }
}

void b07d1::prepareFor(Exercise exercise, bool byMainMenu)
{
    ExerciseWindow::prepareFor(exercise, byMainMenu);
    showDrillLabels(exercise);
}

void b07d1::startClicked()
{
    showHeading();
    const std::optional<Exercise> exercise = selected();
    std::vector<int> rows;
    const int length = !exercise ? 0 : PlusMode ? int(drill(*exercise)->items.size()) : drill(*exercise)->basic;
    for (int row = 0; row < length; ++row)
        rows.push_back(row);
    beginRun(exercise, std::move(rows), PlusMode ? ProgressRecord::Variant::Plus : ProgressRecord::Variant::Basic);
}

bool b07d1::practise(Exercise exercise, const QStringList &items)
{
    if (!isLoaded() || selected() != exercise)
        return false;
    // A word that stands twice in a list is one item: it is asked once.
    std::vector<int> rows;
    QSet<QString> wanted(items.begin(), items.end());
    const std::vector<LessonModel::WordItem> &words = drill(exercise)->items;
    for (int row = 0; row < int(words.size()); ++row) {
        if (wanted.remove(words[std::size_t(row)].cue))
            rows.push_back(row);
    }
    if (rows.empty())
        return false;
    ui->Label2->setText(mistakesHeading(int(rows.size())));
    beginRun(exercise, std::move(rows), ProgressRecord::Variant::Mistakes);
    return true;
}

void b07d1::beginRun(std::optional<Exercise> exercise, std::vector<int> rows, ProgressRecord::Variant variant)
{
    frame->Next->setEnabled(true);
    frame->Solution->setEnabled(true);
    if (!ui->Command9->isHidden())
        ui->Command9->setEnabled(false);
    ui->Text3->clear();
    ui->Label3->setVisible(true);
    if (exercise && !rows.empty()) {
        showDrillLabels(*exercise);
        // A fresh run: no wrong try of an earlier item carries over.
        run.begin(std::move(rows));
        recordRunStart(*exercise, variant);
        Randi();
    }
    ui->Text1->setFocus();
    frame->Start->setEnabled(false);
}

void b07d1::Randi(QString spokenFirst)
{
    const std::optional<Exercise> exercise = selected();
    const std::optional<int> row = exercise ? run.drawNext(random) : std::nullopt;
    if (!row) {
        speak(spokenFirst);
        accomplished();
        return;
    }
    const LessonModel::WordItem &item = drill(*exercise)->items[std::size_t(*row)];
    ui->Text1->setText(QLatin1Char(' ') + item.cue);
    ui->Label8->setText(QStringLiteral("  ") + item.cue);
    Expected = item.answer;
    // One utterance, so that the word drawn does not cut off the answer just given.
    speak(spokenFirst.isEmpty() ? item.cue : spokenFirst + QStringLiteral(". ") + item.cue);
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
    if (const std::optional<Exercise> exercise = selected(); exercise && run.current() >= 0) {
        recordAnswer(*exercise, drill(*exercise)->items[std::size_t(run.current())].cue, Expected, Typed, right,
                     run.solutionShown(), run.retryMarked());
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
    // Solved after a wrong try: logged with a star, but the item stays in the
    // pool until it is answered right at the first attempt.
    const bool counted = run.answeredRight();
    appendToLog(Expected + (counted ? QStringLiteral("; ") : QStringLiteral("*; ")));
    ui->Label1->clear();
    ui->Text1->clear();
    ui->Label8->clear();
    ui->Text1->setFocus();
    Randi(Expected);
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
    run.markSolutionShown();
    speak(Expected);
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
    showHeading();
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
    for (Exercise drill : ownExercises())
        goToButton(drill)->setEnabled(true);
}

void b07d1::switchTo(Exercise exercise)
{
    shared.ExerciseNo = exerciseNoOf(exercise);
    fals();
    felir();
    Change();
    showDrillLabels(exercise);
    goToButton(exercise)->setEnabled(false);
}
