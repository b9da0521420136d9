#pragma once

#include "app/LessonService.h"
#include "app/Navigation.h"
#include "class/ClassConnection.h"
#include "common/Module1.h"
#include "common/Services.h"
#include "record/Record.h"
#include "review/Review.h"
#include "speech/Speech.h"

#include <QObject>

#include <functional>
#include <memory>

class Feedback;
class RandomSource;
class ReviewWindow;

// What the program sets up on the application before its first window: its
// names and icon, the fonts the windows were designed with, the style.
void PrepareApplication();

// One run of the program: the shared values, the record, the lessons, the voice, the
// review and the class, and the windows (Navigation) that show them.
class Program final
{
public:
    // Without a record of its own the program records into one in memory, gone when it ends.
    Program(Feedback &feedback, RandomSource &random, Record *record = nullptr);
    ~Program();

    // The lesson to start with: the file named on the command line, else the one the
    // learner chose last, else lesson 7. Called before start.
    void startWith(const QString &commandLineFile) { lessons.startWith(commandLineFile); }
    // The About window as a splash; it gives way to the main menu once the lesson is read.
    void start();
    // The program ends now (the desktop's session ends, say): a run still open was cut short.
    void interruptRuns();
    // Makes the speaker once the main menu is on screen (none: the program stays silent).
    std::function<std::unique_ptr<Speaker>()> makeSpeaker;
    // How the program ends; the real one quits the application.
    std::function<void()> quit;

    // The windows, and the ways between them.
    Navigation &navigation() { return windows; }
    void end() { windows.end(); }
    void openFromMainMenu(Exercise target) { windows.openFromMainMenu(target); }
    void showMainMenu(bool focusEndButton) { windows.showMainMenu(focusEndButton); }
    void showAbout() { windows.showAbout(); }
    void showProgress() { windows.showProgress(); }
    void openLesson(const QString &file) { windows.openLesson(file); }
    bool practiseMistakes(Exercise exercise, const QStringList &items) { return windows.practiseMistakes(exercise, items); }
    sobre &about() { return windows.windows().about(); }
    alap &mainMenu() { return windows.windows().mainMenu(); }
    hatter &background() { return windows.windows().background(); }
    ProgressWindow &progress() { return windows.windows().progress(); }
    ReviewWindow &reviewWindow() { return review.window(); }
    ExerciseWindow *windowFor(Exercise exercise) { return windows.windows().windowFor(exercise); }
    bool anyLoaded() const { return windows.windows().anyLoaded(); }

    Module1 &shared() { return values; }
    Record &record() { return store; }
    LessonSource &lesson() { return lessons.source(); }
    Speech &speech() { return voice; }
    // Sends the record to the class server from now on (replacing an earlier connection).
    void joinClass(const ClassServer &server) { classes.join(server); }

private:
    // What start-up left for the moment the main menu is on screen.
    void afterMenuShown();
    // Says once, over whichever window is open, that answers can no longer be kept.
    void warnOfLoss(const RecordData::Status &status);
    // Asks for the class server's password over whichever window is open, once.
    QString askPassword(const ClassServer &server);

    Module1 values;
    std::unique_ptr<Record> ownStore;
    Record &store;
    LessonService lessons;
    Speech voice;
    Services services;
    Review review;
    ClassConnection classes;
    Navigation windows;
    bool warnedOfLoss = false;
    // The context of the program's own timers, so none of them outlives it.
    QObject alive;
};
