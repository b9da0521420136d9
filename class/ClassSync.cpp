#include "ClassSync.h"

#include "ServerText.h"
#include "record/Record.h"

#include "common/Logging.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

#include <dlfcn.h>
#include <sys/socket.h>

namespace {

using RecordData::FetchedPage;

constexpr int BatchRows = 500;
// Each page is written into the record in one transaction, which an answer given
// meanwhile waits for: small enough for that, large enough that a fetch of millions
// of rows is not all commits.
constexpr int PageRows = 250;
// How long the end waits for the sync's thread once its connection is cut.
constexpr int StopWaitMs = 800;
// How long a test's process, at its exit, waits for the threads of syncs that were
// still connecting at their end; the program does not wait (see main).
constexpr int LeftWaitMs = 10'000;

std::atomic<bool> anyLeftRunning{false};

// libpq's own function, found in the libpq that Qt's PostgreSQL driver loaded: the
// program does not link libpq, so that it costs nothing at start-up. Qt loads the
// driver, and so libpq, out of the global scope, so libpq is asked for by its name as
// loaded already (RTLD_NOLOAD: never loaded here).
void *libpqFunction(const char *name)
{
    if (void *found = dlsym(RTLD_DEFAULT, name))
        return found;
    void *libpq = dlopen("libpq.so.5", RTLD_NOW | RTLD_NOLOAD);
    if (!libpq)
        return nullptr;
    void *found = dlsym(libpq, name);
    dlclose(libpq);
    return found;
}

// The socket of an open connection of Qt's PostgreSQL driver; -1 where there is none.
int socketOf(const QSqlDatabase &db)
{
    if (!db.driver())
        return -1;
    // libpq's PGconn* (Qt names the type by its struct, pg_conn*).
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0)
        return -1;
    void *connection = *static_cast<void *const *>(handle.constData());
    using Socket = int (*)(const void *);
    static const auto pqSocket = reinterpret_cast<Socket>(libpqFunction("PQsocket"));
    return connection && pqSocket ? pqSocket(connection) : -1;
}

// The threads of syncs that a connection being made held at their end (libpq gives
// its socket only once connected, so nothing can be cut then; connect_timeout ends
// it): the program ends without them, and a test's process waits for them at its exit.
struct LeftRunning
{
    std::mutex mutex;
    std::vector<std::pair<QThread *, QObject *>> left;
    ~LeftRunning()
    {
        for (const auto &[thread, worker] : left)
            if (thread->wait(LeftWaitMs)) {
                delete worker;
                delete thread;
            }
    }
};
LeftRunning leftThreads;

} // namespace

// The sync's own connection to the class server, by its socket, so that its end can
// shut it down under whatever waits on it (libpq then returns at once with the
// connection lost) and leave every other connection of the program alone.
class ClassSync::Line
{
public:
    // Called with the connection open; its socket is noted until closed() says it goes.
    void opened(const QSqlDatabase &db)
    {
        const int found = socketOf(db);
        if (found < 0)
            qCWarning(logClass) << "The class server connection's socket cannot be found: ending the program may wait for it.";
        const std::lock_guard lock(mutex);
        socket = found;
    }
    // Called before the connection is closed, so that its socket's number, free again, is never cut.
    void closed()
    {
        const std::lock_guard lock(mutex);
        socket = -1;
    }
    void cut()
    {
        const std::lock_guard lock(mutex);
        if (socket >= 0)
            shutdown(socket, SHUT_RDWR);
    }

private:
    std::mutex mutex;
    int socket = -1;
};

namespace {

// "4 answers and 1 run", "1 answer", "2 runs".
QString rows(int answers, int runs)
{
    QStringList parts;
    if (answers > 0 || runs == 0)
        parts << (answers == 1 ? QStringLiteral("1 answer") : QStringLiteral("%1 answers").arg(answers));
    if (runs > 0)
        parts << (runs == 1 ? QStringLiteral("1 run") : QStringLiteral("%1 runs").arg(runs));
    return parts.join(QStringLiteral(" and "));
}

class SyncWorker final : public QObject
{
    Q_OBJECT

public:
    SyncWorker(Record &record, ClassServer server, ClassSync::Timing timing, std::shared_ptr<const std::atomic<bool>> stopping,
               std::shared_ptr<ClassSync::Line> line)
        : record(record), server(std::move(server)), key(this->server.key()), timing(timing), stopping(std::move(stopping)),
          line(std::move(line)),
          connection(ClassServer::connectionName(QStringLiteral("sync")))
    {
        pause.setSingleShot(true);
        connect(&pause, &QTimer::timeout, this, &SyncWorker::round);
        nextPauseMs = timing.firstPauseMs;
    }

