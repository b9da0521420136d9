#pragma once

#include "lesson/LessonHistory.h"
#include "lesson/LessonSource.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

// The lessons as the program keeps them: the lesson played, the learner's history of
// lessons, and reading a lesson file on a thread of its own, so that neither a large
// lesson nor a slow disk ever holds the windows up.
class LessonService
{
    Q_DECLARE_TR_FUNCTIONS(LessonService)

public:
    LessonSource &source() { return playing; }
    LessonHistory &history() { return lessons; }

    // The lesson to start with: the file named on the command line, else the one the
    // learner chose last, else lesson 7.
    void startWith(const QString &commandLineFile);
    // Reads the lesson to start with on a thread of its own (after the splash is on screen);
    // when it cannot be read, lesson 7 is played and the start's problem says why.
    void beginReading();
    // Runs `then` once the lesson to start with is played: now, unless it is still being read.
    void whenReady(std::function<void()> then);
    bool reading() const { return !waiting.empty() || startReading; }
    // What the learner is to be told of the lesson to start with, once: empty when all went
    // well (or was told already). A lesson named on the command line is chosen now.
    QString settleStart();

    // Reads the lesson in `file` on a thread of its own and plays it from then on; `done`
    // is told why it could not be (empty: played). Of lessons asked for one after another,
    // the last counts.
    void open(const QString &file, std::function<void(const QString &problem)> done);

private:
    // Without beginReading (a program that shows no splash), the lesson to start with is read now.
    void readStartNow();
    void startRead(LessonReader::Reading reading, const QString &file, const LessonProblems &problems);

    LessonSource playing;
    LessonHistory lessons;
    QString startFile;
    bool startFromCommandLine = false;
    bool startReading = false;
    bool startSettled = false;
    QString whyNotStarted;
    std::vector<std::function<void()>> waiting;
    int opensAsked = 0;
    // What the reading threads answer reaches the service while it lives.
    QObject alive;
};
