#include "ProgressStore.h"

#include "Csv.h"
#include "MistakeRule.h"
#include "exercises/frame/Exercise.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

namespace {

QString now()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
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

bool run(QSqlDatabase &db, const QString &statement)
{
    QSqlQuery query(db);
    return query.exec(statement);
}

// A write step's result: no error when it went through.
QSqlError executed(QSqlQuery &query)
{
    return query.exec() ? QSqlError() : query.lastError();
}

// A run's number: unique also between two copies of the program writing at once.
qint64 newRunId()
{
    return (QDateTime::currentMSecsSinceEpoch() << 16) | qint64(QRandomGenerator::global()->bounded(1 << 16));
}

QSqlError recordAnswer(QSqlDatabase &db, const ProgressRecord::Answer &answer, const QString &at, qint64 runId)
{
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO answers(at, exercise, item, expected, given, right, solution_shown, "
                                  "retry, run) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant &value : {QVariant(at), QVariant(answer.exercise), QVariant(answer.item),
                                  QVariant(answer.expected), QVariant(answer.given), QVariant(int(answer.right)),
                                  QVariant(int(answer.solutionShown)), QVariant(int(answer.retry)),
                                  runId ? QVariant(runId) : QVariant()})
        insert.addBindValue(value);
    if (!insert.exec())
        return insert.lastError();
    const qint64 answerId = insert.lastInsertId().toLongLong();

    if (!answer.retry) {
        QSqlQuery day(db);
        day.prepare(QStringLiteral("INSERT INTO days(exercise, day, first_tries, right_first) VALUES(?, ?, 1, ?) "
                                   "ON CONFLICT(exercise, day) DO UPDATE SET first_tries = first_tries + 1, "
                                   "right_first = right_first + excluded.right_first"));
        day.addBindValue(answer.exercise);
        day.addBindValue(at.left(10));
        day.addBindValue(int(answer.right && !answer.solutionShown));
        if (!day.exec())
            return day.lastError();
    }

    QSqlQuery item(db);
    item.prepare(QStringLiteral("SELECT open, clean_streak FROM items WHERE exercise = ? AND item = ?"));
    item.addBindValue(answer.exercise);
    item.addBindValue(answer.item);
    if (!item.exec())
        return item.lastError();
    ItemState state;
    if (item.next())
        state = {item.value(0).toBool(), item.value(1).toInt()};
    item.finish();
    const ItemState after = AfterAttempt(state, {answer.item, answer.right, answer.solutionShown, answer.retry});
    const bool missed = !answer.right || answer.solutionShown;
    QSqlQuery update(db);
    update.prepare(QStringLiteral(
        "INSERT INTO items(exercise, item, expected, misses, last_missed, first_missed, open, clean_streak) "
        "VALUES(?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT(exercise, item) DO UPDATE SET expected = excluded.expected, "
        "misses = misses + excluded.misses, last_missed = COALESCE(excluded.last_missed, last_missed), "
        "first_missed = CASE WHEN open = 0 AND excluded.open = 1 THEN excluded.first_missed ELSE first_missed END, "
        "open = excluded.open, clean_streak = excluded.clean_streak"));
    for (const QVariant &value : {QVariant(answer.exercise), QVariant(answer.item), QVariant(answer.expected),
                                  QVariant(int(missed)), missed ? QVariant(answerId) : QVariant(),
                                  QVariant(answerId), QVariant(int(after.open)), QVariant(after.cleanStreak)})
        update.addBindValue(value);
    return update.exec() ? QSqlError() : update.lastError();
}

} // namespace

ProgressStore::ProgressStore(QString path)
    : filePath(std::move(path)),
      connection(QStringLiteral("progress-%1").arg(reinterpret_cast<quintptr>(this), 0, 16))
{
}

ProgressStore::~ProgressStore()
{
    flushPending();
    {
        QSqlDatabase db = database();
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(connection);
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
    if (!tried) {
        tried = true;
        opened = openFile();
    }
    return opened;
}

bool ProgressStore::openFile()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        trouble = QStringLiteral("Your progress cannot be recorded: the SQLite driver of Qt is not installed.");
        return false;
    }
    const bool inMemory = filePath == QLatin1String(":memory:");
    if (!inMemory && !QDir().mkpath(QFileInfo(filePath).absolutePath())) {
        trouble = QStringLiteral("Your progress cannot be recorded: the folder %1 cannot be created.")
                      .arg(QFileInfo(filePath).absolutePath());
        return false;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(filePath);
            // Another copy of the program may be writing: wait for it a moment, never long.
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=250"));
            if (db.open() && migrate(db))
                return true;
            db.close();
        }
        QSqlDatabase::removeDatabase(connection);
        if (!trouble.isEmpty() || inMemory || attempt > 0 || !moveAside())
            break;
    }
    if (trouble.isEmpty())
        trouble = QStringLiteral("Your progress cannot be recorded: the file %1 cannot be opened.").arg(filePath);
    return false;
}