    void round()
    {
        pause.stop();
        if (*stopping || status.stopped)
            return;
        bool lasting = false;
        status.problem = sendAll(lasting);
        if (lasting) {
            status.stopped = true; // nothing more goes over while the program runs
        } else if (status.problem.isEmpty()) {
            status.failingSince = {};
            nextPauseMs = timing.firstPauseMs;
            pause.start(timing.roundMs);
        } else {
            if (!status.failingSince.isValid())
                status.failingSince = QDateTime::currentDateTime();
            pause.start(nextPauseMs);
            nextPauseMs = std::min(2 * nextPauseMs, timing.longestPauseMs);
        }
        Q_EMIT statusChanged(status);
    }

    void fetchMine(const QString &lesson)
    {
        QSqlDatabase remote;
        const bool ok = reach(remote).isEmpty() && fetch(remote, lesson, FetchedPage::Table::Answers) &&
                        fetch(remote, lesson, FetchedPage::Table::Runs);
        Q_EMIT fetched(lesson, ok);
    }

    void finish()
    {
        pause.stop();
        line->closed();
        QSqlDatabase::removeDatabase(connection);
        QThread::currentThread()->quit();
    }

Q_SIGNALS:
    void statusChanged(const ClassSync::Status &status);
    void fetched(const QString &lesson, bool ok);

private:
    // This thread's connection to the server, opened when it is not: empty when open, otherwise why not.
    QString reach(QSqlDatabase &remote)
    {
        remote = QSqlDatabase::database(connection, false);
        if (remote.isOpen())
            return {};
        // Opening again closes what is left of the connection before: its socket is no longer ours.
        line->closed();
        const QString problem = server.open(connection);
        remote = QSqlDatabase::database(connection, false);
        if (problem.isEmpty())
            line->opened(remote);
        else
            qCWarning(logClass).noquote() << problem;
        return problem;
    }

    // Empty when everything waiting went over; otherwise why not. `lasting`: the record
    // can note nothing, so nothing is to be sent while the program runs.
    QString sendAll(bool &lasting)
    {
        for (;;) {
            if (*stopping)
                return {};
            const RecordData::Outgoing batch = record.unsent(key, BatchRows).result();
            if (!batch.problem.isEmpty()) {
                lasting = batch.lasting;
                qCWarning(logClass, "%s", qUtf8Printable(batch.problem));
                return batch.problem;
            }
            if (batch.empty())
                return {};
            QSqlDatabase remote;
            if (*stopping)
                return {};
            if (const QString problem = reach(remote); !problem.isEmpty())
                return problem;
            // Each step is judged by what it returned, never by an error to read: Qt's driver fails
            // a commit on a connection it found closed (by the statement before) without one, and
            // rows the server never confirmed must stay unsent.
            std::optional<QSqlError> failed;
            if (!remote.transaction())
                failed = remote.lastError();
            if (!failed)
                failed = insert(remote, QStringLiteral("bimbala.answers(uid, at, lesson, exercise, item, expected, given, "
                                                       "\"right\", solution_shown, retry, run_uid)"), batch.answers);
            if (!failed)
                failed = insert(remote, QStringLiteral("bimbala.runs(uid, id, lesson, exercise, variant, person, started, "
                                                       "ended, outcome)"), batch.runs);
            if (!failed && !remote.commit())
                failed = remote.lastError();
            if (failed) {
                if (remote.isOpen())
                    remote.rollback();
                return lost(remote, *failed);
            }
            // Marked only now that the server has them: a program killed in between sends them again.
            if (*stopping)
                return {}; // the record may be gone: the rows go again at the next start, counted once
            if (const QString notMarked = record.markSent(key, batch).result(); !notMarked.isEmpty()) {
                lasting = true;
                const QString stopped = QCoreApplication::translate("ClassSync", "The class server has the answers sent last, "
                                                                    "but this computer cannot note it (%1), so nothing "
                                                                    "more is sent until Bimbala! starts again.")
                                            .arg(notMarked);
                qCWarning(logClass, "%s", qUtf8Printable(stopped));
                return stopped;
            }
        }
    }

