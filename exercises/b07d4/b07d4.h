#pragma once

#include "SentenceTable.h"
#include "exercises/drill/DrillRun.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QPlainTextEdit;

// The sentence exercises (4 and 5 of lesson 7): a phrase or verb in the gap of a
// sentence takes its ending. Each has a basic and an extended (Plus) run; the
// window switches between the lesson's sentence exercises in place.
class b07d4 final : public ExerciseWindow
{
public:
    b07d4(Services services, ExerciseOpener &opener);

    void prepareFor(Exercise exercise, bool byMainMenu) override;
    // With no run mode chosen the counter is a leftover of an earlier opening.
    RunProgress runProgress() const override
    {
        return Mode ? RunProgress{run.drawn(), run.length()} : RunProgress{};
    }
    bool practise(Exercise exercise, const QStringList &items) override;

    // The key of a sentence in the progress record: the sentence as finished, answer included.
    QString itemKey(int row) const;

private:
    void buildControls(QWidget &client) override;
    void load() override;
    void Form_Unload() override;
    void startClicked() override;
    void nextClicked() override;
    void solutionClicked() override;
    void switchTo(Exercise exercise) override;
    QLineEdit *answerBox() const override;
    void releaseOwnControls() override { ui.reset(); }

    // Fills the expected answers from the lesson's sentences.
    void kulcslista();
    // Writes the heading and the window's caption for the exercise ExerciseNo selects.
    void felir();
    // Clears the window for an exercise switch.
    void Change();
    // Enables every go-to button.
    void Enabl();
    void chooseRunMode();
    RowRange runRange() const;
    // Start's work for a run over these rows.
    void beginRun(std::vector<int> rows, ProgressRecord::Variant variant);
    // The exercise of the run's sentences.
    Exercise runExercise() const;
    void DrawNext();
    void accomplished();
    void showSentence();
    void showPicture();
    void hidePictures();
    void WrongAnswer();
    void RightAnswer();
    void Plus_Click();
    void offerPlus(Exercise exercise);

    // Kept while the window is closed. The load step refills the keys and
    // clears the extended flag; the unload step clears the run mode.
    int CurrentItem = 0;
    // The kind of run Start chose: the exercise, basic or extended; none until then.
    struct RunMode
    {
        Exercise exercise;
        bool extended = false;
    };
    std::optional<RunMode> Mode;
    // The exercise the opener or the in-window switch chose (its go-to button shows it
    // disabled); none until then in this opening.
    std::optional<Exercise> chosen;
    int Extended = 0;
    // The sentences of an accomplished run still show; the next Start clears them.
    bool accomplishedShown = false;
    // The heading a run of the learner's mistakes wrote over, given back when the
    // learner leaves the run (empty: no such run on show).
    QString headingBeforeMistakes;
    // The sentences of the lesson's sentence exercises, and their expected answers, by row.
    SentenceTable table;
    std::vector<QString> keys;
    // The run: the rows it asks, those still open, the counts.
    DrillRun run{DrillRun::AfterRetry::ClosesItem};

    // The window's controls, from build to unload.
    struct Widgets
    {
        QLabel *Label1 = nullptr; // the Plus hint
        QLabel *Label2 = nullptr; // heading
        QLabel *Label3 = nullptr; // the cue
        QPlainTextEdit *Text4 = nullptr; // the finished sentences
        QLineEdit *Text2 = nullptr; // the sentence up to the gap
        AnswerBox *Text1 = nullptr;
        QLineEdit *Text3 = nullptr; // the sentence after the gap
        std::vector<std::pair<QString, QLabel *>> Image; // the person pictograms, by person
        QPushButton *Plus = nullptr;
    };
    std::unique_ptr<Widgets> ui;
};
