#include "ProgressStore.h"

#include "Csv.h"
#include "MistakeRule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

namespace {

const QStringList ExerciseCodes{QStringLiteral("1a"), QStringLiteral("1b"), QStringLiteral("1c"), QStringLiteral("2"),
                                QStringLiteral("3"),  QStringLiteral("4"),  QStringLiteral("5"),  QStringLiteral("6")};

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
    if (found > SchemaVersion) {
        readOnly = true;
        trouble = QStringLiteral("Your progress is not recorded: the file %1 was written by a newer version of "
                                 "Bimbala and is left as it is.")
                      .arg(filePath);
        return true;
    }
    run(db, QStringLiteral("PRAGMA journal_mode=WAL"));
    // In WAL mode a commit survives the program being killed at any moment.
    run(db, QStringLiteral("PRAGMA synchronous=NORMAL"));
    if (found == SchemaVersion)
        return true;
    // Version 0 is a new file. Later versions add their steps after this one.
    const QStringList steps{
        QStringLiteral("CREATE TABLE runs(id INTEGER PRIMARY KEY, exercise TEXT NOT NULL, variant TEXT NOT NULL, "
                       "person TEXT NOT NULL DEFAULT '', started TEXT NOT NULL, ended TEXT, outcome TEXT)"),
        QStringLiteral("CREATE TABLE answers(id INTEGER PRIMARY KEY AUTOINCREMENT, at TEXT NOT NULL, "
                       "exercise TEXT NOT NULL, item TEXT NOT NULL, expected TEXT NOT NULL, given TEXT NOT NULL, "
                       "right INTEGER NOT NULL, solution_shown INTEGER NOT NULL, retry INTEGER NOT NULL, run INTEGER)"),
        QStringLiteral("CREATE INDEX answers_by_time ON answers(at)"),
        QStringLiteral("CREATE INDEX answers_by_item ON answers(exercise, item)"),
        QStringLiteral("CREATE INDEX runs_by_exercise ON runs(exercise, outcome)"),
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
    write([answer, at, runId](QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("INSERT INTO answers(at, exercise, item, expected, given, right, solution_shown, "
                                     "retry, run) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const QVariant &value :
             {QVariant(at), QVariant(answer.exercise), QVariant(answer.item), QVariant(answer.expected),
              QVariant(answer.given), QVariant(int(answer.right)), QVariant(int(answer.solutionShown)),
              QVariant(int(answer.retry)), runId ? QVariant(runId) : QVariant()})
            query.addBindValue(value);
        return executed(query);
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
    for (const QString &code : ExerciseCodes) {
        Summary summary;
        summary.exercise = code;
        for (int i = 0; i < days; ++i)
            summary.days.push_back({first.addDays(i), 0, 0});
        result.push_back(summary);
    }
    if (!ensureOpen())
        return result;
    QSqlDatabase db = database();
    const auto indexOf = [](const QString &code) { return std::size_t(ExerciseCodes.indexOf(code)); };

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
    shares.prepare(QStringLiteral("SELECT exercise, substr(at, 1, 10), COUNT(*), "
                                  "SUM(right = 1 AND solution_shown = 0) FROM answers "
                                  "WHERE at >= ? AND retry = 0 GROUP BY exercise, substr(at, 1, 10)"));
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
    query.prepare(QStringLiteral("SELECT exercise, item, MAX(expected), COUNT(*) AS misses FROM answers "
                                 "WHERE right = 0 OR solution_shown = 1 GROUP BY exercise, item "
                                 "ORDER BY misses DESC, MAX(id) DESC LIMIT ?"));
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
    // Only the items that were ever missed can be among the mistakes.
    query.prepare(QStringLiteral("SELECT item, right, solution_shown, retry FROM answers WHERE exercise = ? AND item IN "
                                 "(SELECT item FROM answers WHERE exercise = ? AND (right = 0 OR solution_shown = 1)) "
                                 "ORDER BY id"));
    query.addBindValue(exercise);
    query.addBindValue(exercise);
    query.exec();
    std::vector<Attempt> attempts;
    while (query.next())
        attempts.push_back({query.value(0).toString(), query.value(1).toBool(), query.value(2).toBool(),
                            query.value(3).toBool()});
    return ItemsToPractise(attempts);
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