    // Rows into `table`, skipping those the server has already: one statement, every value bound.
    // Nothing when the server took them; otherwise what went wrong.
    static std::optional<QSqlError> insert(QSqlDatabase &remote, const QString &table, const std::vector<QVariantList> &rows)
    {
        if (rows.empty())
            return std::nullopt;
        const QString row = QLatin1Char('(') + QStringList(rows.front().size(), QStringLiteral("?")).join(u',') + QLatin1Char(')');
        QSqlQuery send(remote);
        send.prepare(QStringLiteral("INSERT INTO %1 VALUES %2 ON CONFLICT (uid) DO NOTHING")
                         .arg(table, QStringList(qsizetype(rows.size()), row).join(u',')));
        for (const QVariantList &values : rows)
            for (const QVariant &value : values)
                send.addBindValue(value);
        if (send.exec())
            return std::nullopt;
        return send.lastError();
    }

    // The learner's rows of a lesson and one table written on the server since the last
    // round began, page by page, each page kept before the next is read.
    bool fetch(QSqlDatabase &remote, const QString &lesson, FetchedPage::Table table)
    {
        if (*stopping)
            return false; // the record may be gone
        RecordData::FetchCursor at = record.fetchCursor(key, lesson, table).result();
        if (!at.problem.isEmpty())
            return false;
        QSqlQuery query(remote);
        query.setForwardOnly(true);
        if (at.roundStart == 0) {
            // Rows of transactions still running now are fetched by the next round.
            if (!query.exec(QStringLiteral("SELECT txid_snapshot_xmin(txid_current_snapshot())")) || !query.next())
                return lost(remote, query.lastError()), false;
            if (*stopping)
                return false;
            at.roundStart = query.value(0).toLongLong();
            at.afterTxid = -1;
            at.afterAt.clear();
            at.afterUid.clear();
            if (!record.beginFetchRound(lesson, table, at.roundStart).result().isEmpty())
                return false;
        }
        const bool answers = table == FetchedPage::Table::Answers;
        // Answers a page at a time in the order of (txid, at, uid), those one computer sent together in
        // the order they were given, from the index; runs in the order of (txid, uid). Times as this
        // computer's record writes them, so that both sort and compare as text, and as the server
        // has them, exactly, for the next page.
        // The page begins after the last row kept, or where the round begins: one bound, which the
        // index seeks to (with two, the server may start from the lower one and walk every row).
        const QString statement =
            answers ? QStringLiteral("SELECT uid::text, to_char(at AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"'), "
                                     "exercise, item, expected, \"right\", solution_shown, retry, txid, at::text "
                                     "FROM bimbala.answers WHERE learner = current_user AND lesson = ? AND "
                                     "(txid, answers.at, answers.uid) > (?, ?::timestamptz, ?::uuid) "
                                     "ORDER BY txid, answers.at, answers.uid LIMIT %1")
                    : QStringLiteral("SELECT uid::text, id, exercise, variant, to_char(ended AT TIME ZONE 'UTC', "
                                     "'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"'), outcome, txid FROM bimbala.runs WHERE "
                                     "learner = current_user AND lesson = ? AND (txid, runs.uid) > (?, ?::uuid) "
                                     "ORDER BY txid, runs.uid LIMIT %1");
        if (at.afterTxid < at.since) {
            at.afterTxid = at.since - 1;
            at.afterAt = QStringLiteral("infinity");
            at.afterUid = QStringLiteral("ffffffff-ffff-ffff-ffff-ffffffffffff");
        }
        const int columns = answers ? 9 : 7; // the row, and the server's transaction id
        for (;;) {
            if (*stopping)
                return false;
            query.prepare(statement.arg(PageRows));
            query.addBindValue(lesson);
            query.addBindValue(at.afterTxid);
            if (answers)
                query.addBindValue(at.afterAt);
            query.addBindValue(at.afterUid);
            if (!query.exec())
                return lost(remote, query.lastError()), false;
            FetchedPage page;
            page.table = table;
            while (query.next()) {
                QVariantList row;
                for (int column = 0; column < columns; ++column) {
                    const QVariant value = query.value(column);
                    row << (value.typeId() == QMetaType::QString ? QVariant(serverText(value)) : value);
                }
                page.rows.push_back(row);
                page.lastTxid = query.value(columns - 1).toLongLong();
                page.lastAt = answers ? query.value(columns).toString() : QStringLiteral("");
                page.lastUid = query.value(0).toString();
            }
            if (query.lastError().isValid())
                return lost(remote, query.lastError()), false;
            if (*stopping)
                return false;
            if (!page.rows.empty() && !record.keepFetched(lesson, page).result().isEmpty())
                return false;
            if (int(page.rows.size()) < PageRows)
                break;
            at.afterTxid = page.lastTxid;
            at.afterAt = page.lastAt;
            at.afterUid = page.lastUid;
        }
        return !*stopping && record.endFetchRound(lesson, table).result().isEmpty();
    }

