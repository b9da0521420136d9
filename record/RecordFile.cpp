#include "RecordFile.h"

#include "MistakeRule.h"
#include "ProgressSchema.h"
#include "RecordMemory.h"
#include "RecordReader.h"
#include "RunningLock.h"
#include "common/Logging.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>
#include <QUuid>
#include <QVariant>

#include <initializer_list>
#include <optional>

#include <sys/vfs.h>

namespace {

// SQLite's primary result codes that the record acts on.
enum SqliteCode { Busy = 5, Locked = 6, Corrupt = 11, NotADatabase = 26 };

int sqliteCode(const QSqlError &error)
{
    // Qt gives SQLite's result code as text; the low byte is the primary code
    // also when extended codes are on.
    return error.nativeErrorCode().toInt() & 0xff;
}

// Another connection holds the file for a moment: wait and try again.
bool isBusy(const QSqlError &error)
{
    const int code = sqliteCode(error);
    return code == Busy || code == Locked;
}

// Only these mean the file is no record we can ever read.
bool isUnreadable(const QSqlError &error)
{
    const int code = sqliteCode(error);
    return code == Corrupt || code == NotADatabase;
}

QString reason(const QSqlError &error)
{
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

QSqlError execute(QSqlQuery &query, std::initializer_list<QVariant> values = {})
{
    int i = 0;
    for (const QVariant &value : values)
        query.bindValue(i++, value);
    return query.exec() ? QSqlError() : query.lastError();
}

// How long a write waits for another copy before the entry is kept for later.
constexpr int BusyTimeoutMs = 250;
// While it waits, it looks this often for entries told meanwhile, to keep them in the side file.
constexpr int WaitStepMs = 10;
// How long an opening copy waits for one that ends the runs left open (RecordFile::endLeftRuns).
constexpr int LockWaitMs = 1000;
// At the end the waiting entries get this long to reach the file; then they stay in the side file.
constexpr int ExitWaitMs = 1000;
constexpr int RetryBusyMs = 500;
constexpr int RetryFailedMs = 5000;

// The file systems a school's network home folders are on, by the kernel's magic
// number: SQLite's WAL mode needs memory shared between the programs using the file,
// which none of them gives between computers.
QString networkFileSystem(const QString &folder)
{
    struct statfs found{};
    if (statfs(QFile::encodeName(folder).constData(), &found) != 0)
        return {};
    switch (static_cast<unsigned long>(found.f_type)) {
    case 0x6969UL: return QStringLiteral("NFS");
    case 0x517BUL: return QStringLiteral("SMB");
    case 0xFF534D42UL: return QStringLiteral("CIFS");
    case 0xFE534D42UL: return QStringLiteral("SMB2");
    case 0x5346414FUL: return QStringLiteral("AFS");
    case 0x73757245UL: return QStringLiteral("Coda");
    case 0x01021997UL: return QStringLiteral("9P");
    case 0x00C36400UL: return QStringLiteral("Ceph");
    case 0x65735546UL: return QStringLiteral("FUSE");
    default: return {};
    }
}

} // namespace

// Prepared once when the file opens: an answer then costs no parsing.
struct RecordFile::Statements
{
    explicit Statements(const QSqlDatabase &db)
        : begin(db), commit(db), rollback(db), insertAnswer(db), addDay(db), readItem(db), writeItem(db),
          insertRun(db), endRun(db), addRunTotal(db), noWait(db), wait(db), memory(db)
    {
        // A write waits for another copy in steps of its own (RecordFile::waitingForLock).
        noWait.prepare(QStringLiteral("PRAGMA busy_timeout = 0"));
        wait.prepare(QStringLiteral("PRAGMA busy_timeout = %1").arg(BusyTimeoutMs));
        // Takes the write lock at once, so that a busy file is found here and
        // never half-way through the entries.
        begin.prepare(QStringLiteral("BEGIN IMMEDIATE"));
        commit.prepare(QStringLiteral("COMMIT"));
        rollback.prepare(QStringLiteral("ROLLBACK"));
        insertAnswer.prepare(QStringLiteral(
            "INSERT INTO answers(lesson, uid, at, exercise, item, expected, given, right, solution_shown, retry, run) "
            "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT(uid) DO NOTHING"));
        addDay.prepare(QStringLiteral(
            "INSERT INTO days(lesson, exercise, day, first_tries, right_first) VALUES(?, ?, ?, 1, ?) "
            "ON CONFLICT(lesson, exercise, day) DO UPDATE SET first_tries = first_tries + 1, "
            "right_first = right_first + excluded.right_first"));
        readItem.prepare(
            QStringLiteral("SELECT open, clean_streak FROM items WHERE lesson = ? AND exercise = ? AND item = ?"));
        writeItem.prepare(QStringLiteral(
            "INSERT INTO items(lesson, exercise, item, expected, misses, last_missed, first_missed, open, clean_streak) "
            "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT(lesson, exercise, item) DO UPDATE SET "
            "expected = excluded.expected, "
            "misses = misses + excluded.misses, last_missed = COALESCE(excluded.last_missed, last_missed), "
            "first_missed = CASE WHEN open = 0 AND excluded.open = 1 THEN excluded.first_missed ELSE first_missed END, "
            "open = excluded.open, clean_streak = excluded.clean_streak"));
        insertRun.prepare(QStringLiteral(
            "INSERT OR IGNORE INTO runs(lesson, id, uid, exercise, variant, person, started) VALUES(?, ?, ?, ?, ?, ?, ?)"));
        // Runs go to a class server in the order they ended.
        endRun.prepare(QStringLiteral("UPDATE runs SET ended = ?, outcome = ?, end_order = "
                                      "(SELECT COALESCE(MAX(end_order), 0) + 1 FROM runs) WHERE id = ? AND ended IS NULL"));
        addRunTotal.prepare(QStringLiteral(
            "INSERT INTO run_totals(lesson, exercise, variant, accomplished, last_ended) "
            "SELECT lesson, exercise, variant, 1, ? FROM runs WHERE id = ? ON CONFLICT(lesson, exercise, variant) "
            "DO UPDATE SET accomplished = accomplished + 1, last_ended = MAX(last_ended, excluded.last_ended)"));
    }

