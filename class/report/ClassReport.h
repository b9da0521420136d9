#pragma once

#include "class/ClassServer.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <tuple>
#include <utility>
#include <vector>

// A teacher's view of the class, read from the class server in one go with the
// teacher's own rights, so that the server's policies choose whose rows count:
// per learner and exercise the runs accomplished, the share right at the first
// try over the last 30 days and the day last practised; and the items most
// learners of the class missed. Only the exercises of lessons the teacher's
// program knows count: anyone may send rows of made-up ones. Each lesson's view,
// or all lessons', comes from it without asking the server again. Whatever the
// server says is checked: counts are never negative nor cut short, a share stays
// within 0-100 %, and no text holds a control character.
struct ClassReport
{
    static constexpr int Days = 30;
    static constexpr int MostMissed = 10;
    // What "all lessons" is called where a lesson is chosen.
    static inline const QString AllLessons;

    // A lesson the teacher's program knows, and its exercises in the lesson's order.
    struct Lesson
    {
        QString id;
        QStringList exercises;
    };
    struct Learner
    {
        QString name;    // the login name
        QString display; // the real name the administrator gave, if any
        QString className;
        QString shown() const { return display.isEmpty() ? name : display; }
    };
    // An exercise as the server knows it: its lesson's id and its own.
    struct Exercise
    {
        QString lesson;
        QString id;
        bool operator<(const Exercise &other) const { return std::tie(lesson, id) < std::tie(other.lesson, other.id); }
    };
    struct Cell
    {
        qint64 accomplished = 0;
        qint64 firstTries = 0; // over the last Days days
        qint64 rightFirst = 0; // never more than firstTries
        QDateTime last;        // the last answer or run; invalid: never
    };
    // What a learner's review stands at in a lesson (the program's memory model, on the server).
    struct Memory
    {
        qint64 items = 0;  // answered at least once
        qint64 due = 0;    // never more than items
        double recall = 0; // the mean chance of recall now, 0 to 1
    };
    struct Missed
    {
        Exercise exercise;
        QString item;
        QString expected;
        qint64 learners = 0; // who missed it, each once
        qint64 misses = 0;
    };

    std::vector<Lesson> known;     // what counts, as read() was given it
    std::vector<Learner> learners; // of the teacher's classes, by class and name
    QStringList classes;
    std::map<std::pair<QString, Exercise>, Cell> cells; // by learner's login name
    std::vector<Missed> missed;                         // the most missed of each lesson, most first
    std::map<std::pair<QString, QString>, Memory> memory; // by learner's login name and lesson; none from an older server

    // The lessons a teacher's program knows: `played` (where it has an id), lesson 7,
    // which is built in, and the lessons of the lesson history, each once; a lesson
    // file that cannot be read any more is left out.
    static std::vector<Lesson> knownLessons(const Lesson &played = {});
    // Where the last Days days begin, as a learner's Progress window counts them:
    // the start of the local day Days - 1 days before `today`, today being one of them.
    static QDateTime since(const QDate &today);

    // Reads it through a connection of this name, signed in as `server` says, for the
    // exercises of `lessons`. Empty when read; otherwise why not, in one sentence.
    QString read(const ClassServer &server, const QString &connectionName, std::vector<Lesson> lessons,
                 const QDate &today = QDate::currentDate());

    // The known lessons' ids, in their order.
    QStringList lessons() const;
    // A lesson's exercises in its order (AllLessons: every known one).
    std::vector<Exercise> exercises(const QString &lesson) const;
    // The class's items missed most often in a lesson (AllLessons: in any).
    std::vector<Missed> mostMissed(const QString &lesson) const;

    // The table as shown and printed: a header row ("Learner", then one column per
    // exercise), then a row per learner, each cell as cellText says.
    QList<QStringList> table(const QString &lesson) const;
    // "runs accomplished · share right at the first try · last day practised"; "–" where none.
    static QString cellText(const Cell *cell);
    static QString legend();
    // A learner's review in a lesson (or all lessons): "3 due · 87%", or "–" where nothing was answered.
    QString reviewText(const QString &learner, const QString &lesson) const;
    // What the command line prints: the legend, the table and the items missed most, aligned.
    QString text(const QString &lesson) const;
    // A line per learner and exercise with anything recorded, in numbers, for a spreadsheet.
    QByteArray csv(const QString &lesson) const;
};
