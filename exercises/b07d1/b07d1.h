#pragma once

#include "exercises/drill/DrillRun.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QPlainTextEdit;

// The suffix drill: one word at a time takes its case suffix. Runs drills 1a,
// 1b, 1c and 2, each in a basic and an extended (Plus) variant.
class b07d1 final : public ExerciseWindow
{
public:
    b07d1(Services services, ExerciseOpener &opener);

    void prepareFor(Exercise exercise, bool byMainMenu) override;
    RunProgress runProgress() const override { return {run.counted(), run.length()}; }
    bool practise(Exercise exercise, const QStringList &items) override;

private:
    void buildControls(QWidget &client) override;
    void load() override;
    void startClicked() override;
    void nextClicked() override;
    void solutionClicked() override;
    void switchTo(Exercise exercise) override;
    QLineEdit *answerBox() const override;
    void releaseOwnControls() override { ui.reset(); }

    // Writes the window's caption for the drill ExerciseNo selects.
    void felir();
    // Resets the window to its not-started state (Plus, drill switch).
    void Change();
    // Judges the answer box against the expected form.
    void control();
    // Enables the go-to buttons of all four drills.
    void fals();
    // Draws the next unanswered item of the run, or ends the run.
    // Draws the next word and says it, after `spokenFirst` (the answer just judged right).
    void Randi(QString spokenFirst = {}); // a copy: drawing replaces Expected
    void WrongAnswer();
    void appendToLog(const QString &entry);
    void RightAnswer();
    void Command9_Click();
    // The lesson's drill in the place of the exercise; nullptr when it is of another shape.
    const LessonModel::SuffixDrill *drill(Exercise exercise) const;
    void showHeading();
    void showDrillLabels(Exercise exercise);
    // Start's work for a run over these rows of the drill.
    void beginRun(std::optional<Exercise> exercise, std::vector<int> rows, ProgressRecord::Variant variant);
    void accomplished();

    // Kept while the window is closed; the load step resets what a new opening must not inherit.
    int PlusMode = 0;
    QString Expected;
    QString Typed;
    // The run: the rows of the drill's list it asks, the item on show, its wrong-try mark, the counts.
    DrillRun run{DrillRun::AfterRetry::KeepsItemOpen};

    // The window's controls, from build to unload.
    struct Widgets
    {
        QLabel *Label1 = nullptr; // feedback mark, only ever cleared
        QLabel *Label2 = nullptr; // heading
        QLabel *Label3 = nullptr; // the suffix of the drill
        QLabel *Label5 = nullptr; // the Plus hint
        QLabel *Label7 = nullptr; // the drill's number
        QLabel *Label8 = nullptr; // the word on show
        QPlainTextEdit *Text3 = nullptr; // the log of solved words
        AnswerBox *Text1 = nullptr;
        QPushButton *Command9 = nullptr; // Plus
    };
    std::unique_ptr<Widgets> ui;
};