    QSqlQuery begin, commit, rollback, insertAnswer, addDay, readItem, writeItem, insertRun, endRun, addRunTotal, noWait, wait;
    RecordMemory::Updater memory;
};

RecordFile::RecordFile(QString path, std::shared_ptr<RecordInbox> inbox)
    : filePath(std::move(path)),
      connection(QStringLiteral("record-%1").arg(QUuid::createUuid().toString(QUuid::Id128))), inbox(std::move(inbox))
{
    retry.setSingleShot(true);
    connect(&retry, &QTimer::timeout, this, [this] {
        const bool wasBusy = state == State::Busy;
        if (wasBusy)
            open();
        flush();
        endLeftRuns();
        writeMarks();
        // A record that was busy as it opened has something to show now.
        if (wasBusy && state != State::Busy)
            Q_EMIT changed();
        tell();
    });
}

RecordFile::~RecordFile()
{
    retry.stop();
    takeWaiting();
    // A copy that holds the file a moment longer gets that moment.
    QElapsedTimer waited;
    waited.start();
    const auto waiting = [this] { return (!pending.empty() && busy) || (!pendingMarks.empty() && marksBusy); };
    while (waiting() && waited.elapsed() < ExitWaitMs) {
        QThread::msleep(50);
        if (state == State::Busy)
            open();
        flush();
        writeMarks();
    }
    if (sideFile)
        sideFile->keep(pending);
    closeConnection();
}

QSqlDatabase RecordFile::database() const
{
    return QSqlDatabase::database(connection, false);
}

bool RecordFile::readable()
{
    if (state == State::NotOpened) {
        open();
        tell();
    }
    return state == State::Open || state == State::ReadOnly;
}

void RecordFile::closeConnection()
{
    statements.reset();
    {
        QSqlDatabase db = database();
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

QSqlError RecordFile::openConnection(const QString &name, const QString &options)
{
    closeConnection();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(name);
    db.setConnectOptions(options);
    return db.open() ? QSqlError() : db.lastError();
}

void RecordFile::open()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        state = State::Closed;
        trouble = QStringLiteral("Your progress cannot be recorded: the SQLite driver of Qt is not installed.");
        return;
    }
    const QString wait = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs);
    const bool inMemory = filePath == QLatin1String(":memory:");
    if (inMemory) {
        openConnection(filePath, wait);
    } else {
        const QFileInfo file(filePath);
        const QString folder = file.absolutePath();
        if (!file.exists() && !QDir().mkpath(folder)) {
            state = State::Closed;
            trouble = QStringLiteral("Your progress cannot be recorded: the folder %1 cannot be created.").arg(folder);
            return;
        }
        const bool folderWritable = QFileInfo(folder).isWritable();
        if (file.exists() && (!folderWritable || !file.isWritable())) {
            openReadOnly(folderWritable ? QStringLiteral("the file %1 is read-only").arg(filePath)
                                        : QStringLiteral("the folder %1 is read-only").arg(folder));
            return;
        }
        if (!folderWritable) {
            state = State::Closed;
            trouble = QStringLiteral("Your progress cannot be recorded: the folder %1 is read-only.").arg(folder);
            return;
        }
        if (!sideFile)
            sideFile = std::make_unique<SideFile>(filePath);
        if (!running)
            running = std::make_unique<RunningLock>(filePath);
        openConnection(filePath, wait);
    }

