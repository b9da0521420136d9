#pragma once

#include "class/ClassServer.h"

#include <QByteArray>
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
// try over the last 30 days and the day last practised; and the items the class
// missed most often. Each lesson's view, or all lessons', comes from it without
// asking the server again.
struct ClassReport
{
    static constexpr int Days = 30;
    static constexpr int MostMissed = 10;
    // What "all lessons" is called where a lesson is chosen.
    static inline const QString AllLessons;

    struct Learner
    {
        QString name;
        QString className;
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
        int accomplished = 0;
        int firstTries = 0; // over the last Days days
        int rightFirst = 0;
        QDateTime last;     // the last answer or run; invalid: never
    };
    struct Missed
    {
        Exercise exercise;
        QString item;
        QString expected;
        int misses = 0;
    };

    std::vector<Learner> learners; // of the teacher's classes, by class and name
    QStringList classes;
    std::map<std::pair<QString, Exercise>, Cell> cells; // by learner's name
    std::vector<Missed> missed;                         // the most missed of each lesson, most first

    // Reads it through a connection of this name, signed in as `server` says.
    // Empty when read; otherwise why not, in one sentence.
    QString read(const ClassServer &server, const QString &connectionName);

    // The lessons with anything recorded, in order.
    QStringList lessons() const;
    // A lesson's exercises (AllLessons: every one): those of `known` (the lesson's own
    // order, where the program knows it) first, then any other with rows, in order.
    std::vector<Exercise> exercises(const QString &lesson, const QStringList &known = {}) const;
    // The class's items missed most often in a lesson (AllLessons: in any).
    std::vector<Missed> mostMissed(const QString &lesson) const;

    // The table as shown and printed: a header row ("Learner", then one column per
    // exercise), then a row per learner, each cell as cellText says.
    QList<QStringList> table(const QString &lesson, const QStringList &known = {}) const;
    // "runs accomplished · share right at the first try · last day practised"; "–" where none.
    static QString cellText(const Cell *cell);
    static QString legend();
    // What the command line prints: the legend, the table and the items missed most, aligned.
    QString text(const QString &lesson) const;
    // A line per learner and exercise with anything recorded, in numbers, for a spreadsheet.
    QByteArray csv(const QString &lesson) const;
};
