#include "Navigation.h"

#include "LessonService.h"
#include "alap.h"
#include "hatter.h"
#include "sobre.h"
#include "class/ClassConnection.h"
#include "app/Trial.h"
#include "common/Module1.h"
#include "editor/LessonEditor.h"
#include "exercises/frame/ExerciseWindow.h"
#include "progress/ProgressWindow.h"
#include "record/Record.h"
#include "review/Review.h"
#include "review/ReviewWindow.h"

#include <QTimer>

#include <optional>

namespace {

// The value of ExerciseNo an opener sets for an exercise. A picture story gets its
// number from the main menu only, a person story never gets one: the story windows
// are told their exercise directly, and the number stays what the drills left.
std::optional<int> exerciseNoFor(Exercise exercise, LessonModel::Shape shape, bool byMainMenu)
{
    if (shape == LessonModel::Shape::PersonStory || (shape == LessonModel::Shape::PictureStory && !byMainMenu))
        return std::nullopt;
    return exerciseNoOf(exercise);
}

} // namespace

// While one lives, a window unloaded on the way is no last window closed; the last one
// to go looks whether any window is left.
class Navigation::Change
{
public:
    explicit Change(Navigation &navigation) : navigation(navigation) { ++navigation.changing; }
    ~Change()
    {
        if (--navigation.changing == 0)
            navigation.afterUnload();
    }
    Change(const Change &) = delete;
    Change &operator=(const Change &) = delete;

private:
    Navigation &navigation;
};

Navigation::Navigation(Services services, Record &record, LessonService &lessons, Review &review, ClassConnection &classes)
    : quit([] { QCoreApplication::quit(); }), services(services), record(record), lessons(lessons), review(review),
      all(services, record, *this)
{
    all.afterUnload = [this] { afterUnload(); };
    all.others = [this, &review]() -> std::vector<Form *> {
        return {review.made(), trial ? trial->playing() : nullptr};
    };
    review.afterUnload = [this] { afterUnload(); };
    all.progressMade = [this, &classes](ProgressWindow &progress) {
        progress.practise = [this](Exercise exercise, const QStringList &items) { practiseMistakes(exercise, items); };
        progress.classJoined() = [&classes](const ClassServer &server) { classes.join(server); };
        progress.setClassSync(classes.sync());
    };
    classes.syncChanged = [this](ClassSync *sync) { all.progress().setClassSync(sync); };
}

Navigation::~Navigation() = default;

void Navigation::editLesson(bool fresh)
{
    LessonEditor &editor = all.editor();
    if (!trial) {
        trial = std::make_unique<Trial>(services.feedback, services.random, services.speech);
        // Closing the exercise tried comes back to the editor where it was.
        trial->ended = [this] {
            if (all.editor().isLoaded())
                all.editor().Show();
            afterUnload();
        };
        editor.tryIt = [this](const LessonModel::Lesson &tried, int place) { trial->play(tried, place); };
    }
    if (fresh)
        editor.startNew();
    else
        // Lesson 7, built in, opens as a copy to save elsewhere.
        editor.openLesson(services.lesson.lesson(), services.lesson.file() == LessonSource::BuiltIn ? QString()
                                                                                                     : services.lesson.file());
}

LessonHistory &Navigation::lessonHistory()
{
    return lessons.history();
}

void Navigation::openReview()
{
    review.open();
}

void Navigation::showReviewCaption(const QString &caption)
{
    all.mainMenu().setReviewCaption(caption);
}

bool Navigation::menuOnScreen()
{
    return all.mainMenu().isLoaded();
}

void Navigation::refreshProgress()
{
    if (all.progress().isLoaded())
        all.progress().Show();
}

void Navigation::interruptRuns()
{
    for (ExerciseWindow *window : all.exerciseWindows())
        window->interruptRun();
}

void Navigation::end()
{
    // Said before the windows go: answers nothing could keep are lost with the program.
    if (record.status().unkept > 0 && menuOnScreen())
        all.mainMenu().showMessage(services.feedback, record.status().problem, Feedback::Exclamation, services.shared.Title);
    // A lesson being edited is saved first, or its changes let go, as the teacher says.
    if (all.editor().isLoaded() && !all.editor().changesSettled())
        return;
    ending = true;
    // A run still open ends with the program: cut short, not left by the learner.
    interruptRuns();
    all.background().Unload();
    for (Form *form : all.forms())
        form->Unload();
    ending = false;
    quit();
}

