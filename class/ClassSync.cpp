#include "ClassSync.h"

#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <vector>

namespace {

constexpr int BatchRows = 500;
constexpr int FirstPauseMs = 5'000;
constexpr int LongestPauseMs = 300'000;
// Answers given meanwhile go over within this time.
constexpr int NextRoundMs = 30'000;
const QString AnswersMark = QStringLiteral("answers sent up to");
// Runs are numbered by the learner's record; on the server a run is known by a
// UUID made from that number, the same every time it is sent.
const QUuid RunNamespace = QUuid(QStringLiteral("{6f1c2b7e-0d4a-4b8e-9a57-3c2e8f1d5a90}"));

class SyncWorker final : public QObject
{
    Q_OBJECT

public:
    SyncWorker(QString recordPath, ClassServer server) : recordPath(std::move(recordPath)), server(std::move(server))
    {
        pause.setSingleShot(true);
        connect(&pause, &QTimer::timeout, this, &SyncWorker::round);
    }

    void round()
    {
        pause.stop();
        ClassSync::Status status;
        status.problem = sendAll();
        status.waiting = waiting();
        if (status.problem.isEmpty()) {
            failingSince = {};
            nextPauseMs = FirstPauseMs;
            pause.start(NextRoundMs);
        } else {
            if (!failingSince.isValid())
                failingSince = QDateTime::currentDateTime();
            pause.start(nextPauseMs);
            nextPauseMs = std::min(2 * nextPauseMs, LongestPauseMs);
        }
        status.failingSince = failingSince;
        Q_EMIT statusChanged(status);
    }

    void fetchMine(const QString &lesson)
    {
        Q_EMIT fetched(lesson, fetch(lesson));
    }

    void finish()
    {
        pause.stop();
        QSqlDatabase::removeDatabase(recordName());
        QSqlDatabase::removeDatabase(serverName());
    }

Q_SIGNALS:
    void statusChanged(const ClassSync::Status &status);
    void fetched(const QString &lesson, bool ok);

private:
    QString recordName() const { return QStringLiteral("bimbala-sync-record-%1").arg(quintptr(this)); }
    QString serverName() const { return QStringLiteral("bimbala-sync-server-%1").arg(quintptr(this)); }

