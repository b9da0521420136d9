#include "b07d4.h"

#include "common/Controls.h"
#include "common/DesignFont.h"
#include "common/Module1.h"
#include "common/Pictures.h"
#include "exercises/frame/AnswerBox.h"
#include "lesson/LessonSource.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

const Bgr Teal = 0x808000;
const Bgr LogGreen = 0xC0FFC0;
// The Plus hint's text.
const Bgr LightYellow = 0xC0FFFF;
const Bgr HintBack = 0x400000;
// A long heading ends this far before the go-to grid.
const int HeadingMargin = 120;

// The pictograms stand side by side below the head of the sentence; the last
// two overlap, which does not show since only one is visible at a time.
const std::array<int, 6> ImageLefts{120, 600, 1080, 1560, 2040, 2400};
const int LessonPictogramLeft = 2880;

FrameDesign sentenceDesign()
{
    FrameDesign d;
    d.names = {u"b07d4"_s, u"Command8"_s, u"Command9"_s, u"Label5"_s,
               {u"Command10"_s, u"Command5"_s, u"Command6"_s, u"Command7"_s, u"Command11"_s, u"Command12"_s,
                u"Command13"_s, u"Command14"_s}};
    d.backColour = Teal;
    d.shape = LessonModel::Shape::Sentences;
    d.switchesInPlace = true;
    d.topButtonWidth = 1215;
    d.topButtonStep = 1200;
    d.goToHeading = {{4920, 120, 2055, 375}, Teal, Colour::White};
    d.next = {4200, 4320, 1215, 495};
    d.charButton = {120, 5400, 855, 495};
    d.keyHelp = {{960, 5520, 8175, 375}, Colour::White, Colour::Black, DesignFont(u"MS Serif"_s, 12, true)};
    d.keyHelpLeadingBlank = false;
    d.howToFirstParagraph = u"Click the \"Start\" button and put your solution in the gap. Then click on "
                            u"the \"Next\" button or press the \"Enter\" key. Go on."_s;
    d.howToMenuCaption = u"&How to"_s;
    d.howToFocusesAnswer = true;
    return d;
}

QFont sentenceFont() { return DesignFont(QStringLiteral("MS Serif"), 12, true); }

// A part of the sentence line the learner reads but does not edit.
QLineEdit *sentencePart(QWidget &client, const QString &name, const QRect &twips, const QString &accessibleName)
{
    auto *box = new QLineEdit(&client);
    Controls::place(*box, name, twips);
    box->setFont(sentenceFont());
    box->setReadOnly(true);
    box->setAccessibleName(accessibleName);
    Colour::setBackColor(box, Colour::White);
    Colour::setForeColor(box, Colour::Black);
    return box;
}

} // namespace

b07d4::b07d4(Services services, ExerciseOpener &opener)
    : ExerciseWindow(sentenceDesign(), services, opener), model(services.record, services.random)
{
}

