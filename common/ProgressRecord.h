#pragma once

#include <QString>

// What the run models and the review report of a learner's work: every judged answer
// and every run, each complete as it is told (its lesson, its exercise, its run), so
// that nothing behind this interface keeps a "current" lesson or run to fill in.
class ProgressRecord
{
public:
    enum class Variant { Basic, Plus, Mistakes };
    // Accomplished; left by the learner (another exercise, Close, a new lesson); or cut
    // short by the program's end (End, or a crash found at the next start).
    enum class Outcome { Accomplished, Left, Interrupted };

    struct Answer
    {
        QString lesson;   // the lesson's id
        QString exercise; // "1a", "1b", "1c", "2" ... "6"
        QString item;     // a key that survives reordering of the tables
        QString expected;
        QString given;
        bool right = false;
        bool solutionShown = false;
        bool retry = false; // a wrong try was made on this item before
        qint64 run = 0;     // the run it was given in; 0: none (a review's answer)
    };

    virtual ~ProgressRecord() = default;

    // The main menu is on screen: a quiet moment to open the record.
    virtual void prepare() {}
    virtual void answerJudged(const Answer &answer) = 0;
    // Returns the run's number for the answers given in it and for runEnded.
    virtual qint64 runStarted(const QString &lesson, const QString &exercise, Variant variant, const QString &person) = 0;
    virtual void runEnded(qint64 run, Outcome outcome) = 0;
};