    const QSqlError error = [this] {
        QSqlDatabase db = database();
        return db.isOpen() ? setUpFile(db) : db.lastError();
    }();
    if (state == State::ReadOnly)
        return; // a newer version's file, left as it is
    if (!error.isValid()) {
        state = State::Open;
        busy = false;
        statements = std::make_unique<Statements>(database());
        // Before anything is written: a copy that runs alone may end the runs left open.
        mayWrite(LockWaitMs);
        if (sideFile) {
            const SideFile::SetAside setAside = sideFile->takeOver(pending);
            if (setAside.lines > 0) {
                notice = setAside.lines == 1
                             ? tr("1 entry left waiting by an earlier start could not be read; it was set aside in %1.")
                                   .arg(setAside.where)
                             : tr("%1 entries left waiting by an earlier start could not be read; they were set aside "
                                  "in %2.").arg(setAside.lines).arg(setAside.where);
                qCWarning(logRecord).noquote() << notice;
            }
        }
        flush();
        endLeftRuns();
        return;
    }
    closeConnection();
    if (isBusy(error)) {
        // Another copy is creating or migrating the file: ours waits and tries again.
        state = State::Busy;
        busy = true;
        retryLater();
        return;
    }
    if (isUnreadable(error) && !inMemory && !triedAside) {
        triedAside = true;
        if (moveAside()) {
            open();
            return;
        }
    }
    state = State::Closed;
    trouble = QStringLiteral("Your progress cannot be recorded: the file %1 cannot be opened (%2).")
                  .arg(filePath, reason(error));
}

// WAL mode (a rollback journal on a network folder), then the schema brought to this
// version under the write lock, so that two copies starting together create or
// migrate it once.
QSqlError RecordFile::setUpFile(QSqlDatabase &db)
{
    QSqlQuery query(db);
    const auto version = [&query]() -> std::optional<int> {
        if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
            return std::nullopt;
        const int found = query.value(0).toInt();
        query.finish();
        return found;
    };
    // A newer version's file is left exactly as it is, its journal mode too.
    const std::optional<int> seen = version();
    if (!seen)
        return query.lastError();
    if (*seen > ProgressSchema::Version) {
        state = State::ReadOnly;
        readOnlyWhy = QStringLiteral("the file %1 was written by a newer version of Bimbala").arg(filePath);
        trouble = QStringLiteral("Your progress is not recorded: %1 and is left as it is.").arg(readOnlyWhy);
        return {};
    }
    const QString network = filePath == u":memory:" ? QString() : networkFileSystem(QFileInfo(filePath).absolutePath());
    if (!query.exec(network.isEmpty() ? QStringLiteral("PRAGMA journal_mode=WAL") : QStringLiteral("PRAGMA journal_mode=DELETE")))
        return query.lastError();
    query.finish();
    if (!network.isEmpty())
        notice = QStringLiteral("Your progress is kept in a folder on the network (%1), where SQLite's WAL mode does "
                                "not work: it is written with a rollback journal instead.").arg(network);
    // In WAL mode a commit survives the program being killed at any moment.
    query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    // Writes touch a few pages and the Progress window reads summaries: a small
    // page cache will do, and the program's memory does not grow with the record.
    query.exec(QStringLiteral("PRAGMA cache_size=-256"));
    const auto lockWait = [&query](bool on) {
        query.exec(on ? QStringLiteral("PRAGMA busy_timeout = %1").arg(BusyTimeoutMs) : QStringLiteral("PRAGMA busy_timeout = 0"));
        query.finish();
    };
    lockWait(false);
    const QSqlError locked = waitingForLock([&query] {
        return query.exec(QStringLiteral("BEGIN IMMEDIATE")) ? QSqlError() : query.lastError();
    });
    lockWait(true);
    if (locked.isValid())
        return locked;
    // Read again under the write lock: another copy may have created or migrated it meanwhile.
    const std::optional<int> found = version();
    if (found > ProgressSchema::Version) {
        query.exec(QStringLiteral("ROLLBACK"));
        return setUpFile(db); // a newer copy was quicker: leave its file alone
    }
    QSqlError error;
    if (!found)
        error = query.lastError();
    else if (*found < ProgressSchema::Version)
        error = ProgressSchema::migrate(db, *found);
    if (!error.isValid() && query.exec(QStringLiteral("COMMIT")))
        return {};
    if (!error.isValid())
        error = query.lastError();
    query.exec(QStringLiteral("ROLLBACK"));
    return error;
}