    // The connection broke or the server refused: it is opened afresh next time. `error` may
    // say nothing (a call on a connection found closed).
    QString lost(QSqlDatabase &remote, const QSqlError &error)
    {
        const QString why = serverLine(error);
        line->closed();
        remote.close();
        const QString problem =
            why.isEmpty() ? QCoreApplication::translate("ClassSync", "The connection to the class server was lost before it "
                                                                     "confirmed the answers, so they are sent again.")
                          : QStringLiteral("The class server cannot take the answers just now (%1).").arg(why);
        qCWarning(logClass).noquote() << problem;
        return problem;
    }

    Record &record;
    ClassServer server;
    QString key;
    ClassSync::Timing timing;
    // Shared: a worker left running outlives its ClassSync.
    std::shared_ptr<const std::atomic<bool>> stopping;
    std::shared_ptr<ClassSync::Line> line;
    QString connection;
    QTimer pause{this}; // a child, so that it moves to the worker's thread with it
    int nextPauseMs;
    ClassSync::Status status;
};

} // namespace

QString ClassSync::Status::sentence(int answersWaiting, int runsWaiting) const
{
    if (stopped)
        return problem;
    const QString waiting = rows(answersWaiting, runsWaiting);
    const bool one = answersWaiting + runsWaiting == 1;
    if (problem.isEmpty()) {
        if (answersWaiting + runsWaiting == 0)
            return QStringLiteral("All answers are on the class server.");
        return one ? QStringLiteral("%1 is on its way to the class server.").arg(waiting)
                   : QStringLiteral("%1 are on their way to the class server.").arg(waiting);
    }
    const QString since = QLocale().toString(failingSince, QLocale::ShortFormat);
    if (answersWaiting + runsWaiting == 0)
        return QStringLiteral("All answers are on the class server. Since %1: %2").arg(since, problem);
    return (one ? QStringLiteral("%1 waits for the class server since %2: %3")
                : QStringLiteral("%1 wait for the class server since %2: %3"))
        .arg(waiting, since, problem);
}

ClassSync::ClassSync(Record &record, ClassServer server, Timing timing)
    : key(server.key()), line(std::make_shared<Line>())
{
    qRegisterMetaType<ClassSync::Status>();
    thread = new QThread;
    thread->setObjectName(QStringLiteral("class sync"));
    auto *sync = new SyncWorker(record, std::move(server), timing, stopping, line);
    worker = sync;
    sync->moveToThread(thread);
    connect(sync, &SyncWorker::statusChanged, this, [this](const ClassSync::Status &status) {
        last = status;
        Q_EMIT statusChanged(status);
    });
    connect(sync, &SyncWorker::fetched, this, &ClassSync::fetched);
    // Running from the start, so that rows may be fetched before the first round.
    thread->start();
}

ClassSync::~ClassSync()
{
    auto *sync = static_cast<SyncWorker *>(worker);
    *stopping = true;
    // What is done next on its thread is ending; a statement in flight fails at once, its
    // connection cut; no round begins meanwhile.
    QMetaObject::invokeMethod(sync, [sync] { sync->finish(); });
    QElapsedTimer waited;
    waited.start();
    do
        line->cut();
    while (!thread->wait(50) && waited.elapsed() < StopWaitMs);
    if (!thread->isFinished()) {
        // Still held by the network (a name that does not resolve, a server that takes the
        // connection and says nothing, until connect_timeout): left to the process's end,
        // which does not wait for it.
        anyLeftRunning = true;
        const std::lock_guard lock(leftThreads.mutex);
        leftThreads.left.emplace_back(thread, sync);
        return;
    }
    delete sync;
    delete thread;
}

bool ClassSync::leftRunning()
{
    return anyLeftRunning;
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
