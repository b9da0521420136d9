#include "ProgressStore.h"

#include "common/Csv.h"
#include "MistakeRule.h"
#include "SideFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QUuid>
#include <QVariant>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <optional>

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

QString variantName(ProgressRecord::Variant variant)
{
    switch (variant) {
    case ProgressRecord::Variant::Plus: return QStringLiteral("plus");
    case ProgressRecord::Variant::Mistakes: return QStringLiteral("mistakes");
    case ProgressRecord::Variant::Basic: break;
    }
    return QStringLiteral("basic");
}

// A run's number: unique also between two copies of the program writing at once.
qint64 newRunId(const QDateTime &now)
{
    return (now.toMSecsSinceEpoch() << 16) | qint64(QRandomGenerator::global()->bounded(1 << 16));
}

// How long a write waits for another copy before the answer is kept for later.
constexpr int BusyTimeoutMs = 250;
// At exit the waiting answers get this long to reach the file; then they stay in the side file.
constexpr int ExitWaitMs = 1000;
constexpr int RetryBusyMs = 500;
constexpr int RetryFailedMs = 5000;

// The same figures from two sources: this computer's summaries, kept up to date with
// every answer, or all the learner's computers' rows counted afresh (the views
// all_runs and all_answers count each answer and run once).
struct FigureQueries
{
    const char *runTotals; // exercise, variant, runs accomplished, when the last ended
    const char *days;      // exercise, day, first tries, right at the first try; days between two
    const char *missed;    // exercise, item, right answer, misses; the most first, then the latest
};

const FigureQueries &figureQueries(ProgressStore::Scope scope)
{
    static const FigureQueries thisComputer{
        "SELECT exercise, variant, accomplished, last_ended FROM run_totals WHERE lesson = ?",
        "SELECT exercise, day, first_tries, right_first FROM days WHERE lesson = ? AND day BETWEEN ? AND ?",
        "SELECT exercise, item, expected, misses FROM items WHERE lesson = ? AND misses > 0 "
        "ORDER BY misses DESC, last_missed DESC LIMIT ?"};
    // The day is the learner's local one, as this computer's summaries count it.
    static const FigureQueries allComputers{
        "SELECT exercise, variant, count(*), max(ended) FROM all_runs WHERE lesson = ? GROUP BY exercise, variant",
        "SELECT exercise, date(at, 'localtime'), count(*), sum(right AND NOT solution_shown) FROM all_answers "
        "WHERE lesson = ? AND NOT retry AND date(at, 'localtime') BETWEEN ? AND ? GROUP BY 1, 2",
        // The right answer of the latest miss (SQLite takes the other columns from the row of the max).
        "SELECT exercise, item, expected, count(*) AS misses, max(at) AS latest FROM all_answers "
        "WHERE lesson = ? AND (NOT right OR solution_shown) GROUP BY exercise, item "
        "ORDER BY misses DESC, latest DESC LIMIT ?"};
    return scope == ProgressStore::Scope::AllComputers ? allComputers : thisComputer;
}

} // namespace

// Prepared once when the file opens: an answer then costs no parsing.
struct ProgressStore::Statements
{
    explicit Statements(const QSqlDatabase &db)
        : begin(db), commit(db), rollback(db), insertAnswer(db), addDay(db), readItem(db), writeItem(db),
          insertRun(db), endRun(db), addRunTotal(db)
    {
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
            "INSERT OR IGNORE INTO runs(lesson, id, exercise, variant, person, started) VALUES(?, ?, ?, ?, ?, ?)"));
        endRun.prepare(QStringLiteral("UPDATE runs SET ended = ?, outcome = ? WHERE id = ? AND ended IS NULL"));
        addRunTotal.prepare(QStringLiteral(
            "INSERT INTO run_totals(lesson, exercise, variant, accomplished, last_ended) "
            "SELECT lesson, exercise, variant, 1, ? FROM runs WHERE id = ? ON CONFLICT(lesson, exercise, variant) "
            "DO UPDATE SET accomplished = accomplished + 1, last_ended = MAX(last_ended, excluded.last_ended)"));
    }

    QSqlQuery begin, commit, rollback, insertAnswer, addDay, readItem, writeItem, insertRun, endRun, addRunTotal;
};

ProgressStore::ProgressStore(QString path)
    : filePath(std::move(path)),
      connection(QStringLiteral("progress-%1").arg(reinterpret_cast<quintptr>(this), 0, 16))
{
    retry.setSingleShot(true);
    QObject::connect(&retry, &QTimer::timeout, &retry, [this] {
        if (state == State::Busy)
            open();
        flush();
    });
}