// A record the program may not change: its history is shown and exported, and
// the learner is told why new answers are not recorded.
void RecordFile::openReadOnly(const QString &why)
{
    readOnlyWhy = why;
    trouble = QStringLiteral("Your progress is shown, but new answers cannot be recorded: %1.").arg(why);
    const QString uri = QUrl::fromLocalFile(filePath).toString(QUrl::FullyEncoded);
    // Read-only; or, where no -shm file can be made beside it, as a file nobody changes.
    for (const QString &mode : {QStringLiteral("?mode=ro"), QStringLiteral("?immutable=1")}) {
        if (openConnection(uri + mode, QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY")).isValid())
            continue;
        QSqlQuery version(database());
        if (version.exec(QStringLiteral("PRAGMA user_version")) && version.next()) {
            state = State::ReadOnly;
            return;
        }
    }
    closeConnection();
    state = State::Closed;
    trouble = QStringLiteral("Your progress cannot be shown or recorded: the file %1 cannot be read.").arg(filePath);
}

// The file is no database we can read: keep it beside, under a name with the time.
bool RecordFile::moveAside()
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString aside = filePath + QStringLiteral(".unreadable-") + stamp;
    if (QFile::exists(aside) || !QFile::rename(filePath, aside))
        return false;
    for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFile::exists(filePath + suffix))
            QFile::rename(filePath + suffix, aside + suffix);
    }
    notice = QStringLiteral("The progress file could not be read; it was moved aside to %1 and a new one begun at %2.")
                 .arg(aside, filePath);
    return true;
}

QString RecordFile::waitingSentence() const
{
    const auto answers = std::count_if(pending.begin(), pending.end(),
                                       [](const RecordEntry &e) { return e.kind == RecordEntry::Kind::Answer; });
    const QString what = answers == 1 ? QStringLiteral("1 answer waits") : QStringLiteral("%1 answers wait").arg(answers);
    if (unkept)
        return QStringLiteral("%1 to be recorded and will be lost when Bimbala! ends: writing to %2 failed (%3) and no "
                              "file beside it could keep them either.")
            .arg(what, filePath, writeFailure.isEmpty() ? QStringLiteral("it is busy") : writeFailure);
    if (!writeFailure.isEmpty())
        return QStringLiteral("%1 to be recorded: writing to %2 failed (%3); they are kept and written as soon as "
                              "it works again.")
            .arg(what, filePath, writeFailure);
    return QStringLiteral("%1 to be recorded: another copy of Bimbala is using %2 just now; they are kept and "
                          "written as soon as it is free.")
        .arg(what, filePath);
}

RecordData::Status RecordFile::status() const
{
    RecordData::Status now;
    now.takesAnswers = state == State::Open || state == State::Busy || state == State::NotOpened;
    now.takesMarks = state == State::Open || state == State::NotOpened;
    now.waiting = int(pending.size());
    now.unkept = unkept ? int(pending.size()) : 0;
    if (!trouble.isEmpty())
        now.problem = trouble;
    else if (!pending.empty())
        now.problem = waitingSentence();
    else if (state == State::Busy)
        now.problem = QStringLiteral("Your progress cannot be shown just now: another copy of Bimbala is using %1.").arg(filePath);
    else
        now.problem = notice;
    return now;
}