void b07d4::buildControls(QWidget &client)
{
    ui = std::make_unique<Widgets>();
    const QFont small = DesignFont(QStringLiteral("MS Sans Serif"), 9.75, true);

    ui->Label2 = Controls::label(client, QStringLiteral("Label2"), {}, {240, 600, 4215, 375},
                             DesignFont(QStringLiteral("Arial"), 12, true), Teal, Colour::White);
    ui->Label2->setWordWrap(false);

    ui->Text4 = new QPlainTextEdit(&client);
    Controls::place(*ui->Text4, QStringLiteral("Text4"), {240, 960, 8775, 2415});
    ui->Text4->setFont(sentenceFont());
    ui->Text4->setReadOnly(true);
    ui->Text4->setAccessibleName(QStringLiteral("Finished sentences"));
    Colour::setBackColor(ui->Text4, LogGreen);
    Colour::setForeColor(ui->Text4, Colour::Black);
    // The newest sentence stays in view.
    QObject::connect(ui->Text4, &QPlainTextEdit::textChanged, ui->Text4, [this] {
        ui->Text4->moveCursor(QTextCursor::End);
        ui->Text4->ensureCursorVisible();
    });

    ui->Label3 = Controls::label(client, QStringLiteral("Label3"), {}, {3120, 3480, 3135, 375}, sentenceFont(), Teal,
                             Colour::White);
    ui->Label3->setWordWrap(false);

    ui->Text2 = sentencePart(client, QStringLiteral("Text2"), {0, 3840, 2895, 405}, QStringLiteral("Sentence start"));
    ui->Text1 = makeAnswerBox(client, QStringLiteral("Text1"), {2880, 3840, 3135, 405});
    ui->Text1->setFont(sentenceFont());
    ui->Text1->setAccessibleName(QStringLiteral("Answer"));
    Colour::setBackColor(ui->Text1, Colour::White);
    Colour::setForeColor(ui->Text1, Colour::Black);
    ui->Text3 = sentencePart(client, QStringLiteral("Text3"), {6000, 3840, 3255, 405}, QStringLiteral("Sentence end"));

    // The program's six persons, each in its place, in the lesson's picture where it
    // brings one; then the lesson's other persons, all in one place after them.
    const std::vector<LessonModel::Pictogram> &own = lessons.lesson().pictograms;
    const auto lessonPicture = [&own](const QString &person) {
        const auto found = std::find_if(own.begin(), own.end(), [&](const auto &p) { return p.person == person; });
        return found == own.end() ? QByteArray() : found->picture;
    };
    QStringList persons = LessonModel::Pictograms;
    for (const LessonModel::Pictogram &pictogram : own) {
        if (!persons.contains(pictogram.person))
            persons << pictogram.person;
    }
    for (qsizetype i = 0; i < persons.size(); ++i) {
        auto *picture = new QLabel(&client);
        const int left = i < qsizetype(ImageLefts.size()) ? ImageLefts[std::size_t(i)] : LessonPictogramLeft;
        Controls::place(*picture, QStringLiteral("Image%1").arg(i + 1), {left, 4320, 630, 645});
        picture->setAlignment(Qt::AlignCenter);
        const QByteArray brought = lessonPicture(persons[i]);
        const qreal ratio = picture->devicePixelRatioF();
        picture->setPixmap(brought.isEmpty() ? Pictures::pixmap(QStringLiteral(":/resources/person-%1.svg").arg(i + 1), {32, 32}, ratio)
                                             : Pictures::pixmap(brought, {32, 32}, ratio));
        picture->setAccessibleName(QStringLiteral("Person: ") + persons[i]);
        picture->hide();
        ui->Image.push_back({persons[i], picture});
    }

    ui->Label1 = Controls::label(client, QStringLiteral("Label1"),
                             QStringLiteral("If you want to practise with an extended variant of the selected "
                                            "exercise, click the \"Plus\" button."),
                             {3120, 4920, 5055, 615}, small, HintBack, LightYellow);
    ui->Plus = Controls::button(client, QStringLiteral("Plus"), QStringLiteral("&Plus"), {8160, 4920, 975, 495}, small);
    QObject::connect(ui->Plus, &QPushButton::clicked, ui->Plus, [this] { Plus_Click(); });

    // Every heading the window may show: its exercises', as another window opens them, and
    // a run of mistakes over all of an exercise's sentences.
    QStringList headings;
    for (const Exercise exercise : ownExercises()) {
        const auto &sentences = std::get<LessonModel::SentenceExercise>(lessonExercise(exercise).content);
        headings << lessonExercise(exercise).heading << sentences.headingFromOtherWindow
                 << lessonExercise(exercise).id + QStringLiteral(". ") + mistakesHeading(int(sentences.rows.size()));
    }
    fitHeading(client, *ui->Label2, headings, goToGridLeft() - HeadingMargin);
}

QLineEdit *b07d4::answerBox() const
{
    return ui ? ui->Text1 : nullptr;
}

void b07d4::load()
{
    model.load(lessons.lesson(), ownExercises(), aimedExercise());
    felir(aimedExercise());
    showState();
}

void b07d4::Form_Unload()
{
    model.unload();
}

void b07d4::felir(Exercise exercise)
{
    showCaption(lessonExercise(exercise).shape == LessonModel::Shape::Sentences ? lessonExercise(exercise).captionEnding
                                                                                  : QString());
}

