#pragma once

#include <QJsonObject>
#include <QString>

#include <deque>
#include <mutex>
#include <optional>
#include <vector>

// One thing to write into the record: an answer, a run begun, or a run ended.
// Plain data, so that what could not be written yet can wait in memory or in a
// side file and be written later, exactly as it would have been at once.
struct RecordEntry
{
    enum class Kind { Answer, RunStarted, RunEnded };

    Kind kind = Kind::Answer;
    QString lesson; // the lesson's id
    QString at;  // when, UTC, ISO 8601 with milliseconds
    QString day; // the learner's local day then, yyyy-MM-dd
    qint64 run = 0;
    // Unique: an answer or run written twice counts once (a run begun by an older
    // version's side file has none yet and is given one as it is written).
    QString uid;
    // An answer:
    QString exercise;
    QString item;
    QString expected;
    QString given;
    bool right = false;
    bool solutionShown = false;
    bool retry = false;
    // A run begun: exercise, variant, person; a run ended: outcome.
    QString variant;
    QString person;
    QString outcome;

    QJsonObject toJson() const;
    // An entry read back from a side file; valid() says whether it can be written.
    static RecordEntry fromJson(const QJsonObject &object);
    bool valid() const;
};

// The entries told to the record, waiting for its thread to take them. The thread
// takes them as each is told and also while it waits for a file another copy holds,
// so that what is told meanwhile goes to the side file at once instead of waiting in
// memory behind the wait.
class RecordInbox
{
public:
    void put(RecordEntry entry);
    // What is told from now on is not taken until pass(): a Forget asked now forgets
    // only what was told before it.
    void hold();
    void pass();
    // Every entry before the first hold, oldest first.
    std::vector<RecordEntry> take();

private:
    std::mutex mutex;
    std::deque<std::optional<RecordEntry>> waiting; // nullopt: a hold
};