ProgressStore::~ProgressStore()
{
    retry.stop();
    // A copy that holds the file a moment longer gets that moment.
    QElapsedTimer waited;
    waited.start();
    while (!pending.empty() && busy && waited.elapsed() < ExitWaitMs) {
        QThread::msleep(50);
        if (state == State::Busy)
            open();
        flush();
    }
    if (sideFile)
        sideFile->keep(pending);
    closeConnection();
}

QString ProgressStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/progress.sqlite");
}

QSqlDatabase ProgressStore::database() const
{
    return QSqlDatabase::database(connection, false);
}

void ProgressStore::prepare()
{
    ensureOpen();
}

bool ProgressStore::ensureOpen()
{
    if (state == State::NotOpened)
        open();
    return state == State::Open || state == State::ReadOnly;
}

void ProgressStore::closeConnection()
{
    statements.reset();
    {
        QSqlDatabase db = database();
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

QSqlError ProgressStore::openConnection(const QString &name, const QString &options)
{
    closeConnection();
    databaseName = name;
    readOptions = options;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(name);
    db.setConnectOptions(options);
    return db.open() ? QSqlError() : db.lastError();
}

void ProgressStore::open()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        state = State::Closed;
        trouble = QStringLiteral("Your progress cannot be recorded: the SQLite driver of Qt is not installed.");
        return;
    }
    const QString wait = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs);
    const bool inMemory = filePath == QLatin1String(":memory:");
    if (inMemory) {
        // Shared by name, so that an export on another thread reads the same record.
        openConnection(QStringLiteral("file:bimbala-%1?mode=memory&cache=shared").arg(connection),
                       QStringLiteral("QSQLITE_OPEN_URI;") + wait);
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
        if (sideFile)
            sideFile->takeOver(pending);
        flush();
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

// WAL mode, then the schema brought to this version under the write lock, so
// that two copies starting together create or migrate it once.
QSqlError ProgressStore::setUpFile(QSqlDatabase &db)
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
    if (*seen > SchemaVersion) {
        state = State::ReadOnly;
        readOnlyWhy = QStringLiteral("the file %1 was written by a newer version of Bimbala").arg(filePath);
        trouble = QStringLiteral("Your progress is not recorded: %1 and is left as it is.").arg(readOnlyWhy);
        return {};
    }
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        return query.lastError();
    query.finish();
    // In WAL mode a commit survives the program being killed at any moment.
    query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    // Writes touch a few pages and the Progress window reads summaries: a small
    // page cache will do, and the program's memory does not grow with the record.
    query.exec(QStringLiteral("PRAGMA cache_size=-256"));
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return query.lastError();
    // Read again under the write lock: another copy may have created or migrated it meanwhile.
    const std::optional<int> found = version();
    if (found > SchemaVersion) {
        query.exec(QStringLiteral("ROLLBACK"));
        return setUpFile(db); // a newer copy was quicker: leave its file alone
    }
    QSqlError error;
    if (!found)
        error = query.lastError();
    else if (*found < SchemaVersion)
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
void ProgressStore::openReadOnly(const QString &why)
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
bool ProgressStore::moveAside()
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString aside = filePath + QStringLiteral(".unreadable-") + stamp;
    if (QFile::exists(aside) || !QFile::rename(filePath, aside))
        return false;
    for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFile::exists(filePath + suffix))
            QFile::rename(filePath + suffix, aside + suffix);
    }
    movedTo = aside;
    return true;
}

QString ProgressStore::waitingSentence() const
{
    const auto answers = std::count_if(pending.begin(), pending.end(),
                                       [](const RecordEntry &e) { return e.kind == RecordEntry::Kind::Answer; });
    const QString what = answers == 1 ? QStringLiteral("1 answer waits")
                                      : QStringLiteral("%1 answers wait").arg(answers);
    if (!writeFailure.isEmpty())
        return QStringLiteral("%1 to be recorded: writing to %2 failed (%3); they are kept and written as soon as "
                              "it works again.")
            .arg(what, filePath, writeFailure);
    return QStringLiteral("%1 to be recorded: another copy of Bimbala is using %2 just now; they are kept and "
                          "written as soon as it is free.")
        .arg(what, filePath);
}

QString ProgressStore::problem()
{
    ensureOpen();
    if (!trouble.isEmpty())
        return trouble;
    if (!pending.empty())
        return waitingSentence();
    if (state == State::Busy)
        return QStringLiteral("Your progress cannot be shown just now: another copy of Bimbala is using %1.")
            .arg(filePath);
    if (!movedTo.isEmpty())
        return QStringLiteral("The progress file could not be read; it was moved aside to %1 and a new one begun at %2.")
            .arg(movedTo, filePath);
    return {};
}

