#pragma once

#include "SuffixLists.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QString>

#include <array>
#include <memory>
#include <vector>

class QPlainTextEdit;

// The suffix drill: one word at a time takes its case suffix. Runs drills 1a,
// 1b, 1c and 2, each in a basic and an extended (Plus) variant.
class b07d1 final : public ExerciseWindow
{
public:
    b07d1(Services services, ExerciseOpener &opener);

    void prepareFor(Exercise exercise, bool byMainMenu) override;
    RunProgress runProgress() const override { return {SolvedCount, RunLength}; }

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
    void Randi();
    void DrawNext(int lo, int hi);
    void WrongAnswer();
    void RightAnswer();
    void Command9_Click();
    void showDrillLabels(const SuffixDrill &drill);
    void buildLists(const SuffixDrill &drill);
    int runLength(const SuffixDrill &drill) const;

    // Kept while the window is closed; the load step resets what a new opening must not inherit.
    int ItemIndex = 0;
    int SolvedCount = 0;
    int RunLength = 0;
    int RetryFlag = 0;
    int PlusMode = 0;
    QString Expected;
    QString Typed;
    // Per drill: the words shown (an emptied slot was solved in this run) and the answers.
    std::array<std::vector<QString>, 4> baseLists;
    std::array<std::vector<QString>, 4> answerLists;

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
