#pragma once

#include "common/Module1.h"
#include "class/ClassSync.h"
#include "record/Record.h"
#include "common/Services.h"
#include "app/MenuActions.h"
#include "lesson/LessonHistory.h"
#include "lesson/LessonSource.h"
#include "review/Review.h"
#include "speech/Speech.h"

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class alap;
class b07d1;
class b07d3;
class b07d4;
class b07d6;
class ExerciseWindow;
class Feedback;
class Form;
class hatter;
class ProgressWindow;
class RandomSource;
class ReviewWindow;
class sobre;

// What the program sets up on the application before its first window: its
// names and icon, the fonts the windows were designed with, the style.
void PrepareApplication();

// Owns every window and the shared values for one run of the program, and
// opens windows for one another.
class Program final : public MenuActions
{
public:
    // Without a record of its own the program records into one in memory, gone when it ends.
    Program(Feedback &feedback, RandomSource &random, Record *record = nullptr);
    ~Program() override;

    // The lesson to start with: the file named on the command line, else the one the
    // learner chose last, else lesson 7. Called before start.
    void startWith(const QString &commandLineFile);
    // The About window as a splash; it gives way to the main menu.
    void start();
    // End on the main menu: the background goes, then the program ends at once.
    void end() override;

    void openExercise(Exercise target, Form &opener) override;
    void openFromMainMenu(Exercise target) override;
    void showMainMenu(bool focusEndButton) override;
    void showAbout() override;
    void showProgress() override;
    // Opens the exercise as the main menu would and runs these items of it, the ones the
    // learner has yet to get right; false when there was nothing to run.
    bool practiseMistakes(Exercise exercise, const QStringList &items);
    // Plays the lesson in `file` (LessonSource::BuiltIn for lesson 7) from now on, once
    // read, or says over the main menu why it cannot; the lesson played stays then.
    void openLesson(const QString &file) override;
    LessonHistory &lessonHistory() override { return history; }
    void showBackground() override;
    void openReview() override;
    Speech &speech() { return voice; }
    // Sends the record to the class server from now on (replacing an earlier connection).
    void joinClass(const ClassServer &server);
    // Makes the speaker once the main menu is on screen (none: the program stays silent).
    std::function<std::unique_ptr<Speaker>()> makeSpeaker;

    Module1 &shared() { return values; }
    sobre &about();
    alap &mainMenu();
    hatter &background();
    ProgressWindow &progress();
    ReviewWindow &reviewWindow();
    Record &record() { return store; }
    LessonSource &lesson() { return lessonSource; }
    // The window that runs an exercise.
    ExerciseWindow *windowFor(Exercise exercise);
    bool anyLoaded() const;

    // How the program ends; the real one quits the application.
    std::function<void()> quit;

private:
    void open(Exercise target, Form &opener, bool byMainMenu);
    void afterUnload();
    void lessonRead(const QString &file, LessonReader::Reading reading);
    // Every window shows the lesson now played: the main menu and Progress anew, the exercises closed.
    void showNewLesson();
    void rejoinClass();
    // The main menu's Review entry says what is due now.
    void refreshReviewCaption();
    // Asks for the class server's password over whichever window is open, once.
    QString askPassword(const ClassServer &server);
    // Says once, over whichever window is open, that answers can no longer be kept.
    void warnOfLoss(const RecordData::Status &status);
    // Once the lesson to start with was read: remembered, or why it could not be is said.
    void settleStartLesson();
    template <typename Window, typename... Arguments>
    Window &made(std::unique_ptr<Window> &window, Arguments &&...arguments);
    std::vector<Form *> forms() const;
    Form *openForm() const;
    std::vector<ExerciseWindow *> exerciseWindows() const;

    Module1 values;
    std::unique_ptr<Record> ownStore;
    Record &store;
    bool warnedOfLoss = false;
    LessonSource lessonSource;
    Speech voice;
    std::unique_ptr<ClassSync> classSync;
    LessonHistory history;
    QString startFile;
    bool startFromCommandLine = false;
    bool startSettled = false;
    bool rejoined = false;
    int lessonsAsked = 0;
    Services services;
    Review review;
    std::unique_ptr<b07d1> suffixDrill;
    std::unique_ptr<b07d4> sentences;
    std::unique_ptr<b07d6> personStory;
    std::unique_ptr<b07d3> pictureStory;
    std::unique_ptr<hatter> backgroundWindow;
    std::unique_ptr<alap> mainMenuWindow;
    std::unique_ptr<sobre> aboutWindow;
    std::unique_ptr<ProgressWindow> progressWindow;
    bool ending = false;
    // A story window unloads to be built afresh for another story: it is no last window closed.
    bool rebuilding = false;
    // The context of the program's own timers, so none of them outlives it.
    QObject timerContext;
};