bool ProgressStore::writable()
{
    ensureOpen();
    return state == State::Open || state == State::Busy;
}

void ProgressStore::add(RecordEntry entry)
{
    if (!writable())
        return;
    pending.push_back(std::move(entry));
    // While the file is busy the timer tries again: judging does not wait for it each time.
    if (busy && retry.isActive()) {
        if (sideFile)
            sideFile->keep(pending);
        return;
    }
    flush();
}

// Writes every waiting entry in one transaction. What cannot be written now
// stays waiting, in memory and in the side file, and is tried again later.
void ProgressStore::flush()
{
    if (pending.empty())
        return;
    if (state == State::Open) {
        const QSqlError error = writePending();
        busy = error.isValid() && isBusy(error);
        writeFailure = error.isValid() && !busy ? reason(error) : QString();
        if (!error.isValid()) {
            pending.clear();
            if (sideFile)
                sideFile->keep(pending);
            notifyChanged();
            return;
        }
    }
    if (sideFile)
        sideFile->keep(pending);
    retryLater();
}

QSqlError ProgressStore::writePending()
{
    Statements &s = *statements;
    QSqlError error = execute(s.begin);
    if (error.isValid())
        return error;
    for (const RecordEntry &entry : pending) {
        error = apply(entry);
        if (error.isValid())
            break;
    }
    if (!error.isValid())
        error = execute(s.commit);
    if (error.isValid())
        execute(s.rollback);
    return error;
}

void ProgressStore::retryLater()
{
    if (!retry.isActive())
        retry.start(busy ? RetryBusyMs : RetryFailedMs);
}

void ProgressStore::notifyChanged()
{
    if (changed)
        changed();
}

