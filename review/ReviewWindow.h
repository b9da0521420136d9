#pragma once

#include "ReviewPrompt.h"
#include "common/Form.h"
#include "common/ProgressRecord.h"

#include <functional>
#include <memory>
#include <vector>

class AnswerBox;
class Feedback;
class Module1;
class QLabel;
class QPushButton;
class QSpinBox;

// The daily review: the items due across the lessons, the least likely to be recalled
// first, each as a sentence with one gap. Wrong answers are warned of as in the
// exercises; every judged answer is told to `judged`, which records it.
class ReviewWindow final : public Form
{
public:
    ReviewWindow(Feedback &feedback, const Module1 &shared);

    // Asks these prompts in order; `leftOut` says which due items cannot be asked and why.
    void begin(std::vector<ReviewPrompt> prompts, const QString &leftOut);
    std::function<void(const ReviewPrompt &, const ProgressRecord::Answer &)> judged;

private:
    void build(FormWidget &window) override;
    void releaseControls() override { ui.reset(); }
    void showPrompt();
    void nextClicked();
    void solutionClicked();

    Feedback &feedback;
    const Module1 &shared;
    std::vector<ReviewPrompt> prompts;
    QString leftOut;
    int current = 0;
    bool retry = false;
    bool shown = false;

    // The sentence (before, answer, after) under its heading and cue; what is said of the
    // run below it; the buttons and the recall to aim for.
    struct Widgets
    {
        QLabel *heading = nullptr, *cue = nullptr, *before = nullptr, *after = nullptr, *said = nullptr;
        AnswerBox *answer = nullptr;
        QPushButton *next = nullptr, *solution = nullptr;
        QSpinBox *retention = nullptr;
    };
    std::unique_ptr<Widgets> ui;
};
