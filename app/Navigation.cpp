#include "Navigation.h"

#include "LessonService.h"
#include "alap.h"
#include "hatter.h"
#include "sobre.h"
#include "class/ClassConnection.h"
#include "common/Module1.h"
#include "exercises/b07d1/b07d1.h"
#include "exercises/b07d3/b07d3.h"
#include "exercises/b07d4/b07d4.h"
#include "exercises/b07d6/b07d6.h"
#include "progress/ProgressWindow.h"
#include "record/Record.h"
#include "review/Review.h"
#include "review/ReviewWindow.h"

#include <QTimer>

#include <algorithm>
#include <iterator>
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

// The windows made so far, of those given.
template <typename Window>
std::vector<Window *> madeOnes(std::initializer_list<Window *> windows)
{
    std::vector<Window *> made;
    std::copy_if(windows.begin(), windows.end(), std::back_inserter(made), [](Window *window) { return window; });
    return made;
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
      classes(classes)
{
    review.afterUnload = [this] { afterUnload(); };
    classes.syncChanged = [this](ClassSync *sync) {
        if (progressWindow)
            progressWindow->setClassSync(sync);
    };
}

Navigation::~Navigation() = default;

// A window is made when it is first asked for: the splash shows before the others exist.
template <typename Window, typename... Arguments>
Window &Navigation::made(std::unique_ptr<Window> &window, Arguments &&...arguments)
{
    if (!window) {
        window = std::make_unique<Window>(std::forward<Arguments>(arguments)...);
        window->afterUnload = [this] { afterUnload(); };
    }
    return *window;
}

sobre &Navigation::about()
{
    return made(aboutWindow, services, *this);
}

alap &Navigation::mainMenu()
{
    return made(mainMenuWindow, services, *this);
}

hatter &Navigation::background()
{
    return made(backgroundWindow);
}

ProgressWindow &Navigation::progress()
{
    if (!progressWindow) {
        made(progressWindow, record, services.feedback, &services.lesson);
        progressWindow->practise = [this](Exercise exercise, const QStringList &items) { practiseMistakes(exercise, items); };
        progressWindow->classJoined() = [this](const ClassServer &server) { classes.join(server); };
        progressWindow->setClassSync(classes.sync());
    }
    return *progressWindow;
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
    if (mainMenuWindow)
        mainMenuWindow->setReviewCaption(caption);
}

bool Navigation::menuOnScreen() const
{
    return mainMenuWindow && mainMenuWindow->isLoaded();
}

void Navigation::refreshProgress()
{
    if (progressWindow && progressWindow->isLoaded())
        progressWindow->Show();
}

void Navigation::interruptRuns()
{
    for (ExerciseWindow *window : exerciseWindows())
        window->interruptRun();
}

std::vector<Form *> Navigation::forms() const
{
    return madeOnes<Form>({aboutWindow.get(), mainMenuWindow.get(), backgroundWindow.get(), suffixDrill.get(),
                           sentences.get(), personStory.get(), pictureStory.get(), progressWindow.get(), review.made()});
}

std::vector<ExerciseWindow *> Navigation::exerciseWindows() const
{
    return madeOnes<ExerciseWindow>({suffixDrill.get(), sentences.get(), personStory.get(), pictureStory.get()});
}

ExerciseWindow *Navigation::windowFor(Exercise exercise)
{
    const std::vector<LessonModel::Exercise> &exercises = services.lesson.lesson().exercises;
    if (exercise.place < 0 || exercise.place >= int(exercises.size()))
        return nullptr;
    switch (exercises[std::size_t(exercise.place)].shape) {
    case LessonModel::Shape::SuffixDrill: return &made(suffixDrill, services, *this);
    case LessonModel::Shape::Sentences: return &made(sentences, services, *this);
    case LessonModel::Shape::PersonStory: return &made(personStory, services, *this);
    case LessonModel::Shape::PictureStory: return &made(pictureStory, services, *this);
    }
    return nullptr;
}

bool Navigation::anyLoaded() const
{
    const std::vector<Form *> all = forms();
    return std::any_of(all.begin(), all.end(), [](const Form *form) { return form->isLoaded(); });
}

void Navigation::end()
{
    // Said before the windows go: answers nothing could keep are lost with the program.
    if (record.status().unkept > 0 && mainMenuWindow && mainMenuWindow->isLoaded())
        mainMenuWindow->showMessage(services.feedback, record.status().problem, Feedback::Exclamation,
                                    services.shared.Title);
    ending = true;
    // A run still open ends with the program: cut short, not left by the learner.
    interruptRuns();
    if (backgroundWindow)
        backgroundWindow->Unload();
    for (Form *form : forms())
        form->Unload();
    ending = false;
    quit();
}

void Navigation::afterUnload()
{
    // Closing the last open window ends the program, as closing any desktop program's last
    // window does; a window closed on the way from one window to another is no last one.
    if (ending || changing > 0 || menuAwaited || anyLoaded())
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
    open(target, mainMenu(), true);
}

void Navigation::open(Exercise target, Form &opener, bool byMainMenu)
{
    ExerciseWindow *window = windowFor(target);
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
        mainMenu().Show();
        if (focusEndButton)
            mainMenuWindow->focusEndButton();
        // What start-up left is done once the menu is on screen, so that start-up never waits for it.
        QTimer::singleShot(0, &alive, [this] {
            if (menuShown)
                menuShown();
        });
    });
}

Form *Navigation::openForm() const
{
    for (Form *form : forms()) {
        if (form != backgroundWindow.get() && form->isLoaded() && form->window()->isActiveWindow())
            return form;
    }
    for (Form *form : {static_cast<Form *>(mainMenuWindow.get()), static_cast<Form *>(progressWindow.get())}) {
        if (form && form->isLoaded())
            return form;
    }
    for (ExerciseWindow *window : exerciseWindows()) {
        if (window->isLoaded())
            return window;
    }
    return nullptr;
}

void Navigation::tell(const QString &text)
{
    Form *over = mainMenuWindow && mainMenuWindow->isLoaded() ? mainMenuWindow.get() : openForm();
    if (over)
        over->showMessage(services.feedback, text, Feedback::Exclamation, services.shared.Title);
}

void Navigation::openLesson(const QString &file)
{
    // The lesson played stays while the file is read.
    lessons.open(file, [this](const QString &problem) {
        // The program has ended meanwhile.
        if (!anyLoaded())
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
    for (ExerciseWindow *window : exerciseWindows())
        window->Unload();
    // Rebuilt for the new lesson's exercises as one step, after any box it shows.
    if (progressWindow && progressWindow->isLoaded()) {
        progressWindow->whenNoModalOpen([this] {
            if (!progressWindow->isLoaded())
                return;
            const Change rebuilding(*this);
            progressWindow->Unload();
            progressWindow->Show();
        });
    }
    mainMenu().Unload();
    showMainMenu(false);
}

void Navigation::showBackground()
{
    background().Show();
}

void Navigation::showAbout()
{
    about().menuAction();
}

void Navigation::showProgress()
{
    progress().Show();
}

bool Navigation::practiseMistakes(Exercise exercise, const QStringList &items)
{
    ExerciseWindow *target = windowFor(exercise);
    if (!target || items.isEmpty())
        return false;
    const Change change(*this);
    // The exercise opens fresh, as from the main menu, in place of the menu and of
    // any exercise window (a run going on there is left).
    mainMenu().Unload();
    for (ExerciseWindow *window : exerciseWindows())
        window->Unload();
    background().Show();
    open(exercise, progress(), true);
    return target->practise(exercise, items);
}
