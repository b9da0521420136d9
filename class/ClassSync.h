#pragma once

#include "ClassServer.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class QThread;

// Sends the record's answers, and its runs once they have ended, to the class
// server: on a thread of its own with connections of its own, so that nothing a
// learner does waits for the network. Rows go in batches with INSERT ... ON
// CONFLICT (uid) DO NOTHING and are marked in the record only after the server
// committed them, so a batch cut off by a dropped connection or a killed program
// is simply sent again and counted once. While the server cannot be reached it is
// tried again after a pause that doubles up to five minutes.
class ClassSync final : public QObject
{
    Q_OBJECT

public:
    ClassSync(QString recordPath, ClassServer server);
    ~ClassSync() override;

    // Sends what waits now, and again every half minute (after a failure, after the pause).
    void start();
    // Fetches the learner's own rows of a lesson from the server, whichever computer
    // sent them, into the record in place of those fetched before; fetched tells when done.
    void fetchMine(const QString &lesson);

    // What the last round found: rows still waiting, and why, when the server could not take them.
    struct Status
    {
        int waiting = 0;
        QString problem;
        QDateTime failingSince; // invalid while the server takes the rows

        // What the Progress window says of it, in one line.
        QString sentence() const;
    };

Q_SIGNALS:
    void statusChanged(const ClassSync::Status &status);
    // False when the server could not be reached or the record not written: what was fetched before stays.
    void fetched(const QString &lesson, bool ok);

private:
    QThread *thread = nullptr;
    QObject *worker = nullptr;
};
