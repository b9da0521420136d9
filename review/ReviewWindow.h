#pragma once

#include "ReviewRun.h"
#include "common/Form.h"

#include <QCoreApplication>

#include <functional>
#include <memory>

class AnswerBox;
class Feedback;
class Module1;
class QLabel;
class QPushButton;
class QSpinBox;

// The daily review: the items due across the lessons, the least likely to be recalled
// first, each as a sentence with one gap. It shows the run (ReviewRun), which judges and
// records; wrong answers are warned of as in the exercises.
class ReviewWindow final : public Form
{
    Q_DECLARE_TR_FUNCTIONS(ReviewWindow)

public:
    ReviewWindow(ReviewRun &run, Feedback &feedback, const Module1 &shared);

    // Shows the run as it now stands, from its first item or the one on show.
    void showRun();
    // The recall to aim for, in percent, as the learner set it.
    std::function<void(int percent)> retentionChosen;
    // What the window shows of the recall aimed for.
    void showRetention(int percent);

private:
    void build(FormWidget &window) override;
    void releaseControls() override { ui.reset(); }
    void showPrompt();
    void nextClicked();
    void solutionClicked();

    ReviewRun &run;
    Feedback &feedback;
    const Module1 &shared;
    int retention = 90;

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