void RecordFile::tell()
{
    // What stops the record for good is logged once, as the learner is told it.
    if (!trouble.isEmpty() && trouble != loggedTrouble) {
        loggedTrouble = trouble;
        qCWarning(logRecord).noquote() << trouble;
    }
    const RecordData::Status now = status();
    if (now.problem == told.problem && now.takesAnswers == told.takesAnswers && now.takesMarks == told.takesMarks &&
        now.waiting == told.waiting && now.unkept == told.unkept)
        return;
    told = now;
    Q_EMIT statusChanged(now);
}

void RecordFile::takeIn()
{
    readable(); // the first entry opens the file
    takeWaiting();
    if (state != State::Open && state != State::Busy) {
        // Nothing can be recorded (the status says why): what was kept beside while the file opened goes too.
        if (!pending.empty()) {
            pending.clear();
            keepAside();
        }
        tell();
        return;
    }
    if (sideStale || !pending.empty()) {
        // While the file is busy the timer tries again: judging does not wait for it each time.
        if (busy && retry.isActive())
            keepAside();
        else
            flush();
    }
    tell();
}

bool RecordFile::takeWaiting()
{
    std::vector<RecordEntry> taken = inbox ? inbox->take() : std::vector<RecordEntry>();
    for (RecordEntry &entry : taken) {
        if (entry.kind == RecordEntry::Kind::RunStarted)
            ownRuns.insert(entry.run);
        pending.push_back(std::move(entry));
    }
    sideStale = sideStale || !taken.empty();
    return !taken.empty();
}

void RecordFile::keepWhileWaiting()
{
    takeWaiting();
    if (sideStale && sideFile)
        keepAside();
}

QSqlError RecordFile::waitingForLock(const std::function<QSqlError()> &attempt)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const QSqlError error = attempt();
        if (!error.isValid() || !isBusy(error) || waited.elapsed() >= BusyTimeoutMs)
            return error;
        // No entry told meanwhile waits in memory only while this one waits for the file.
        keepWhileWaiting();
        QThread::msleep(WaitStepMs);
    }
}

void RecordFile::keepAside()
{
    unkept = sideFile ? !sideFile->keep(pending) : !pending.empty() && filePath != u":memory:";
    sideStale = false;
}

// Writes every waiting entry in one transaction. What cannot be written now
// stays waiting, in memory and in the side file, and is tried again later.
void RecordFile::flush()
{
    const bool locked = pending.empty() || state != State::Open || mayWrite(0);
    if (!locked) {
        // Another copy is ending the runs left open: this one waits as for a busy file.
        busy = true;
        writeFailure.clear();
    }
    while (locked && !pending.empty() && state == State::Open) {
        std::size_t written = 0;
        const QSqlError error = writePending(written);
        busy = error.isValid() && isBusy(error);
        writeFailure = error.isValid() && !busy ? reason(error) : QString();
        if (error.isValid())
            break;
        // Entries told while the commit waited are written next.
        pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(written));
        sideStale = true;
        if (pending.empty()) {
            keepAside();
            Q_EMIT changed();
            return;
        }
    }
    if (pending.empty())
        return;
    keepAside();
    retryLater();
}

// The write lock is waited for in steps (waitingForLock), SQLite's own wait off.
QSqlError RecordFile::writePending(std::size_t &written)
{
    Statements &s = *statements;
    execute(s.noWait);
    QSqlError error = waitingForLock([&s] { return execute(s.begin); });
    if (!error.isValid()) {
        written = pending.size();
        for (std::size_t i = 0; i < written && !error.isValid(); ++i)
            error = apply(pending[i]);
        if (!error.isValid())
            error = waitingForLock([&s] { return execute(s.commit); });
        if (error.isValid())
            execute(s.rollback);
    }
    execute(s.wait);
    return error;
}

QString RecordFile::transaction(const std::function<QSqlError()> &write)
{
    if (state == State::Busy)
        return busyNow();
    if (!readable() || state != State::Open)
        return readOnlyWhy.isEmpty() ? QStringLiteral("the file %1 cannot be changed").arg(filePath) : readOnlyWhy;
    Statements &s = *statements;
    execute(s.noWait);
    QSqlError error = waitingForLock([&s] { return execute(s.begin); });
    if (!error.isValid())
        error = write();
    if (!error.isValid())
        error = waitingForLock([&s] { return execute(s.commit); });
    if (error.isValid())
        execute(s.rollback);
    execute(s.wait);
    if (!error.isValid())
        return {};
    return isBusy(error) ? busyNow() : QStringLiteral("changing %1 failed (%2)").arg(filePath, reason(error));
}