void Navigation::afterUnload()
{
    // Closing the last open window ends the program, as closing any desktop program's last
    // window does; a window closed on the way from one window to another is no last one.
    if (ending || changing > 0 || menuAwaited || all.anyLoaded())
        return;
    interruptRuns();
    quit();
}

void Navigation::openExercise(Exercise target, Form &opener)
{
    open(target, opener, false);
}

void Navigation::openFromMainMenu(Exercise target)
{
    open(target, all.mainMenu(), true);
}

void Navigation::open(Exercise target, Form &opener, bool byMainMenu)
{
    ExerciseWindow *window = all.windowFor(target);
    if (!window)
        return;
    const Change change(*this);
    if (const std::optional<int> exerciseNo = exerciseNoFor(target, services.lesson.exercise(target.place).shape, byMainMenu))
        services.shared.ExerciseNo = *exerciseNo;
    // Another story of the same shape opens in the same window, built afresh for it.
    const bool sameWindow = window == &opener;
    if (sameWindow)
        opener.Unload();
    window->aimAt(target);
    window->Show();
    window->prepareFor(target, byMainMenu);
    if (!sameWindow)
        opener.Unload();
}

void Navigation::showMainMenu(bool focusEndButton)
{
    // The splash stays until the lesson to start with is read: the menu shows its exercises.
    menuAwaited = true;
    lessons.whenReady([this, focusEndButton] {
        menuAwaited = false;
        all.mainMenu().Show();
        if (focusEndButton)
            all.mainMenu().focusEndButton();
        // What start-up left is done once the menu is on screen, so that start-up never waits for it.
        QTimer::singleShot(0, &alive, [this] {
            if (menuShown)
                menuShown();
        });
    });
}

void Navigation::tell(const QString &text)
{
    Form *over = menuOnScreen() ? &all.mainMenu() : all.openForm();
    if (over)
        over->showMessage(services.feedback, text, Feedback::Exclamation, services.shared.Title);
}

void Navigation::openLesson(const QString &file)
{
    // The lesson played stays while the file is read.
    lessons.open(file, [this](const QString &problem) {
        // The program has ended meanwhile.
        if (!all.anyLoaded())
            return;
        if (!problem.isEmpty())
            tell(problem);
        else
            showNewLesson();
    });
}

void Navigation::showNewLesson()
{
    const Change change(*this);
    for (ExerciseWindow *window : all.exerciseWindows())
        window->Unload();
    // Rebuilt for the new lesson's exercises as one step, after any box it shows.
    ProgressWindow &progress = all.progress();
    if (progress.isLoaded()) {
        progress.whenNoModalOpen([this, &progress] {
            if (!progress.isLoaded())
                return;
            const Change rebuilding(*this);
            progress.Unload();
            progress.Show();
        });
    }
    all.mainMenu().Unload();
    showMainMenu(false);
}

void Navigation::showBackground()
{
    all.background().Show();
}

void Navigation::showAbout()
{
    all.about().menuAction();
}

void Navigation::showProgress()
{
    all.progress().Show();
}

bool Navigation::practiseMistakes(Exercise exercise, const QStringList &items)
{
    ExerciseWindow *target = all.windowFor(exercise);
    if (!target || items.isEmpty())
        return false;
    // A window in the middle of a message box goes once the box is closed: the run of
    // mistakes opens then, in a window of its own, not in the one on its way out.
    for (ExerciseWindow *window : all.exerciseWindows()) {
        if (window->isLoaded() && window->modalOpen()) {
            window->whenNoModalOpen([this, exercise, items] { practiseMistakes(exercise, items); });
            return true;
        }
    }
    const Change change(*this);
    // The exercise opens fresh, as from the main menu, in place of the menu and of
    // any exercise window (a run going on there is left).
    all.mainMenu().Unload();
    for (ExerciseWindow *window : all.exerciseWindows())
        window->Unload();
    all.background().Show();
    open(exercise, all.progress(), true);
    return target->practise(exercise, items);
}