QSqlError ProgressStore::apply(const RecordEntry &entry)
{
    Statements &s = *statements;
    switch (entry.kind) {
    case RecordEntry::Kind::RunStarted:
        return execute(s.insertRun, {entry.lesson, entry.run, entry.exercise, entry.variant, entry.person, entry.at});
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
    ItemState state;
    if (s.readItem.next())
        state = {s.readItem.value(0).toBool(), s.readItem.value(1).toInt()};
    s.readItem.finish();
    const ItemState after = AfterAttempt(state, {entry.item, entry.right, entry.solutionShown, entry.retry});
    const bool missed = !entry.right || entry.solutionShown;
    return execute(s.writeItem, {entry.lesson, entry.exercise, entry.item, entry.expected, int(missed),
                                 missed ? QVariant(answerId) : QVariant(), answerId, int(after.open),
                                 after.cleanStreak});
}

// An entry stamped with the time now: UTC to store, the learner's local day to count by.
RecordEntry ProgressStore::stamped(RecordEntry::Kind kind, qint64 run) const
{
    const QDateTime now = clock();
    RecordEntry entry;
    entry.kind = kind;
    entry.lesson = lesson;
    entry.at = now.toUTC().toString(Qt::ISODateWithMs);
    entry.day = now.date().toString(Qt::ISODate);
    entry.run = run;
    return entry;
}

void ProgressStore::answerJudged(const Answer &answer)
{
    RecordEntry entry = stamped(RecordEntry::Kind::Answer, currentRun);
    entry.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    entry.exercise = answer.exercise;
    entry.item = answer.item;
    entry.expected = answer.expected;
    entry.given = answer.given;
    entry.right = answer.right;
    entry.solutionShown = answer.solutionShown;
    entry.retry = answer.retry;
    add(std::move(entry));
}

qint64 ProgressStore::runStarted(const QString &exercise, Variant variant, const QString &person)
{
    currentRun = newRunId(clock());
    RecordEntry entry = stamped(RecordEntry::Kind::RunStarted, currentRun);
    entry.exercise = exercise;
    entry.variant = variantName(variant);
    entry.person = person.isNull() ? QStringLiteral("") : person;
    add(std::move(entry));
    return currentRun;
}

void ProgressStore::runEnded(qint64 runId, Outcome outcome)
{
    if (runId == currentRun)
        currentRun = 0;
    RecordEntry entry = stamped(RecordEntry::Kind::RunEnded, runId);
    entry.outcome = outcome == Outcome::Accomplished ? QStringLiteral("accomplished") : QStringLiteral("left");
    add(std::move(entry));
}

std::vector<ProgressStore::Summary> ProgressStore::summaries(const QStringList &codes, QDate today, int days)
{
    std::vector<Summary> result;
    const QDate first = today.addDays(1 - days);
    for (const QString &code : codes) {
        Summary summary;
        summary.exercise = code;
        for (int i = 0; i < days; ++i)
            summary.days.push_back({first.addDays(i), 0, 0});
        result.push_back(summary);
    }
    if (!ensureOpen())
        return result;
    QSqlDatabase db = database();
    const auto indexOf = [&codes](const QString &code) { return std::size_t(codes.indexOf(code)); };

    QSqlQuery runs(db);
    runs.setForwardOnly(true);
    const FigureQueries &queries = figureQueries(scope);
    runs.prepare(QLatin1String(queries.runTotals));
    runs.addBindValue(lesson);
    runs.exec();
    while (runs.next()) {
        const std::size_t i = indexOf(runs.value(0).toString());
        if (i >= result.size())
            continue;
        Summary &summary = result[i];
        const QString variant = runs.value(1).toString();
        if (variant == u"plus")
            summary.plusRuns += runs.value(2).toInt();
        else if (variant == u"basic")
            summary.basicRuns += runs.value(2).toInt();
        const QDateTime last = QDateTime::fromString(runs.value(3).toString(), Qt::ISODateWithMs);
        if (last.isValid() && (!summary.lastAccomplished.isValid() || last > summary.lastAccomplished))
            summary.lastAccomplished = last;
    }

    // A first try is an answer with no wrong try before it; it is right only without the solution.
    QSqlQuery shares(db);
    shares.setForwardOnly(true);
    shares.prepare(QLatin1String(queries.days));
    shares.addBindValue(lesson);
    shares.addBindValue(first.toString(Qt::ISODate));
    shares.addBindValue(today.toString(Qt::ISODate));
    shares.exec();
    while (shares.next()) {
        const std::size_t i = indexOf(shares.value(0).toString());
        const qint64 day = first.daysTo(QDate::fromString(shares.value(1).toString(), Qt::ISODate));
        if (i >= result.size() || day < 0 || day >= days)
            continue;
        DayShare &share = result[i].days[std::size_t(day)];
        share.firstTries = shares.value(2).toInt();
        share.rightAtFirstTry = shares.value(3).toInt();
        result[i].firstTries += share.firstTries;
        result[i].rightAtFirstTry += share.rightAtFirstTry;
    }
    return result;
}

std::vector<ProgressStore::Missed> ProgressStore::mostMissed(int count)
{
    std::vector<Missed> result;
    if (!ensureOpen())
        return result;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(QLatin1String(figureQueries(scope).missed));
    query.addBindValue(lesson);
    query.addBindValue(count);
    query.exec();
    while (query.next())
        result.push_back({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                          query.value(3).toInt()});
    return result;
}

QStringList ProgressStore::mistakes(const QString &exercise)
{
    if (!ensureOpen())
        return {};
    if (scope == Scope::AllComputers)
        return mistakesOfAllComputers(exercise);
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT item FROM items WHERE lesson = ? AND exercise = ? AND open = 1 ORDER BY first_missed"));
    query.addBindValue(lesson);
    query.addBindValue(exercise);
    query.exec();
    QStringList items;
    while (query.next())
        items << query.value(0).toString();
    return items;
}

// Every computer's answers go through the rule again, oldest first: answers from two
// computers interleave in time, which no summary kept by one of them knows.
QStringList ProgressStore::mistakesOfAllComputers(const QString &exercise)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT item, right, solution_shown, retry FROM all_answers "
                                 "WHERE lesson = ? AND exercise = ? ORDER BY at"));
    query.addBindValue(lesson);
    query.addBindValue(exercise);
    query.exec();
    struct Replayed
    {
        ItemState state;
        qint64 openedAt = 0; // the answer that put it among the mistakes, as first_missed
    };
    std::map<QString, Replayed> items;
    for (qint64 answer = 0; query.next(); ++answer) {
        const QString item = query.value(0).toString();
        Replayed &replayed = items[item];
        const ItemState after = AfterAttempt(replayed.state, {item, query.value(1).toBool(), query.value(2).toBool(),
                                                               query.value(3).toBool()});
        if (after.open && !replayed.state.open)
            replayed.openedAt = answer;
        replayed.state = after;
    }
    std::vector<std::pair<qint64, QString>> open;
    for (const auto &[item, replayed] : items) {
        if (replayed.state.open)
            open.emplace_back(replayed.openedAt, item);
    }
    std::sort(open.begin(), open.end());
    QStringList result;
    for (const auto &[openedAt, item] : open)
        result << item;
    return result;
}