void RecordFile::retryLater()
{
    if (!retry.isActive())
        retry.start(busy || marksBusy ? RetryBusyMs : RetryFailedMs);
}

QSqlError RecordFile::apply(const RecordEntry &entry)
{
    Statements &s = *statements;
    switch (entry.kind) {
    case RecordEntry::Kind::RunStarted:
        return execute(s.insertRun, {entry.lesson, entry.run,
                                     entry.uid.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : entry.uid,
                                     entry.exercise, entry.variant, entry.person, entry.at});
    case RecordEntry::Kind::RunEnded: {
        const QSqlError error = execute(s.endRun, {entry.at, entry.outcome, entry.run});
        // Ended once only, however often the entry is written.
        if (error.isValid() || s.endRun.numRowsAffected() == 0 || entry.outcome != u"accomplished")
            return error;
        return execute(s.addRunTotal, {entry.at, entry.run});
    }
    case RecordEntry::Kind::Answer: break;
    }

    QSqlError error = execute(s.insertAnswer, {entry.lesson, entry.uid, entry.at, entry.exercise, entry.item, entry.expected,
                                               entry.given, int(entry.right), int(entry.solutionShown),
                                               int(entry.retry), entry.run ? QVariant(entry.run) : QVariant()});
    // Already there: the summaries counted it then.
    if (error.isValid() || s.insertAnswer.numRowsAffected() == 0)
        return error;
    const qint64 answerId = s.insertAnswer.lastInsertId().toLongLong();
    if (!entry.retry) {
        error = execute(s.addDay, {entry.lesson, entry.exercise, entry.day, int(entry.right && !entry.solutionShown)});
        if (error.isValid())
            return error;
    }
    error = execute(s.readItem, {entry.lesson, entry.exercise, entry.item});
    if (error.isValid())
        return error;
    ItemState item;
    if (s.readItem.next())
        item = {s.readItem.value(0).toBool(), s.readItem.value(1).toInt()};
    s.readItem.finish();
    const ItemState after = AfterAttempt(item, {entry.item, entry.right, entry.solutionShown, entry.retry});
    const bool missed = !entry.right || entry.solutionShown;
    error = execute(s.writeItem, {entry.lesson, entry.exercise, entry.item, entry.expected, int(missed),
                                  missed ? QVariant(answerId) : QVariant(), answerId, int(after.open),
                                  after.cleanStreak});
    if (error.isValid())
        return error;
    return s.memory.answered(entry.lesson, entry.exercise, entry.item,
                             QDateTime::fromString(entry.at, Qt::ISODateWithMs).toMSecsSinceEpoch(),
                             Fsrs::gradeOf(entry.right, entry.solutionShown, entry.retry));
}

bool RecordFile::mayWrite(int waitMs)
{
    if (!running)
        return true;
    return running->take(waitMs, [this] { keepWhileWaiting(); }) != RunningLock::Held::No;
}

// Runs left with no end by copies that no longer run (killed, crashed) are ended as
// interrupted, at their last answer or else their start, in the order the class server
// gets runs in. Only a copy that runs alone does it, once what the copies before it left
// waiting is written (a run they ended keeps its end), and never the runs it began itself.
void RecordFile::endLeftRuns()
{
    if (!running || running->held() != RunningLock::Held::Alone || state != State::Open)
        return;
    // What copies before left waiting goes in first; the timer tries again while the file is busy.
    if (!pending.empty() && busy)
        return;
    const QString notDone = pending.empty() ? transaction([this] {
        RecordReader reader(database());
        QSqlQuery left = reader.ask(QStringLiteral(
            "SELECT id, COALESCE(last, started) AS left_at FROM runs LEFT JOIN (SELECT run, max(at) AS last FROM answers "
            "WHERE run IN (SELECT id FROM runs WHERE ended IS NULL) GROUP BY run) ON run = id "
            "WHERE runs.ended IS NULL ORDER BY left_at, id"));
        std::vector<std::pair<qint64, QString>> runs;
        while (reader.next(left)) {
            if (!ownRuns.count(left.value(0).toLongLong()))
                runs.emplace_back(left.value(0).toLongLong(), left.value(1).toString());
        }
        if (reader.failed())
            return reader.firstError();
        for (const auto &[run, ended] : runs) {
            if (const QSqlError error = execute(statements->endRun, {ended, QStringLiteral("interrupted"), run}); error.isValid())
                return error;
        }
        return QSqlError();
    }) : QStringLiteral("what waits could not be written");
    if (notDone == busyNow()) {
        retryLater();
        return;
    }
    if (!notDone.isEmpty())
        qCWarning(logRecord).noquote() << "The runs left open in" << filePath << "were not ended:" << notDone;
    else
        Q_EMIT changed();
    running->share();
}

