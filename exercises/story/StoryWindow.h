#pragma once

#include "StoryDesign.h"
#include "StoryRun.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QStringList>

#include <memory>
#include <vector>

class QComboBox;
class QScrollArea;

// A story told in fixed pieces and gaps, for a subject the learner chooses.
// The gaps can be answered in any order: Next judges the gap that last had the
// focus, a right answer locks the gap in its kind's strong colour and moves on
// to the next open gap, and the run is accomplished when every gap is solved.
// Restart brings every gap back to its base word.
class StoryWindow : public ExerciseWindow
{
public:
    StoryWindow(FrameDesign frame, StoryDesign story, Services services, ExerciseOpener &opener);

    void interruptRun() override { run.interrupt(); }
    RunProgress runProgress() const override { return {run.solvedCount(), gapCount()}; }

protected:
    // Controls a window has beyond its story rows and person field, and their release at unload.
    virtual void buildExtras(QWidget &) {}
    virtual void releaseExtras() {}
    // After a gap received the focus and its expected answer is loaded.
    virtual void gapFocused(int) {}
    // Shows or hides what a window has beside the person field for choosing the person.
    virtual void showPersonChoice(bool) {}
    // The lesson's exercise this window runs, and its story.
    const LessonModel::Exercise &storyExercise() const;
    const LessonModel::Story &story() const;

    QLineEdit *gap(int n) const;
    QLineEdit *piece(int index) const;
    int gapCount() const { return int(story().gaps.size()); }
    // How many twips taller than designed the window was built to hold a long story.
    int storyGrowth() const { return grownBy; }

    // The run on show; every opening starts it afresh.
    StoryRun run;
    // What the run decides of the controls: the frame's buttons, the person field, Read the story.
    void showState();

private:
    void buildControls(QWidget &client) final;
    // Where the story's controls go: as the lesson places them, or flowed as running text.
    struct StoryPlan
    {
        LessonModel::StoryLayout layout;
        std::vector<LessonModel::Place> gaps;
        std::vector<StoryFlow::Line> pieces;
        int growth = 0;
    };
    StoryPlan givenPlan() const;
    StoryPlan flowedPlan(const QWidget &client, int narrowing) const;
    QWidget *scrollingHost(QWidget &client, StoryPlan &plan, int room);
    QFont pieceFont(const LessonModel::StoryPiece &item, const LessonModel::StoryLayout &layout) const;
    QLineEdit *buildPiece(QWidget &host, const StoryFlow::Line &line, const LessonModel::StoryLayout &layout, int lineNo);
    void growBy(QWidget &client, int twips);
    void load() override;
    void startClicked() final;
    void nextClicked() final;
    void solutionClicked() final;
    QLineEdit *answerBox() const final;
    // A story that names its persons may word How to itself.
    QString howToFirstParagraph() const final;
    void releaseOwnControls() final;
    void arrangeTabOrder(QWidget &window) final;

    // What the story changes for the chosen person whenever Start is pressed.
    void personStart();
    void focusGap(int n);
    void Text1_GotFocus(int n);
    // A right answer: locks the gap, counts it, moves on or ends the run.
    void Oke();
    // A wrong answer: beep and warning, the gap keeps the focus.
    void Hiba();
    // Moves on to the next open gap, round from the last to the first.
    void dodo();
    void accomplished();
    void toggleGap(int n);

    StoryDesign storyDesign;
    int grownBy = 0;
    // The story's controls, from build to unload.
    struct Widgets
    {
        std::vector<AnswerBox *> Text1; // the gaps
        std::vector<QLineEdit *> Text2; // the fixed pieces
        QComboBox *personField = nullptr;
        QPushButton *readStory = nullptr; // enabled once every gap is solved
        QScrollArea *storyScroll = nullptr; // only for a story too long for the screen
    };
    std::unique_ptr<Widgets> ui;
};
