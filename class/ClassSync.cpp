#include "ClassSync.h"

#include "ServerText.h"
#include "record/Record.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <mutex>
#include <set>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using RecordData::FetchedPage;

constexpr int BatchRows = 500;
// Each page is written into the record in one transaction, which an answer given
// meanwhile waits for: small enough for that, large enough that a fetch of millions
// of rows is not all commits.
constexpr int PageRows = 250;
// How long the end waits for the sync's thread once its connection is cut.
constexpr int StopWaitMs = 800;

std::atomic<bool> anyLeftRunning{false};

// The program's TCP sockets to a port of a peer.
std::set<int> socketsTo(int port)
{
    std::set<int> found;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &name : fds.entryList(QDir::Files | QDir::System)) {
        bool number = false;
        const int fd = name.toInt(&number);
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        if (!number || getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &length) != 0)
            continue;
        int peerPort = 0;
        if (peer.ss_family == AF_INET)
            peerPort = ntohs(reinterpret_cast<const sockaddr_in &>(peer).sin_port);
        else if (peer.ss_family == AF_INET6)
            peerPort = ntohs(reinterpret_cast<const sockaddr_in6 &>(peer).sin6_port);
        if (peerPort == port)
            found.insert(fd);
    }
    return found;
}

} // namespace

// The sync's own sockets to the class server, known by what appeared while it connected,
// so that its end can shut them down under whatever waits on them (libpq then returns at
// once with the connection lost) and leave every other connection of the program alone.
class ClassSync::Line
{
public:
    explicit Line(int port) : port(port) {}

    void connecting()
    {
        const std::lock_guard lock(mutex);
        before = socketsTo(port);
        inProgress = true;
    }
    void connected()
    {
        const std::lock_guard lock(mutex);
        own = appeared();
        inProgress = false;
    }
    void closed()
    {
        const std::lock_guard lock(mutex);
        own.clear();
        inProgress = false;
    }
    void cut()
    {
        const std::lock_guard lock(mutex);
        for (const int fd : inProgress ? appeared() : own)
            shutdown(fd, SHUT_RDWR);
    }

private:
    std::set<int> appeared() const
    {
        std::set<int> now = socketsTo(port);
        for (const int fd : before)
            now.erase(fd);
        return now;
    }

    const int port;
    std::mutex mutex;
    std::set<int> before;
    std::set<int> own;
    bool inProgress = false;
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
        line->connecting();
        const QString problem = server.open(connection);
        if (problem.isEmpty())
            line->connected();
        else
            line->closed();
        remote = QSqlDatabase::database(connection, false);
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
                return batch.problem;
            }
            if (batch.empty())
                return {};
            QSqlDatabase remote;
            if (*stopping)
                return {};
            if (const QString problem = reach(remote); !problem.isEmpty())
                return problem;
            QSqlError error;
            if (!remote.transaction())
                error = remote.lastError();
            if (!error.isValid())
                error = insert(remote, QStringLiteral("bimbala.answers(uid, at, lesson, exercise, item, expected, given, "
                                                      "\"right\", solution_shown, retry, run_uid)"), batch.answers);
            if (!error.isValid())
                error = insert(remote, QStringLiteral("bimbala.runs(uid, id, lesson, exercise, variant, person, started, "
                                                      "ended, outcome)"), batch.runs);
            if (!error.isValid() && !remote.commit())
                error = remote.lastError();
            if (error.isValid()) {
                remote.rollback();
                return lost(remote, error);
            }
            // Marked only now that the server has them: a program killed in between sends them again.
            if (*stopping)
                return {}; // the record may be gone: the rows go again at the next start, counted once
            if (const QString notMarked = record.markSent(key, batch).result(); !notMarked.isEmpty()) {
                lasting = true;
                return QStringLiteral("The class server has the answers sent last, but this computer cannot note it "
                                      "(%1), so nothing more is sent until Bimbala! starts again.").arg(notMarked);
            }
        }
    }

    // Rows into `table`, skipping those the server has already: one statement, every value bound.
    static QSqlError insert(QSqlDatabase &remote, const QString &table, const std::vector<QVariantList> &rows)
    {
        if (rows.empty())
            return {};
        const QString row = QLatin1Char('(') + QStringList(rows.front().size(), QStringLiteral("?")).join(u',') + QLatin1Char(')');
        QSqlQuery send(remote);
        send.prepare(QStringLiteral("INSERT INTO %1 VALUES %2 ON CONFLICT (uid) DO NOTHING")
                         .arg(table, QStringList(qsizetype(rows.size()), row).join(u',')));
        for (const QVariantList &values : rows)
            for (const QVariant &value : values)
                send.addBindValue(value);
        return send.exec() ? QSqlError() : send.lastError();
    }

    // The learner's rows of a lesson and one table written on the server since the last
    // round began, page by page, each page kept before the next is read.
    bool fetch(QSqlDatabase &remote, const QString &lesson, FetchedPage::Table table)
    {
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

    // The connection broke or the server refused: it is opened afresh next time.
    QString lost(QSqlDatabase &remote, const QSqlError &error)
    {
        const QString why = error.text();
        line->closed();
        remote.close();
        return QStringLiteral("The class server cannot take the answers just now (%1).").arg(serverText(why).simplified());
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
    : key(server.key()), line(std::make_shared<Line>(server.port))
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
    // What is done next on its thread is ending; a statement in flight fails at once, and so
    // does a connection begun meanwhile.
    QMetaObject::invokeMethod(sync, [sync] { sync->finish(); });
    QElapsedTimer waited;
    waited.start();
    do
        line->cut();
    while (!thread->wait(50) && waited.elapsed() < StopWaitMs);
    if (!thread->isFinished()) {
        // Still held by the network (a name that does not resolve, say): left to the
        // process's end, which does not wait for it.
        anyLeftRunning = true;
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