QString RecordFile::whyNotWritable() const
{
    if (state == State::Busy || state == State::Open || state == State::NotOpened)
        return {};
    return readOnlyWhy.isEmpty() ? trouble : readOnlyWhy;
}

QString RecordFile::noteSent(const QString &server, RecordClassRows::Marks sent)
{
    RecordClassRows::Marks &kept = pendingMarks[server];
    kept = {std::max(kept.first, sent.first), std::max(kept.second, sent.second)};
    const QString notDone = writeMarks();
    if (notDone.isEmpty() || marksBusy)
        return {};
    pendingMarks.erase(server);
    return notDone;
}

RecordClassRows::Marks RecordFile::unnotedMarks(const QString &server) const
{
    const auto found = pendingMarks.find(server);
    return found == pendingMarks.end() ? RecordClassRows::Marks{} : found->second;
}

QString RecordFile::writeMarks()
{
    if (pendingMarks.empty())
        return {};
    const QString notDone = transaction([this] {
        for (const auto &[server, marks] : pendingMarks) {
            if (const QSqlError error = RecordClassRows::markSent(database(), server, marks); error.isValid())
                return error;
        }
        return QSqlError();
    });
    marksBusy = notDone == busyNow();
    if (notDone.isEmpty())
        pendingMarks.clear();
    else if (marksBusy)
        retryLater();
    return notDone;
}

QString RecordFile::forget()
{
    const QString notForgotten = QStringLiteral("Your progress was not forgotten: ");
    readable();
    if (state == State::Busy)
        return notForgotten + busyNow() + u'.';
    if (state == State::ReadOnly)
        return notForgotten + readOnlyWhy + u'.';
    if (state != State::Open)
        return notForgotten + QStringLiteral("the file %1 cannot be changed.").arg(filePath);
    const QString notDone = transaction([this] {
        QSqlQuery query(database());
        // The class server's rows too: fetched again, they come back from the server. Run
        // numbers may begin again, so none counts as sent; answers' ids only ever grow.
        for (const char *statement :
             {"DELETE FROM answers", "DELETE FROM runs", "DELETE FROM items", "DELETE FROM days", "DELETE FROM run_totals", "DELETE FROM memory",
              "DELETE FROM sent_marks WHERE what = 'runs'", "DELETE FROM copy_answers", "DELETE FROM copy_recent",
              "DELETE FROM copy_days", "DELETE FROM copy_items", "DELETE FROM copy_run_totals", "DELETE FROM copy_fetched"}) {
            if (!query.exec(QLatin1String(statement)))
                return query.lastError();
        }
        return QSqlError();
    });
    if (!notDone.isEmpty())
        return notForgotten + notDone + u'.';
    // What waited to be written goes with the rest; the rows a server has are sent again at worst.
    pending.clear();
    pendingMarks.clear();
    writeFailure.clear();
    busy = false;
    keepAside();
    Q_EMIT changed();
    tell();
    return {};
}

void RecordFile::noteRead(const RecordReader &reader)
{
    const QString failure = reader.failed() ? reason(reader.firstError()) : QString();
    if (failure == readFailure)
        return;
    readFailure = failure;
    if (!failure.isEmpty())
        qCWarning(logRecord).noquote() << "Reading" << filePath << "failed:" << failure;
}

QString RecordFile::busyNow() const
{
    return QStringLiteral("another copy of Bimbala is using %1 just now; try again in a moment").arg(filePath);
}

void RecordFile::limitPages(int pages)
{
    if (readable())
        QSqlQuery(database()).exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
}