bool ProgressStore::migrate(QSqlDatabase &db)
{
    QSqlQuery version(db);
    // A file that is no database fails here, at its first read.
    if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next())
        return false;
    const int found = version.value(0).toInt();
    // Done with it: the journal mode cannot change while a statement is still reading.
    version.finish();
    if (found > SchemaVersion) {
        readOnly = true;
        trouble = QStringLiteral("Your progress is not recorded: the file %1 was written by a newer version of "
                                 "Bimbala and is left as it is.")
                      .arg(filePath);
        return true;
    }
    if (!run(db, QStringLiteral("PRAGMA journal_mode=WAL")))
        return false;
    // In WAL mode a commit survives the program being killed at any moment.
    run(db, QStringLiteral("PRAGMA synchronous=NORMAL"));
    // Writes touch a few pages and the Progress window reads summaries: a small
    // page cache will do, and the program's memory does not grow with the record.
    run(db, QStringLiteral("PRAGMA cache_size=-256"));
    if (found == SchemaVersion)
        return true;
    // Version 0 is a new file. Later versions add their steps after this one.
    const QStringList steps{
        QStringLiteral("CREATE TABLE runs(id INTEGER PRIMARY KEY, exercise TEXT NOT NULL, variant TEXT NOT NULL, "
                       "person TEXT NOT NULL DEFAULT '', started TEXT NOT NULL, ended TEXT, outcome TEXT)"),
        QStringLiteral("CREATE TABLE answers(id INTEGER PRIMARY KEY AUTOINCREMENT, at TEXT NOT NULL, "
                       "exercise TEXT NOT NULL, item TEXT NOT NULL, expected TEXT NOT NULL, given TEXT NOT NULL, "
                       "right INTEGER NOT NULL, solution_shown INTEGER NOT NULL, retry INTEGER NOT NULL, run INTEGER)"),
        QStringLiteral("CREATE INDEX runs_by_exercise ON runs(exercise, outcome)"),
        // Kept up to date with every answer, so the Progress window reads a few
        // hundred rows however long the record grows.
        QStringLiteral("CREATE TABLE items(exercise TEXT NOT NULL, item TEXT NOT NULL, expected TEXT NOT NULL, "
                       "misses INTEGER NOT NULL DEFAULT 0, last_missed INTEGER, first_missed INTEGER, "
                       "open INTEGER NOT NULL DEFAULT 0, clean_streak INTEGER NOT NULL DEFAULT 0, "
                       "PRIMARY KEY(exercise, item))"),
        QStringLiteral("CREATE TABLE days(exercise TEXT NOT NULL, day TEXT NOT NULL, first_tries INTEGER NOT NULL, "
                       "right_first INTEGER NOT NULL, PRIMARY KEY(exercise, day))"),
        QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion),
    };
    if (!db.transaction())
        return false;
    for (const QString &step : steps) {
        if (!run(db, step)) {
            db.rollback();
            return false;
        }
    }
    return db.commit();
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

QString ProgressStore::problem()
{
    ensureOpen();
    if (!trouble.isEmpty())
        return trouble;
    if (!movedTo.isEmpty())
        return QStringLiteral("The progress file could not be read; it was moved aside to %1 and a new one begun at %2.")
            .arg(movedTo, filePath);
    return {};
}

bool ProgressStore::writable()
{
    return ensureOpen() && !readOnly && trouble.isEmpty();
}

bool ProgressStore::write(const std::function<QSqlError(QSqlDatabase &)> &step)
{
    if (!writable())
        return false;
    pending.push_back(step);
    flushPending();
    return pending.empty();
}

void ProgressStore::flushPending()
{
    if (!opened || readOnly)
        return;
    QSqlDatabase db = database();
    while (!pending.empty()) {
        const QSqlError error = pending.front()(db);
        if (error.isValid()) {
            // Busy: another copy holds the file; the answer waits for the next write.
            const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
            if (text.contains(QStringLiteral("locked"), Qt::CaseInsensitive) ||
                text.contains(QStringLiteral("busy"), Qt::CaseInsensitive))
                return;
            trouble = QStringLiteral("Your progress is no longer recorded: writing to %1 failed (%2).").arg(filePath, text);
            pending.clear();
            return;
        }
        pending.pop_front();
    }
}

void ProgressStore::answerJudged(const Answer &answer)
{
    const QString at = now();
    const qint64 runId = currentRun;
    // The answer and the two summaries it changes, in one small transaction.
    write([answer, at, runId](QSqlDatabase &db) {
        if (!db.transaction())
            return db.lastError();
        const QSqlError error = recordAnswer(db, answer, at, runId);
        if (!error.isValid() && db.commit())
            return QSqlError();
        const QSqlError failed = error.isValid() ? error : db.lastError();
        db.rollback();
        return failed;
    });
}

