#pragma once

#include "Exercise.h"
#include "FrameDesign.h"
#include "FrameState.h"
#include "common/Feedback.h"
#include "common/Form.h"
#include "common/Services.h"
#include "lesson/Lesson.h"

#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class AnswerBox;
class ExerciseOpener;
class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

// The frame the four exercise windows share: Start, Next, Solution, Close and
// Char, the go-to grid, the Options and Help menus, the opening protocol and
// the behaviour of answer boxes. A window adds its own controls and its
// Start, Next and Solution.
class ExerciseWindow : public Form
{
public:
    ExerciseWindow(FrameDesign design, Services services, ExerciseOpener &opener);

    // Called by the opener before showing the window: the exercise it opens with.
    void aimAt(Exercise exercise) { aimed = exercise; }
    // Called by the opener after showing this window for `exercise`.
    virtual void prepareFor(Exercise exercise, bool byMainMenu);

    // How far the run has got: the items counted so far and how many the run has (0: no run).
    struct RunProgress
    {
        int counted = 0;
        int length = 0;
    };
    virtual RunProgress runProgress() const = 0;
    // The program ends while the window is open: its run, if one is open, was interrupted.
    virtual void interruptRun() = 0;
    // Runs exactly these items of the exercise (by their record keys), once each,
    // as a run of their own; false when the window cannot run them.
    virtual bool practise(Exercise, const QStringList &) { return false; }
    QPushButton *goToButton(Exercise exercise) const;

protected:
    // Moves the client's own controls that stand at or below `fromTwips` down by `twips`
    // (all but those `staying`), to make room for a part that grew.
    static void lowerControls(QWidget &client, int fromTwips, int twips, const std::vector<QPushButton *> &staying = {});
    // A heading label that must hold each of `texts` on one line widens up to `rightTwips`;
    // a text too long even for that wraps, the label grows, and what stands below it moves
    // down. A heading that fits stays exactly as designed.
    static void fitHeading(QWidget &client, QLabel &heading, const QStringList &texts, int rightTwips);
    // The go-to grid's left edge: a heading beside it ends a margin before it.
    static int goToGridLeft();
    // The window's own controls, placed on the client area.
    virtual void buildControls(QWidget &client) = 0;
    // The window's own set-up, after centring and the always-on-top toggle.
    virtual void load() {}
    virtual void startClicked() = 0;
    virtual void nextClicked() = 0;
    virtual void solutionClicked() = 0;
    // A go-to button of an exercise this window runs itself.
    virtual void switchTo(Exercise) {}
    // What How to says first: how this window is worked.
    virtual QString howToFirstParagraph() const { return frameDesign.howToFirstParagraph; }
    // The box that Char and How to give the focus to.
    virtual QLineEdit *answerBox() const { return nullptr; }

    // An answer box wired to the frame: key translation, Enter clicks the default button.
    AnswerBox *makeAnswerBox(QWidget &parent, const QString &name, const QRect &twips);
    // The frame's buttons as the run's model decides them; Enter in an answer box clicks
    // Next while the state says it can be pressed and Enter judges.
    void showFrame(const FrameState &state);
    void pressDefaultButton();
    void showMessage(const QString &text, Feedback::Style style);
    // Beep, then the wrong-answer warning.
    void warnWrong();
    // Says what the learner now sees (a word, an answer, a finished sentence), as the Speak option allows.
    void speak(const QString &shown);

    // The heading of a run of the learner's mistakes: what it asks and how many items.
    static QString mistakesHeading(int items);

    void mnuOntop_Click();
    void mnuHow_Click();
    const FrameDesign &design() const { return frameDesign; }
    // What the lesson gives for the exercise: its texts, items, sentences or story.
    const LessonModel::Exercise &lessonExercise(Exercise exercise) const;
    // The lesson's exercises of this window's shape, in lesson order.
    std::vector<Exercise> ownExercises() const;
    // The exercise the opener aimed the window at.
    Exercise aimedExercise() const { return aimed; }
    // The window's caption: the program's, the lesson's title, then the exercise's ending.
    void showCaption(const QString &ending);

    Module1 &shared;
    Feedback &feedback;
    RandomSource &random;
    ProgressRecord &record;
    LessonSource &lessons;
    Speech &speech;

    // The frame's controls, from build to unload.
    struct FrameWidgets
    {
        QPushButton *Start = nullptr;
        QPushButton *Next = nullptr;
        QPushButton *Solution = nullptr;
        QPushButton *CloseButton = nullptr;
        QPushButton *CharButton = nullptr;
        QLabel *KeyHelp = nullptr;
        QAction *mnuOntop = nullptr;
        QAction *mnuSpeak = nullptr;
        QAction *mnuSpeakSlowly = nullptr;
        QPushButton *Listen = nullptr;
        std::vector<QPushButton *> goTo; // one for each of the lesson's exercises
    };
    std::unique_ptr<FrameWidgets> frame;

private:
    void build(FormWidget &window) final;
    void Form_Load() final;
    void releaseControls() final;
    // The window's own controls go with the frame's.
    virtual void releaseOwnControls() = 0;
    void closeRequested() final;
    void buildMenus(FormWidget &window);
    void buildFrameWidgets(QWidget &client);
    void goToClicked(Exercise exercise);
    void closeClicked();
    void charClicked();
    // Speak, Speak slowly and Listen as the voice and the options now stand.
    void showSpeechState();

    FrameDesign frameDesign;
    ExerciseOpener &opener;
    FrameState shownState;
    Exercise aimed;
    // How many twips the go-to grid's rows beyond two push the window's content down.
    int gridGrowth = 0;
};
