#pragma once

#include "ClassServer.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThread;
class Record;

// Sends the record's answers, and its runs once they have ended, to the class
// server, and fetches the learner's own rows of a lesson back from it: on a thread
// of its own with a connection of its own, so that nothing a learner does waits for
// the network. The record is its only way to the file. Rows go in batches with
// INSERT ... ON CONFLICT (uid) DO NOTHING and are marked in the record only after
// the server committed them, so a batch cut off by a dropped connection or a killed
// program is simply sent again and counted once. While the server cannot be reached
// it is tried again after a pause that doubles up to five minutes. Ending it cuts
// its own connection (its socket, not another's to the same server), whatever the
// network is doing; a connection still being made is left to its time-out, which
// the program does not wait for.
class ClassSync final : public QObject
{
    Q_OBJECT

public:
    // How long it waits between rounds; tests make them short.
    struct Timing
    {
        int firstPauseMs = 5'000;
        int longestPauseMs = 300'000;
        // Answers given meanwhile go over within this time.
        int roundMs = 30'000;
    };

    ClassSync(Record &record, ClassServer server, Timing timing);
    ClassSync(Record &record, ClassServer server) : ClassSync(record, std::move(server), Timing{}) {}
    // Returns within a second, also while the server has stopped answering mid-statement.
    ~ClassSync() override;

    // Sends what waits now, and again every round (after a failure, after the pause).
    void start();
    // Fetches the learner's rows of a lesson that are new on the server since the last
    // fetch, in pages, into the record's copy; fetched tells when done.
    void fetchMine(const QString &lesson);
    // The server, port, database and learner the rows go to.
    const QString &serverKey() const { return key; }

    // What the last round found.
    struct Status
    {
        QString problem;        // why the rows could not be sent; empty while the server takes them
        QDateTime failingSince; // invalid while the server takes the rows
        bool stopped = false;   // for good: the record cannot note what is sent

        // What the Progress window says, given what of the record waits for the server.
        QString sentence(int answersWaiting, int runsWaiting) const;
    };
    const Status &status() const { return last; }

    // A sync whose thread was still held by the network when it ended: the program
    // ends without waiting for it.
    static bool leftRunning();

    class Line;

Q_SIGNALS:
    void statusChanged(const ClassSync::Status &status);
    // False when the server could not be reached or the record not written: what was fetched before stays.
    void fetched(const QString &lesson, bool ok);

private:
    QString key;
    std::shared_ptr<Line> line;
    Status last;
    std::shared_ptr<std::atomic<bool>> stopping = std::make_shared<std::atomic<bool>>(false);
    QThread *thread = nullptr;
    QObject *worker = nullptr;
};

Q_DECLARE_METATYPE(ClassSync::Status)
