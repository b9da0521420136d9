#include "Program.h"

#include "alap.h"
#include "hatter.h"
#include "sobre.h"
#include "exercises/b07d1/b07d1.h"
#include "exercises/b07d3/b07d3.h"
#include "exercises/b07d4/b07d4.h"
#include "exercises/b07d6/b07d6.h"
#include "common/Settings.h"
#include "class/ClassPassword.h"
#include "progress/ProgressWindow.h"
#include "review/ReviewWindow.h"

#include "common/DesignFont.h"
#include "common/WhenDone.h"
#include "common/PaletteSharingStyle.h"
#include "common/Pictures.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

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

void PrepareApplication()
{
    // The lower-case name makes the data folder ~/.local/share/bimbala, as desktop programs have it.
    QApplication::setApplicationName(QStringLiteral("bimbala"));
    // No display name: Qt would append it to every caption (" — Bimbala" on X11), and each
    // window's caption is exactly as designed, blanks included. The desktop entry names the program.
    QApplication::setDesktopFileName(QStringLiteral("org.example.bimbala"));
    // The program decides when it ends (End, or its last window closed).
    QApplication::setQuitOnLastWindowClosed(false);
    InstallFontSubstitutions();
    InstallPaletteSharingStyle();
    LoadClearColours();
}

Program::Program(Feedback &feedback, RandomSource &random, Record *recordStore)
    : quit([] { QCoreApplication::quit(); }),
      ownStore(recordStore ? nullptr : std::make_unique<Record>(QStringLiteral(":memory:"))),
      store(recordStore ? *recordStore : *ownStore), services{values, feedback, random, store, lessonSource, voice},
      review(store, lessonSource, feedback, values)
{
    review.afterUnload = [this] { afterUnload(); };
    review.captionChanged = [this](const QString &caption) {
        if (mainMenuWindow)
            mainMenuWindow->setReviewCaption(caption);
    };
    // Answers are recorded under the lesson they were given in.
    lessonSource.loaded = [this](const LessonModel::Lesson &lesson) { store.setLesson(lesson.id); };
    QObject::connect(&store, &Record::statusChanged, &timerContext,
                     [this](const RecordData::Status &status) { warnOfLoss(status); });
    QObject::connect(&store, &Record::changed, &timerContext, [this] { refreshReviewCaption(); });
}

Program::~Program() = default;

// A window is made when it is first asked for: the splash shows before the others exist.
template <typename Window, typename... Arguments>
Window &Program::made(std::unique_ptr<Window> &window, Arguments &&...arguments)
{
    if (!window) {
        window = std::make_unique<Window>(std::forward<Arguments>(arguments)...);
        window->afterUnload = [this] { afterUnload(); };
    }
    return *window;
}

sobre &Program::about()
{
    return made(aboutWindow, services, *this);
}

alap &Program::mainMenu()
{
    return made(mainMenuWindow, services, *this);
}

hatter &Program::background()
{
    return made(backgroundWindow);
}

ProgressWindow &Program::progress()
{
    if (!progressWindow) {
        made(progressWindow, store, services.feedback, &lessonSource);
        progressWindow->practise = [this](Exercise exercise, const QStringList &items) { practiseMistakes(exercise, items); };
        progressWindow->classJoined() = [this](const ClassServer &server) { joinClass(server); };
        progressWindow->setClassSync(classSync.get());
    }
    return *progressWindow;
}

ReviewWindow &Program::reviewWindow()
{
    return review.window();
}

void Program::openReview()
{
    review.open();
}

void Program::refreshReviewCaption()
{
    if (mainMenuWindow && mainMenuWindow->isLoaded())
        review.refreshCaption();
}

std::vector<Form *> Program::forms() const
{
    return madeOnes<Form>({aboutWindow.get(), mainMenuWindow.get(), backgroundWindow.get(), suffixDrill.get(),
                           sentences.get(), personStory.get(), pictureStory.get(), progressWindow.get(),
                           review.made()});
}

std::vector<ExerciseWindow *> Program::exerciseWindows() const
{
    return madeOnes<ExerciseWindow>({suffixDrill.get(), sentences.get(), personStory.get(), pictureStory.get()});
}

