#pragma once

#include "app/MenuActions.h"
#include "common/Services.h"

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class alap;
class b07d1;
class b07d3;
class b07d4;
class b07d6;
class ClassConnection;
class ExerciseWindow;
class Form;
class hatter;
class LessonService;
class ProgressWindow;
class Record;
class Review;
class sobre;

// The windows of the program and the ways between them: each made when first asked
// for, the opening protocol of the exercises, the main menu and the background, the
// end. The program ends when End is pressed or when its last window is closed, never
// in the middle of a change from one window to another.
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
    // Opens the exercise as the main menu would and runs these items of it, the ones the
    // learner has yet to get right; false when there was nothing to run.
    bool practiseMistakes(Exercise exercise, const QStringList &items);

    sobre &about();
    alap &mainMenu();
    hatter &background();
    ProgressWindow &progress();
    // The window that runs an exercise of the lesson played.
    ExerciseWindow *windowFor(Exercise exercise);
    bool anyLoaded() const;
    // Over whichever window is on screen, the main menu first: the window to say something over.
    Form *openForm() const;
    // Says over the main menu (or, without it, over whatever is open) what the learner must know.
    void tell(const QString &text);
    // The main menu's Review entry says this.
    void showReviewCaption(const QString &caption);
    bool menuOnScreen() const;
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
    template <typename Window, typename... Arguments>
    Window &made(std::unique_ptr<Window> &window, Arguments &&...arguments);
    std::vector<Form *> forms() const;
    std::vector<ExerciseWindow *> exerciseWindows() const;

    Services services;
    Record &record;
    LessonService &lessons;
    Review &review;
    ClassConnection &classes;
    std::unique_ptr<b07d1> suffixDrill;
    std::unique_ptr<b07d4> sentences;
    std::unique_ptr<b07d6> personStory;
    std::unique_ptr<b07d3> pictureStory;
    std::unique_ptr<hatter> backgroundWindow;
    std::unique_ptr<alap> mainMenuWindow;
    std::unique_ptr<sobre> aboutWindow;
    std::unique_ptr<ProgressWindow> progressWindow;
    int changing = 0;
    bool ending = false;
    bool menuAwaited = false;
    // The context of the program's own timers and readers, so none of them outlives it.
    QObject alive;
};