    // This thread's connection to the record, opened at its first use.
    QSqlDatabase record()
    {
        if (QSqlDatabase::contains(recordName()))
            return QSqlDatabase::database(recordName(), false);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), recordName());
        db.setDatabaseName(recordPath);
        // The program writes the record meanwhile; this thread may wait its turn.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        db.open();
        return db;
    }

    // This thread's connection to the server, opened when it is not: empty when open, otherwise why not.
    QString reach(QSqlDatabase &remote)
    {
        remote = QSqlDatabase::database(serverName(), false);
        if (remote.isOpen())
            return {};
        const QString problem = server.open(serverName());
        remote = QSqlDatabase::database(serverName(), false);
        return problem;
    }

    // Empty when everything waiting went over; otherwise why not.
    QString sendAll()
    {
        QSqlDatabase remote;
        if (const QString problem = reach(remote); !problem.isEmpty())
            return problem;
        for (;;) {
            const QString problem = sendBatch(remote);
            if (problem != QLatin1String("more"))
                return problem;
        }
    }

    // One batch of answers or ended runs: "more" when one went over, empty when none waits.
    QString sendBatch(QSqlDatabase &remote)
    {
        QSqlDatabase record = this->record();
        QSqlQuery answers(record);
        answers.setForwardOnly(true);
        answers.prepare(QStringLiteral("SELECT id, uid, at, lesson, exercise, item, expected, given, right, solution_shown, "
                                       "retry, run FROM answers WHERE id > coalesce((SELECT value FROM class_marks "
                                       "WHERE name = ?), 0) ORDER BY id LIMIT %1").arg(BatchRows));
        answers.addBindValue(AnswersMark);
        QSqlQuery runs(record);
        runs.setForwardOnly(true);
        runs.prepare(QStringLiteral("SELECT id, lesson, exercise, variant, person, started, ended, outcome FROM runs "
                                    "WHERE ended IS NOT NULL AND on_server = 0 LIMIT %1").arg(BatchRows));
        if (!answers.exec() || !runs.exec())
            return QStringLiteral("The record cannot be read: %1").arg(record.lastError().text());

        // Each batch one statement per table, every value bound: one round trip for 500 rows.
        qint64 lastAnswer = -1;
        QVariantList answerValues;
        while (answers.next()) {
            lastAnswer = answers.value(0).toLongLong();
            for (int column = 1; column <= 11; ++column)
                answerValues << (column >= 8 && column <= 10 ? QVariant(answers.value(column).toBool()) : answers.value(column));
        }
        QVariantList runValues;
        QVariantList sentRuns;
        while (runs.next()) {
            const qint64 id = runs.value(0).toLongLong();
            runValues << QUuid::createUuidV5(RunNamespace, QString::number(id)).toString(QUuid::WithoutBraces);
            for (int column = 0; column < 8; ++column)
                runValues << runs.value(column);
            sentRuns << id;
        }
        if (answerValues.isEmpty() && runValues.isEmpty())
            return {};
        if (!remote.transaction() ||
            !insert(remote, QStringLiteral("bimbala.answers(uid, at, lesson, exercise, item, expected, given, \"right\", "
                                           "solution_shown, retry, run)"), 11, answerValues) ||
            !insert(remote, QStringLiteral("bimbala.runs(uid, id, lesson, exercise, variant, person, started, ended, outcome)"),
                    9, runValues) ||
            !remote.commit())
            return lost(remote);
        // Marked only now that the server has them: a program killed in between sends them again.
        QSqlQuery mark(record);
        if (lastAnswer >= 0) {
            mark.prepare(QStringLiteral("INSERT OR REPLACE INTO class_marks(name, value) VALUES (?, ?)"));
            mark.addBindValue(AnswersMark);
            mark.addBindValue(lastAnswer);
            mark.exec();
        }
        for (const QVariant &id : sentRuns) {
            mark.prepare(QStringLiteral("UPDATE runs SET on_server = 1 WHERE id = ?"));
            mark.addBindValue(id);
            mark.exec();
        }
        return QStringLiteral("more");
    }

    // Rows of `columns` values each into `table`, skipping those the server has already.
    static bool insert(QSqlDatabase &remote, const QString &table, int columns, const QVariantList &values)
    {
        if (values.isEmpty())
            return true;
        const QString row = QLatin1Char('(') + QStringList(columns, QStringLiteral("?")).join(u',') + QLatin1Char(')');
        QSqlQuery send(remote);
        send.prepare(QStringLiteral("INSERT INTO %1 VALUES %2 ON CONFLICT (uid) DO NOTHING")
                         .arg(table, QStringList(values.size() / columns, row).join(u',')));
        for (const QVariant &value : values)
            send.addBindValue(value);
        return send.exec();
    }

    // A table of the record's copy of the server's rows, and the rows fetched for it.
    struct Fetched
    {
        QString table;
        QString columns; // as the server's query gives them; the lesson follows
        QString select;  // of the learner's rows on the server, the lesson bound
        std::vector<QVariantList> rows;
    };

    // The server's rows of the learner and the lesson, read whole before the record is
    // written, so that the record is never held while the network is waited for.
    bool fetch(const QString &lesson)
    {
        QSqlDatabase remote;
        if (!reach(remote).isEmpty())
            return false;
        // Times as this computer's record writes them, so that both sort and compare as text.
        const QString utc = QStringLiteral("to_char(%1 AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"')");
        // Each read whole before the next: a forward-only result of this driver is lost to the next statement.
        std::vector<Fetched> tables{
            {QStringLiteral("server_answers"), QStringLiteral("uid, at, exercise, item, expected, right, solution_shown, retry"),
             QStringLiteral("SELECT uid::text, %1, exercise, item, expected, \"right\", solution_shown, retry FROM "
                            "bimbala.answers WHERE learner = current_user AND lesson = ?").arg(utc.arg(QStringLiteral("at"))),
             {}},
            {QStringLiteral("server_runs"), QStringLiteral("id, exercise, variant, ended"),
             QStringLiteral("SELECT id, exercise, variant, %1 FROM bimbala.runs WHERE learner = current_user AND lesson = ? "
                            "AND outcome = 'accomplished'").arg(utc.arg(QStringLiteral("ended"))),
             {}}};
        for (Fetched &fetched : tables) {
            QSqlQuery query(remote);
            query.setForwardOnly(true);
            query.prepare(fetched.select);
            query.addBindValue(lesson);
            for (bool ok = query.exec(); ok && query.next();) {
                QVariantList row;
                for (int column = 0; column < query.record().count(); ++column)
                    row << query.value(column);
                fetched.rows.push_back(row);
            }
            if (query.lastError().isValid()) {
                lost(remote);
                return false;
            }
        }
        return keep(lesson, tables);
    }

    // The rows fetched of a lesson in place of those fetched before, all at once.
    bool keep(const QString &lesson, const std::vector<Fetched> &tables)
    {
        QSqlDatabase db = record();
        if (!db.transaction())
            return false;
        bool ok = true;
        for (const Fetched &fetched : tables) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("DELETE FROM %1 WHERE lesson = ?").arg(fetched.table));
            query.addBindValue(lesson);
            ok = ok && query.exec();
            const QString values = QStringLiteral("?, ").repeated(fetched.columns.count(u',') + 1);
            query.prepare(QStringLiteral("INSERT INTO %1(%2, lesson) VALUES (%3?)").arg(fetched.table, fetched.columns, values));
            for (std::size_t i = 0; ok && i < fetched.rows.size(); ++i) {
                for (const QVariant &value : fetched.rows[i])
                    query.addBindValue(value);
                query.addBindValue(lesson);
                ok = query.exec();
            }
        }
        QSqlQuery when(db);
        when.prepare(QStringLiteral("INSERT OR REPLACE INTO server_fetched(lesson, at) VALUES (?, ?)"));
        when.addBindValue(lesson);
        when.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
        if (ok && when.exec() && db.commit())
            return true;
        db.rollback();
        return false;
    }

    // The connection broke or the server refused: it is opened afresh next round.
    QString lost(QSqlDatabase &remote)
    {
        const QString why = remote.lastError().text();
        remote.close();
        return QStringLiteral("The class server cannot take the answers just now (%1).").arg(why.simplified());
    }

    int waiting()
    {
        QSqlQuery count(record());
        count.prepare(QStringLiteral("SELECT (SELECT count(*) FROM answers WHERE id > coalesce((SELECT value FROM "
                                     "class_marks WHERE name = ?), 0)) + (SELECT count(*) FROM runs WHERE ended IS NOT "
                                     "NULL AND on_server = 0)"));
        count.addBindValue(AnswersMark);
        return count.exec() && count.next() ? count.value(0).toInt() : 0;
    }

    QString recordPath;
    ClassServer server;
    QTimer pause{this}; // a child, so that it moves to the worker's thread with it
    int nextPauseMs = FirstPauseMs;
    QDateTime failingSince;
};

} // namespace

