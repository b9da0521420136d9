#pragma once

#include "exercises/drill/SuffixDrillRun.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QString>

#include <memory>

class QPlainTextEdit;

// The suffix drill: one word at a time takes its case suffix. Runs drills 1a,
// 1b, 1c and 2, each in a basic and an extended (Plus) variant.
class b07d1 final : public ExerciseWindow
{
public:
    b07d1(Services services, ExerciseOpener &opener);

    void prepareFor(Exercise exercise, bool byMainMenu) override;
    void interruptRun() override { model.interrupt(); }
    RunProgress runProgress() const override { return {model.run().counted(), model.run().length()}; }
    bool practise(Exercise exercise, const QStringList &items) override;

private:
    void buildControls(QWidget &client) override;
    void load() override;
    void startClicked() override;
    void nextClicked() override;
    void solutionClicked() override;
    void switchTo(Exercise exercise) override;
    QLineEdit *answerBox() const override;
    void releaseOwnControls() override;

    // Writes the window's caption for the drill chosen.
    void felir();
    // Resets the window to its not-started state (Plus, drill switch).
    void Change();
    // Judges the answer box.
    void control();
    // Enables the go-to buttons of all four drills.
    void fals();
    // Shows the word drawn and says it, after `spokenFirst` (the answer just judged right);
    // or, with the run over, says that it is accomplished.
    void Randi(const QString &spokenFirst = {});
    void WrongAnswer();
    void appendToLog(const QString &entry);
    void RightAnswer(const QString &logged);
    void Command9_Click();
    // What the model decides of the controls: the frame's buttons, Plus and its hint, the heading.
    void showState();
    void showDrillLabels();
    void beginShown();
    void accomplished();

    // The drill chosen, its variant and run: kept while the window is closed.
    SuffixDrillRun model;

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
