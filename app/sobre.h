#pragma once

#include "common/Form.h"
#include "common/Services.h"
#include "exercises/frame/ExerciseOpener.h"

#include <QPixmap>

#include <array>
#include <memory>

class LessonSource;
namespace LessonModel {
struct Lesson;
}
class QLabel;
class QPushButton;
class QTimer;

// The About window. At start-up it is the splash (hourglass, no OK button) that
// opens the main menu after 800 ms; from the menus it opens in its normal mode.
class sobre final : public Form
{
public:
    sobre(Services services, ExerciseOpener &program);

    // The About menu entries: show the window in its normal mode, also when it is already open.
    void menuAction();
    // The frame of the corner animation on show, 1 to 3.
    int animationFrame() const { return frame; }

private:
    void build(FormWidget &window) override;
    void Form_Load() override;
    void Form_Unload() override;
    void closeRequested() override;
    void releaseControls() override { ui.reset(); }
    void Timer1_Timer();
    void Timer2_Timer();
    void Image2_Click();
    void showFrame(int number);
    // The lesson played, when it is another than the built-in lesson 7 and may be read now.
    const LessonModel::Lesson *otherLesson() const;
    void showLessonCredit();

    Module1 &shared;
    Feedback &feedback;
    LessonSource &lessons;
    ExerciseOpener &program;
    std::array<QPixmap, 3> frames;
    int frame = 1;
    // The controls, from build to unload.
    struct Widgets
    {
        QLabel *Label1 = nullptr; // the course book, or the lesson played
        QLabel *Label4 = nullptr; // the credit
        QLabel *Image1 = nullptr; // the corner animation
        QPushButton *Command1 = nullptr; // OK
        QTimer *Timer1 = nullptr; // the splash's hand-over to the main menu
        QTimer *Timer2 = nullptr; // the animation
    };
    std::unique_ptr<Widgets> ui;
};
