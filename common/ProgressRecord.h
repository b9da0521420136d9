#pragma once

#include <QString>

// What the windows report of a learner's work: every judged answer and every
// run. The windows call it; only the record behind it knows where it goes.
class ProgressRecord
{
public:
    enum class Variant { Basic, Plus, Mistakes };
    enum class Outcome { Accomplished, Left };

    struct Answer
    {
        QString exercise; // "1a", "1b", "1c", "2" ... "6"
        QString item;     // a key that survives reordering of the tables
        QString expected;
        QString given;
        bool right = false;
        bool solutionShown = false;
        bool retry = false; // a wrong try was made on this item before
    };

    virtual ~ProgressRecord() = default;

    // The main menu is on screen: a quiet moment to open the record.
    virtual void prepare() {}
    virtual void answerJudged(const Answer &answer) = 0;
    // Returns the run's number for runEnded.
    virtual qint64 runStarted(const QString &exercise, Variant variant, const QString &person) = 0;
    virtual void runEnded(qint64 run, Outcome outcome) = 0;
};