QDateTime ProgressStore::serverCopyTime()
{
    if (!ensureOpen())
        return {};
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT at FROM server_fetched WHERE lesson = ?"));
    query.addBindValue(lesson);
    if (!query.exec() || !query.next())
        return {};
    return QDateTime::fromString(query.value(0).toString(), Qt::ISODateWithMs);
}

qint64 ProgressStore::answerCount()
{
    if (!ensureOpen())
        return 0;
    QSqlQuery query(database());
    // From the first and last id, without reading the table: answers are only ever
    // deleted all together, so the ids between have no gaps worth counting.
    if (!query.exec(QStringLiteral("SELECT COALESCE(MAX(id) - MIN(id) + 1, 0) FROM answers")) ||
        !query.next())
        return 0;
    return query.value(0).toLongLong();
}

ProgressStore::Exporter ProgressStore::exporter()
{
    if (!ensureOpen())
        return [](QIODevice &, ExportProgress *) { return false; };
    static std::atomic<int> exports{0};
    const QString name = QStringLiteral("%1-export-%2").arg(connection).arg(++exports);
    return [name, databaseName = databaseName, options = readOptions](QIODevice &out, ExportProgress *progress) {
        bool ok = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(databaseName);
            db.setConnectOptions(options);
            QSqlQuery query(db);
            // Forward only: one row in memory at a time, however long the record.
            query.setForwardOnly(true);
            ok = db.open() &&
                 query.exec(QStringLiteral("SELECT answers.at, answers.exercise, COALESCE(runs.variant, ''), "
                                           "COALESCE(runs.person, ''), answers.item, answers.expected, "
                                           "answers.given, answers.right, answers.solution_shown, answers.retry, "
                                           "answers.lesson FROM answers LEFT JOIN runs ON runs.id = answers.run "
                                           "ORDER BY answers.id"));
            ok = ok && out.write(Csv::record({QStringLiteral("time (UTC)"), QStringLiteral("exercise"),
                                              QStringLiteral("run"), QStringLiteral("person"), QStringLiteral("item"),
                                              QStringLiteral("right answer"), QStringLiteral("answer given"),
                                              QStringLiteral("right"), QStringLiteral("solution shown"),
                                              QStringLiteral("after a wrong try"), QStringLiteral("lesson")})
                                     .toUtf8()) >= 0;
            const auto yesNo = [](const QVariant &value) {
                return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
            };
            while (ok && query.next()) {
                QStringList fields;
                for (int column = 0; column < 7; ++column)
                    fields << query.value(column).toString();
                fields << yesNo(query.value(7)) << yesNo(query.value(8)) << yesNo(query.value(9))
                       << query.value(10).toString();
                ok = out.write(Csv::record(fields).toUtf8()) >= 0;
                if (progress) {
                    ++progress->written;
                    ok = ok && !progress->cancel;
                }
            }
            ok = ok && !query.lastError().isValid();
            query.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return ok;
    };
}

QString ProgressStore::forget()
{
    const QString notForgotten = QStringLiteral("Your progress was not forgotten: ");
    ensureOpen();
    if (state == State::Busy)
        return notForgotten + busyNow();
    if (state == State::ReadOnly)
        return notForgotten + readOnlyWhy + u'.';
    if (state != State::Open)
        return notForgotten + QStringLiteral("the file %1 cannot be changed.").arg(filePath);
    QSqlError error = execute(statements->begin);
    if (!error.isValid()) {
        QSqlQuery query(database());
        // The class server's rows too: fetched again, they come back from the server.
        for (const char *table :
             {"answers", "runs", "items", "days", "run_totals", "server_answers", "server_runs", "server_fetched"}) {
            if (!query.exec(QStringLiteral("DELETE FROM ") + QLatin1String(table))) {
                error = query.lastError();
                break;
            }
        }
        if (!error.isValid())
            error = execute(statements->commit);
        if (error.isValid())
            execute(statements->rollback);
    }
    if (isBusy(error))
        return notForgotten + busyNow();
    if (error.isValid())
        return notForgotten + QStringLiteral("changing %1 failed (%2).").arg(filePath, reason(error));
    // What waited to be written goes with the rest.
    pending.clear();
    writeFailure.clear();
    busy = false;
    if (sideFile)
        sideFile->keep(pending);
    notifyChanged();
    return {};
}

QString ProgressStore::busyNow() const
{
    return QStringLiteral("another copy of Bimbala is using %1 just now; try again in a moment.").arg(filePath);
}

void ProgressStore::limitPages(int pages)
{
    if (!ensureOpen())
        return;
    QSqlQuery(database()).exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
}