qint64 ProgressStore::runStarted(const QString &exercise, Variant variant, const QString &person)
{
    const qint64 id = newRunId();
    const QString at = now();
    currentRun = id;
    write([=](QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("INSERT INTO runs(id, exercise, variant, person, started) VALUES(?, ?, ?, ?, ?)"));
        query.addBindValue(id);
        query.addBindValue(exercise);
        query.addBindValue(variantName(variant));
        query.addBindValue(person.isNull() ? QStringLiteral("") : person);
        query.addBindValue(at);
        return executed(query);
    });
    return id;
}

void ProgressStore::runEnded(qint64 runId, Outcome outcome)
{
    if (runId == currentRun)
        currentRun = 0;
    const QString at = now();
    write([=](QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("UPDATE runs SET ended = ?, outcome = ? WHERE id = ?"));
        query.addBindValue(at);
        query.addBindValue(outcome == Outcome::Accomplished ? QStringLiteral("accomplished") : QStringLiteral("left"));
        query.addBindValue(runId);
        return executed(query);
    });
}

std::vector<ProgressStore::Summary> ProgressStore::summaries(QDate today, int days)
{
    std::vector<Summary> result;
    const QDate first = today.addDays(1 - days);
    QStringList codes;
    for (Exercise exercise : AllExercises) {
        Summary summary;
        summary.exercise = exerciseCode(exercise);
        codes << summary.exercise;
        for (int i = 0; i < days; ++i)
            summary.days.push_back({first.addDays(i), 0, 0});
        result.push_back(summary);
    }
    if (!ensureOpen())
        return result;
    QSqlDatabase db = database();
    const auto indexOf = [&codes](const QString &code) { return std::size_t(codes.indexOf(code)); };

    QSqlQuery runs(db);
    runs.exec(QStringLiteral("SELECT exercise, variant, COUNT(*), MAX(ended) FROM runs "
                             "WHERE outcome = 'accomplished' GROUP BY exercise, variant"));
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
    shares.prepare(QStringLiteral("SELECT exercise, day, first_tries, right_first FROM days WHERE day >= ?"));
    shares.addBindValue(first.toString(Qt::ISODate));
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
    QSqlDatabase db = database();
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT exercise, item, expected, misses FROM items WHERE misses > 0 "
                                 "ORDER BY misses DESC, last_missed DESC LIMIT ?"));
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
    QSqlDatabase db = database();
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT item FROM items WHERE exercise = ? AND open = 1 ORDER BY first_missed"));
    query.addBindValue(exercise);
    query.exec();
    QStringList items;
    while (query.next())
        items << query.value(0).toString();
    return items;
}

bool ProgressStore::exportCsv(QIODevice &out)
{
    if (!ensureOpen())
        return false;
    QSqlDatabase db = database();
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT answers.at, answers.exercise, COALESCE(runs.variant, ''), "
                                   "COALESCE(runs.person, ''), answers.item, answers.expected, answers.given, "
                                   "answers.right, answers.solution_shown, answers.retry FROM answers "
                                   "LEFT JOIN runs ON runs.id = answers.run ORDER BY answers.id")))
        return false;
    const auto yesNo = [](const QVariant &value) { return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no"); };
    bool ok = out.write(Csv::record({QStringLiteral("time (UTC)"), QStringLiteral("exercise"), QStringLiteral("run"),
                                     QStringLiteral("person"), QStringLiteral("item"), QStringLiteral("right answer"),
                                     QStringLiteral("answer given"), QStringLiteral("right"),
                                     QStringLiteral("solution shown"), QStringLiteral("after a wrong try")})
                            .toUtf8()) >= 0;
    while (ok && query.next()) {
        ok = out.write(Csv::record({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                                    query.value(3).toString(), query.value(4).toString(), query.value(5).toString(),
                                    query.value(6).toString(), yesNo(query.value(7)), yesNo(query.value(8)),
                                    yesNo(query.value(9))})
                             .toUtf8()) >= 0;
    }
    return ok;
}

bool ProgressStore::forget()
{
    pending.clear();
    return write([](QSqlDatabase &db) {
        if (!db.transaction())
            return db.lastError();
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("DELETE FROM answers")) && query.exec(QStringLiteral("DELETE FROM runs")) &&
            query.exec(QStringLiteral("DELETE FROM items")) && query.exec(QStringLiteral("DELETE FROM days")) &&
            db.commit())
            return QSqlError();
        const QSqlError error = query.lastError().isValid() ? query.lastError() : db.lastError();
        db.rollback();
        return error;
    });
}

void ProgressStore::limitPages(int pages)
{
    if (!ensureOpen())
        return;
    QSqlDatabase db = database();
    run(db, QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
}