ExerciseWindow *Program::windowFor(Exercise exercise)
{
    const std::vector<LessonModel::Exercise> &exercises = lessonSource.lesson().exercises;
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

bool Program::anyLoaded() const
{
    for (const Form *form : forms()) {
        if (form->isLoaded())
            return true;
    }
    return false;
}

void Program::startWith(const QString &commandLineFile)
{
    startFile = commandLineFile.isEmpty() ? history.last() : commandLineFile;
    startFromCommandLine = !commandLineFile.isEmpty();
    if (!startFile.isEmpty())
        lessonSource.startWith(startFile);
}

void Program::start()
{
    about().Show();
    // Drawn from its SVG at three sizes once the splash is on its way: the window manager
    // takes the icon when it comes.
    QTimer::singleShot(0, &timerContext, [] { QApplication::setWindowIcon(Pictures::programIcon()); });
}

void Program::end()
{
    // Said before the windows go: answers nothing could keep are lost with the program.
    if (store.status().unkept > 0 && mainMenuWindow && mainMenuWindow->isLoaded())
        mainMenuWindow->showMessage(services.feedback, store.status().problem, Feedback::Exclamation, values.Title);
    ending = true;
    if (backgroundWindow)
        backgroundWindow->Unload();
    for (Form *form : forms())
        form->Unload();
    ending = false;
    quit();
}

void Program::afterUnload()
{
    // Closing the last open window ends the program, as closing any desktop program's last window does.
    if (!ending && !rebuilding && !anyLoaded())
        quit();
}

void Program::openExercise(Exercise target, Form &opener)
{
    open(target, opener, false);
}

void Program::openFromMainMenu(Exercise target)
{
    open(target, mainMenu(), true);
}

void Program::open(Exercise target, Form &opener, bool byMainMenu)
{
    ExerciseWindow *window = windowFor(target);
    if (!window)
        return;
    if (const std::optional<int> exerciseNo = exerciseNoFor(target, lessonSource.exercise(target.place).shape, byMainMenu))
        values.ExerciseNo = *exerciseNo;
    // Another story of the same shape opens in the same window, built afresh for it.
    const bool sameWindow = window == &opener;
    if (sameWindow) {
        rebuilding = true;
        opener.Unload();
        rebuilding = false;
    }
    window->aimAt(target);
    window->Show();
    window->prepareFor(target, byMainMenu);
    if (!sameWindow)
        opener.Unload();
}

void Program::showMainMenu(bool focusEndButton)
{
    mainMenu().Show();
    if (focusEndButton)
        mainMenuWindow->focusEndButton();
    // The record opens once the menu is on screen, so start-up never waits for it
    // (opening is done once; later calls find it open).
    QTimer::singleShot(0, &timerContext, [this] {
        store.prepare();
        refreshReviewCaption();
        settleStartLesson();
        rejoinClass();
        // The speech service may take seconds to start: it starts on its own thread,
        // and the program speaks once it is ready.
        if (makeSpeaker) {
            voice.use(makeSpeaker());
            makeSpeaker = nullptr;
        }
    });
}

void Program::settleStartLesson()
{
    if (startSettled || startFile.isEmpty())
        return;
    if (lessonSource.startProblem().isEmpty()) {
        startSettled = true;
        // A lesson named on the command line is the one chosen last.
        if (startFromCommandLine)
            history.chose(startFile, lessonSource.lesson().title);
        return;
    }
    // Said over the main menu, the next time it shows if it is gone meanwhile.
    if (!mainMenuWindow || !mainMenuWindow->isLoaded())
        return;
    startSettled = true;
    // A lesson that is gone is not looked for again; a broken one may be mended meanwhile.
    if (!QFileInfo::exists(startFile))
        history.forget(startFile);
    mainMenuWindow->showMessage(services.feedback, lessonSource.startProblem(), Feedback::Exclamation, values.Title);
}

// The class saved before, once the keyring has given its password.
void Program::rejoinClass()
{
    if (rejoined)
        return;
    rejoined = true;
    ClassServer server = ClassServer::fromSettings();
    // A teacher signs in for their report from the Class window; they have no record to send.
    if (server.server.isEmpty() || server.learner.isEmpty() || programSettings().value(QStringLiteral("class/teacher")).toBool())
        return;
    ClassPassword::read(ClassPassword::key(server), &timerContext,
                        [this, server](const QString &password, const QString &noKeyring) mutable {
        server.password = password;
        // Without a keyring the password is asked for once at each start.
        if (password.isEmpty() && !noKeyring.isEmpty())
            server.password = askPassword(server);
        if (server.password.isEmpty())
            return;
        // Kept for the rest of this run, so that the Class window has it too.
        if (password.isEmpty())
            ClassPassword::write(ClassPassword::key(server), server.password, &timerContext, [](const QString &) {});
        joinClass(server);
    });
}

// Over the main menu, or over whatever window the learner went to meanwhile.
Form *Program::openForm() const
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

QString Program::askPassword(const ClassServer &server)
{
    Form *over = openForm();
    QString password;
    if (over) {
        over->runModal([&] {
            password = services.feedback.password(
                over->window(), values.Title,
                QStringLiteral("The password of %1 on the class server %2 (there is no keyring to keep it in):")
                    .arg(server.learner, server.server));
        });
    }
    return password;
}

void Program::warnOfLoss(const RecordData::Status &status)
{
    if (status.unkept == 0 || warnedOfLoss)
        return;
    if (Form *over = openForm()) {
        warnedOfLoss = true;
        over->showMessage(services.feedback, status.problem, Feedback::Exclamation, values.Title);
    }
}

void Program::joinClass(const ClassServer &server)
{
    classSync.reset();
    // A record only in memory has nothing to keep on a server.
    if (store.path() != u":memory:")
        classSync = std::make_unique<ClassSync>(store, server);
    if (progressWindow)
        progressWindow->setClassSync(classSync.get());
    if (classSync)
        classSync->start();
}

void Program::openLesson(const QString &file)
{
    // Read on a thread of its own, so that a large lesson never holds the windows up;
    // the lesson played stays meanwhile. Of lessons chosen one after another, the last counts.
    const int asked = ++lessonsAsked;
    whenDone(QtConcurrent::run([file] { return LessonFiles::read(file); }), &timerContext,
             [this, file, asked](LessonReader::Reading reading) {
        if (asked == lessonsAsked)
            lessonRead(file, std::move(reading));
    });
}

void Program::lessonRead(const QString &file, LessonReader::Reading reading)
{
    // The program has ended meanwhile.
    if (!anyLoaded())
        return;
    const QString playedTitle = lessonSource.lesson().title;
    const LessonProblems problems = lessonSource.open(std::move(reading), file);
    if (!problems.empty()) {
        if (!QFileInfo::exists(file))
            history.forget(file);
        const QString heading = QStringLiteral("The lesson %1 cannot be opened; %2 stays open:").arg(file, playedTitle);
        if (Form *over = mainMenuWindow && mainMenuWindow->isLoaded() ? mainMenuWindow.get() : openForm())
            over->showMessage(services.feedback, LessonSource::describe(heading, problems), Feedback::Exclamation,
                              values.Title);
        return;
    }
    history.chose(file == LessonSource::BuiltIn ? QString() : file, lessonSource.lesson().title);
    showNewLesson();
}

void Program::showNewLesson()
{
    for (ExerciseWindow *window : exerciseWindows())
        window->Unload();
    // Rebuilt for the new lesson's exercises as one step, after any box it shows.
    if (progressWindow && progressWindow->isLoaded()) {
        progressWindow->whenNoModalOpen([this] {
            if (!progressWindow->isLoaded())
                return;
            progressWindow->Unload();
            progressWindow->Show();
        });
    }
    mainMenu().Unload();
    showMainMenu(false);
}

void Program::showBackground()
{
    background().Show();
}

void Program::showAbout()
{
    about().menuAction();
}

void Program::showProgress()
{
    progress().Show();
}

bool Program::practiseMistakes(Exercise exercise, const QStringList &items)
{
    ExerciseWindow *target = windowFor(exercise);
    if (!target || items.isEmpty())
        return false;
    // The exercise opens fresh, as from the main menu, in place of the menu and of
    // any exercise window (a run going on there is left).
    mainMenu().Unload();
    for (ExerciseWindow *window : exerciseWindows())
        window->Unload();
    background().Show();
    open(exercise, progress(), true);
    return target->practise(exercise, items);
}
