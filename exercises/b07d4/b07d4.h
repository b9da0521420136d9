#pragma once

#include "exercises/sentences/SentenceRun.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QString>

#include <memory>
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
    void interruptRun() override { model.interrupt(); }
    RunProgress runProgress() const override
    {
        return model.modeChosen() ? RunProgress{model.run().drawn(), model.run().length()} : RunProgress{};
    }
    bool practise(Exercise exercise, const QStringList &items) override;

    // The key of a sentence in the progress record: the sentence as finished, answer included.
    QString itemKey(int row) const { return model.itemKey(row); }

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

    // Writes the window's caption for the exercise chosen.
    void felir(Exercise exercise);
    // Clears the window for an exercise switch.
    void Change();
    // Enables every go-to button.
    void Enabl();
    // What the model decides of the controls: the frame's buttons, Plus, its hint, the heading, the pictogram.
    void showState();
    // A run has begun: the first sentence on show.
    void beginShown();
    void DrawNext();
    void accomplished();
    void showSentence();
    void clearSentence();
    void WrongAnswer();
    void RightAnswer(const QString &finished);
    void Plus_Click();

    // The lesson's sentences, the exercise chosen, the run: kept while the window is closed.
    SentenceRun model;

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
