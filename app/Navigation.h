#pragma once

#include "app/MenuActions.h"
#include "app/WindowSet.h"
#include "common/Services.h"

#include <QObject>

#include <functional>
#include <memory>

class ClassConnection;
class LessonService;
class Record;
class Review;
class Trial;

// The ways between the program's windows: the opening protocol of the exercises, the
// main menu and the background, a new lesson, the learner's mistakes, the end. The
// program ends when End is pressed or when its last window is closed, never in the
// middle of a change from one window to another.
class Navigation final : public MenuActions
{
public:
    Navigation(Services services, Record &record, LessonService &lessons, Review &review, ClassConnection &classes);
    ~Navigation() override;

    void end() override;
    void openExercise(Exercise target, Form &opener) override;
    void openFromMainMenu(Exercise target) override;
    // Shows the main menu once the lesson to start with is played (the splash stays meanwhile).
    void showMainMenu(bool focusEndButton) override;
    void showAbout() override;
    void showProgress() override;
    void openLesson(const QString &file) override;
    LessonHistory &lessonHistory() override;
    void showBackground() override;
    void openReview() override;
    void editLesson(bool fresh) override;
    // Opens the exercise as the main menu would and runs these items of it, the ones the
    // learner has yet to get right; false when there was nothing to run.
    bool practiseMistakes(Exercise exercise, const QStringList &items);

    WindowSet &windows() { return all; }
    const WindowSet &windows() const { return all; }
    // Says over the main menu (or, without it, over whatever is open) what the learner must know.
    void tell(const QString &text);
    // The main menu's Review entry says this.
    void showReviewCaption(const QString &caption);
    bool menuOnScreen();
    // Progress, where it is open, shows the record anew.
    void refreshProgress();
    // The program ends now: a run still open in a window was cut short.
    void interruptRuns();

    // Told once the main menu is on screen: a quiet moment for what start-up left.
    std::function<void()> menuShown;
    // How the program ends; the real one quits the application.
    std::function<void()> quit;

private:
    // A change of windows in several steps: the last window is not closed in between.
    class Change;

    void open(Exercise target, Form &opener, bool byMainMenu);
    void afterUnload();
    // Every window shows the lesson now played: the main menu and Progress anew, the exercises closed.
    void showNewLesson();

    Services services;
    Record &record;
    LessonService &lessons;
    Review &review;
    WindowSet all;
    // A lesson tried from the editor.
    std::unique_ptr<Trial> trial;
    int changing = 0;
    bool ending = false;
    bool menuAwaited = false;
    // The context of the program's own timers, so none of them outlives it.
    QObject alive;
};