void b07d4::showState()
{
    showFrame(model.frame());
    ui->Label2->setText(model.mistakesAsked() > 0
                            ? lessonExercise(model.runExercise()).id + QStringLiteral(". ") + mistakesHeading(model.mistakesAsked())
                            : model.heading());
    ui->Plus->setVisible(model.plusOnShow());
    ui->Plus->setEnabled(model.plusEnabled());
    ui->Label1->setVisible(model.hintOnShow());
    for (const auto &[person, picture] : ui->Image)
        picture->setVisible(model.pictureOnShow() && person == model.row().person);
}

void b07d4::prepareFor(Exercise exercise, bool byMainMenu)
{
    ExerciseWindow::prepareFor(exercise, byMainMenu);
    model.prepare(exercise, byMainMenu);
    showState();
}

void b07d4::startClicked()
{
    if (model.start())
        ui->Text4->clear();
    beginShown();
}

bool b07d4::practise(Exercise exercise, const QStringList &items)
{
    if (!isLoaded() || !model.practise(exercise, items))
        return false;
    ui->Text4->clear();
    beginShown();
    return true;
}

void b07d4::beginShown()
{
    showState();
    // Stays until the window is closed.
    const auto &sentences = model.content(model.runExercise());
    if (model.extendedRun() && sentences.plusAnswerBackground)
        Colour::setBackColor(ui->Text1, Colour::fromQColor(*sentences.plusAnswerBackground));
    showSentence();
    ui->Text1->setFocus();
}

void b07d4::DrawNext()
{
    if (model.run().running()) {
        showSentence();
        ui->Text1->setFocus();
        showState();
        return;
    }
    accomplished();
}

void b07d4::accomplished()
{
    feedback.beep();
    showMessage(shared.MsgDone, Feedback::Exclamation);
    showState();
    clearSentence();
    frame->Start->setFocus();
}

void b07d4::showSentence()
{
    const LessonModel::SentenceRow &row = model.row();
    ui->Text2->setText(row.before);
    ui->Text3->setText(QLatin1Char(' ') + row.after);
    ui->Text1->setText(row.offer);
    ui->Label3->setText(QLatin1Char(' ') + row.cue);
}

void b07d4::clearSentence()
{
    ui->Text2->clear();
    ui->Text1->clear();
    ui->Text3->clear();
    ui->Label3->clear();
}

void b07d4::nextClicked()
{
    // The box shows its blanks collapsed, as they are judged.
    Module1::CollapseSpaces(ui->Text1);
    const SentenceRun::Judged judged = model.judge(ui->Text1->text());
    if (judged.verdict == AnswerJudge::Verdict::Right)
        RightAnswer(judged.finished);
    else
        WrongAnswer();
}

void b07d4::WrongAnswer()
{
    warnWrong();
}

void b07d4::RightAnswer(const QString &finished)
{
    ui->Text4->moveCursor(QTextCursor::End);
    ui->Text4->insertPlainText(finished + shared.NewLine);
    speak(finished);
    clearSentence();
    DrawNext();
}

void b07d4::solutionClicked()
{
    const QString answer = model.showSolution();
    speak(SentenceTable::finished(model.row(), answer));
    showMessage(shared.MsgSolution + QLatin1Char(' ') + answer, Feedback::Information);
    ui->Text1->setFocus();
}

void b07d4::Plus_Click()
{
    model.choosePlus();
    showState();
}

void b07d4::Change()
{
    ui->Text4->clear();
    ui->Text1->clear();
    ui->Text2->clear();
    ui->Text3->clear();
}

void b07d4::Enabl()
{
    for (QPushButton *button : frame->goTo)
        button->setEnabled(true);
}

void b07d4::switchTo(Exercise exercise)
{
    // The sentence on show and the run stay: until Start, Next and
    // Solution still work on the sentence drawn before the switch.
    model.switchTo(exercise);
    Change();
    shared.ExerciseNo = exerciseNoOf(exercise);
    felir(exercise);
    Enabl();
    goToButton(exercise)->setEnabled(false);
    showState();
}