QString ClassSync::Status::sentence() const
{
    const QString since = QLocale().toString(failingSince.time(), QLocale::ShortFormat);
    if (waiting == 0)
        return problem.isEmpty()
                   ? QStringLiteral("All answers are on the class server.")
                   : QStringLiteral("All answers are on the class server, which cannot be reached since %1.").arg(since);
    if (problem.isEmpty())
        return waiting == 1 ? QStringLiteral("1 answer is on its way to the class server.")
                            : QStringLiteral("%1 answers are on their way to the class server.").arg(waiting);
    return waiting == 1 ? QStringLiteral("1 answer waits for the class server: it cannot be reached since %1.").arg(since)
                        : QStringLiteral("%1 answers wait for the class server: it cannot be reached since %2.")
                              .arg(waiting)
                              .arg(since);
}

ClassSync::ClassSync(QString recordPath, ClassServer server)
{
    qRegisterMetaType<ClassSync::Status>();
    thread = new QThread;
    auto *sync = new SyncWorker(std::move(recordPath), std::move(server));
    worker = sync;
    sync->moveToThread(thread);
    connect(sync, &SyncWorker::statusChanged, this, &ClassSync::statusChanged);
    connect(sync, &SyncWorker::fetched, this, &ClassSync::fetched);
    // Running from the start, so that rows may be fetched before the first round.
    thread->start();
}

ClassSync::~ClassSync()
{
    auto *sync = static_cast<SyncWorker *>(worker);
    // A round in progress ends within the connection's time-outs.
    QMetaObject::invokeMethod(sync, [sync] { sync->finish(); }, Qt::BlockingQueuedConnection);
    thread->quit();
    thread->wait();
    delete sync;
    delete thread;
}

void ClassSync::start()
{
    auto *sync = static_cast<SyncWorker *>(worker);
    QMetaObject::invokeMethod(sync, [sync] { sync->round(); });
}

void ClassSync::fetchMine(const QString &lesson)
{
    auto *sync = static_cast<SyncWorker *>(worker);
    QMetaObject::invokeMethod(sync, [sync, lesson] { sync->fetchMine(lesson); });
}

#include "ClassSync.moc"
