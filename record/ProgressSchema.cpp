#include "ProgressSchema.h"

#include "RecordMemory.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>

#include <vector>

namespace {

// Step n takes a file from version n to version n + 1.
const QList<QStringList> Steps{
    // 0 → 1: a new file.
    {
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
    },
    // 1 → 2: answers carry a unique id, so one written twice (from a side file,
    // or sent to a server) counts once; days are the learner's local days; the
    // runs accomplished are summed as they end; story gaps count from 1.
    {
        QStringLiteral("ALTER TABLE answers ADD COLUMN uid TEXT"),
        QStringLiteral("UPDATE answers SET uid = lower(substr(hex(u), 1, 8) || '-' || substr(hex(u), 9, 4) || '-' || "
                       "substr(hex(u), 13, 4) || '-' || substr(hex(u), 17, 4) || '-' || substr(hex(u), 21)) "
                       "FROM (SELECT id AS key, randomblob(16) AS u FROM answers) WHERE id = key"),
        QStringLiteral("CREATE UNIQUE INDEX answers_by_uid ON answers(uid)"),
        QStringLiteral("DELETE FROM days"),
        QStringLiteral("INSERT INTO days(exercise, day, first_tries, right_first) "
                       "SELECT exercise, date(at, 'localtime'), COUNT(*), SUM(right AND NOT solution_shown) "
                       "FROM answers WHERE retry = 0 GROUP BY exercise, date(at, 'localtime')"),
        QStringLiteral("CREATE INDEX days_by_day ON days(day)"),
        QStringLiteral("CREATE TABLE run_totals(exercise TEXT NOT NULL, variant TEXT NOT NULL, "
                       "accomplished INTEGER NOT NULL, last_ended TEXT, PRIMARY KEY(exercise, variant))"),
        QStringLiteral("INSERT INTO run_totals SELECT exercise, variant, COUNT(*), MAX(ended) FROM runs "
                       "WHERE outcome = 'accomplished' GROUP BY exercise, variant"),
        // "gap 0 (Laci)" becomes "gap 1 (Laci)"; through a marked name first, so
        // that no key meets the old key of its neighbour on the way.
        QStringLiteral("UPDATE answers SET item = '~gap ' || (CAST(substr(item, 5, instr(item, ' (') - 5) AS INTEGER) "
                       "+ 1) || substr(item, instr(item, ' (')) WHERE exercise IN ('3', '6') AND item GLOB 'gap [0-9]* (*)'"),
        QStringLiteral("UPDATE answers SET item = substr(item, 2) WHERE item GLOB '~gap *'"),
        QStringLiteral("UPDATE items SET item = '~gap ' || (CAST(substr(item, 5, instr(item, ' (') - 5) AS INTEGER) "
                       "+ 1) || substr(item, instr(item, ' (')) WHERE exercise IN ('3', '6') AND item GLOB 'gap [0-9]* (*)'"),
        QStringLiteral("UPDATE items SET item = substr(item, 2) WHERE item GLOB '~gap *'"),
    },
    // 2 → 3: every answer, run and summary belongs to a lesson; what was recorded
    // so far is lesson 7's. The summaries are keyed by lesson too, so they are
    // made anew (a key cannot be changed in place) from the rows they had.
    {
        QStringLiteral("ALTER TABLE answers ADD COLUMN lesson TEXT NOT NULL DEFAULT '%1'").arg(QLatin1String(ProgressSchema::FirstLesson)),
        QStringLiteral("ALTER TABLE runs ADD COLUMN lesson TEXT NOT NULL DEFAULT '%1'").arg(QLatin1String(ProgressSchema::FirstLesson)),
        QStringLiteral("ALTER TABLE items RENAME TO items_2"),
        QStringLiteral("CREATE TABLE items(lesson TEXT NOT NULL, exercise TEXT NOT NULL, item TEXT NOT NULL, "
                       "expected TEXT NOT NULL, misses INTEGER NOT NULL DEFAULT 0, last_missed INTEGER, "
                       "first_missed INTEGER, open INTEGER NOT NULL DEFAULT 0, clean_streak INTEGER NOT NULL DEFAULT 0, "
                       "PRIMARY KEY(lesson, exercise, item))"),
        QStringLiteral("INSERT INTO items SELECT '%1', * FROM items_2").arg(QLatin1String(ProgressSchema::FirstLesson)),
        QStringLiteral("DROP TABLE items_2"),
        QStringLiteral("DROP INDEX days_by_day"),
        QStringLiteral("ALTER TABLE days RENAME TO days_2"),
        QStringLiteral("CREATE TABLE days(lesson TEXT NOT NULL, exercise TEXT NOT NULL, day TEXT NOT NULL, "
                       "first_tries INTEGER NOT NULL, right_first INTEGER NOT NULL, PRIMARY KEY(lesson, exercise, day))"),
        QStringLiteral("INSERT INTO days SELECT '%1', * FROM days_2").arg(QLatin1String(ProgressSchema::FirstLesson)),
        QStringLiteral("DROP TABLE days_2"),
        QStringLiteral("CREATE INDEX days_by_day ON days(lesson, day)"),
        QStringLiteral("ALTER TABLE run_totals RENAME TO run_totals_2"),
        QStringLiteral("CREATE TABLE run_totals(lesson TEXT NOT NULL, exercise TEXT NOT NULL, variant TEXT NOT NULL, "
                       "accomplished INTEGER NOT NULL, last_ended TEXT, PRIMARY KEY(lesson, exercise, variant))"),
        QStringLiteral("INSERT INTO run_totals SELECT '%1', * FROM run_totals_2").arg(QLatin1String(ProgressSchema::FirstLesson)),
        QStringLiteral("DROP TABLE run_totals_2"),
    },
    // 3 → 4: how far the class server has the record. Answers are sent in the order
    // they were written (their id only grows), so one mark says which are there;
    // a run is sent once it has ended, and marked.
    {
        QStringLiteral("CREATE TABLE class_marks(name TEXT PRIMARY KEY, value INTEGER NOT NULL)"),
        QStringLiteral("ALTER TABLE runs ADD COLUMN on_server INTEGER NOT NULL DEFAULT 0"),
    },
    // 4 → 5: the learner's own rows as the class server last sent them, per lesson, with
    // what they came from other computers too; they are counted together with this
    // computer's rows not among them, each answer once (by its uid) and each run once (by
    // its number, which its uid on the server is made from).
    {
        QStringLiteral("CREATE TABLE server_answers(uid TEXT PRIMARY KEY, at TEXT NOT NULL, lesson TEXT NOT NULL, "
                       "exercise TEXT NOT NULL, item TEXT NOT NULL, expected TEXT NOT NULL, right INTEGER NOT NULL, "
                       "solution_shown INTEGER NOT NULL, retry INTEGER NOT NULL)"),
        QStringLiteral("CREATE INDEX server_answers_by_lesson ON server_answers(lesson)"),
        // Only the runs accomplished: the others count nowhere.
        QStringLiteral("CREATE TABLE server_runs(id INTEGER PRIMARY KEY, lesson TEXT NOT NULL, exercise TEXT NOT NULL, "
                       "variant TEXT NOT NULL, ended TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE server_fetched(lesson TEXT PRIMARY KEY, at TEXT NOT NULL)"),
        QStringLiteral("CREATE VIEW all_answers AS "
                       "SELECT at, lesson, exercise, item, expected, right, solution_shown, retry FROM server_answers "
                       "UNION ALL SELECT at, lesson, exercise, item, expected, right, solution_shown, retry FROM answers "
                       "WHERE uid NOT IN (SELECT uid FROM server_answers)"),
        QStringLiteral("CREATE VIEW all_runs AS SELECT id, lesson, exercise, variant, ended FROM server_runs "
                       "UNION ALL SELECT id, lesson, exercise, variant, ended FROM runs "
                       "WHERE outcome = 'accomplished' AND id NOT IN (SELECT id FROM server_runs)"),
    },
    // 5 → 6: a run has a unique id of its own, as an answer has, so that no learner's run
    // is taken for another's on a server. What was sent is kept per class server (server,
    // port, database and learner), answers by their id, runs by the order they ended in.
    // The learner's rows on the server are summed up as they are fetched, as this
    // computer's are, so that All my computers counts a few hundred rows, not millions.
    {
        QStringLiteral("ALTER TABLE runs ADD COLUMN uid TEXT"),
        QStringLiteral("ALTER TABLE runs ADD COLUMN end_order INTEGER"),
        QStringLiteral("ALTER TABLE runs ADD COLUMN in_copy INTEGER NOT NULL DEFAULT 0"),
        QStringLiteral("ALTER TABLE answers ADD COLUMN in_copy INTEGER NOT NULL DEFAULT 0"),
        // Those the one server of before has come first, so one mark says which they are.
        QStringLiteral("UPDATE runs SET end_order = o FROM (SELECT id AS key, row_number() OVER "
                       "(ORDER BY on_server DESC, ended, id) AS o FROM runs WHERE ended IS NOT NULL) WHERE id = key"),
        QStringLiteral("CREATE TABLE sent_marks(server TEXT NOT NULL, what TEXT NOT NULL, up_to INTEGER NOT NULL, "
                       "PRIMARY KEY(server, what))"),
        // The server of before had no name here: the first one joined takes its marks over.
        QStringLiteral("INSERT INTO sent_marks SELECT '', 'answers', value FROM class_marks WHERE name = 'answers sent up to'"),
        QStringLiteral("INSERT INTO sent_marks SELECT '', 'runs', count(*) FROM runs WHERE on_server = 1 HAVING count(*) > 0"),
        QStringLiteral("DROP TABLE class_marks"),
        QStringLiteral("ALTER TABLE runs DROP COLUMN on_server"),
        QStringLiteral("DROP VIEW all_answers"),
        QStringLiteral("DROP VIEW all_runs"),
        QStringLiteral("DROP TABLE server_answers"),
        QStringLiteral("DROP TABLE server_runs"),
        QStringLiteral("DROP TABLE server_fetched"),
        QStringLiteral("CREATE INDEX runs_by_end ON runs(end_order) WHERE end_order IS NOT NULL"),
        QStringLiteral("CREATE INDEX answers_not_in_copy ON answers(lesson, at) WHERE in_copy = 0"),
        QStringLiteral("CREATE INDEX runs_not_in_copy ON runs(lesson) WHERE in_copy = 0"),
        // The copy of the learner's rows on one class server, and what they sum up to.
        QStringLiteral("CREATE TABLE copy_owner(server TEXT NOT NULL)"),
        // The answers fetched, for an item's history; they come in the order given, item after item.
        QStringLiteral("CREATE TABLE copy_answers(lesson TEXT NOT NULL, exercise TEXT NOT NULL, item TEXT NOT NULL, "
                       "at TEXT NOT NULL, right INTEGER NOT NULL, solution_shown INTEGER NOT NULL, retry INTEGER NOT NULL)"),
        QStringLiteral("CREATE INDEX copy_answers_by_item ON copy_answers(lesson, exercise, item, at)"),
        // The ids of rows that the next round of fetching may bring again (those of transactions the
        // round began with or after), so that each counts once; the others can never come again.
        QStringLiteral("CREATE TABLE copy_recent(uid TEXT PRIMARY KEY, what TEXT NOT NULL, txid INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE copy_days(lesson TEXT NOT NULL, exercise TEXT NOT NULL, day TEXT NOT NULL, "
                       "first_tries INTEGER NOT NULL, right_first INTEGER NOT NULL, PRIMARY KEY(lesson, exercise, day))"),
        QStringLiteral("CREATE TABLE copy_items(lesson TEXT NOT NULL, exercise TEXT NOT NULL, item TEXT NOT NULL, "
                       "expected TEXT NOT NULL, misses INTEGER NOT NULL, last_missed TEXT, open INTEGER NOT NULL, "
                       "clean_streak INTEGER NOT NULL, last_at TEXT NOT NULL, PRIMARY KEY(lesson, exercise, item))"),
        QStringLiteral("CREATE TABLE copy_run_totals(lesson TEXT NOT NULL, exercise TEXT NOT NULL, variant TEXT NOT NULL, "
                       "accomplished INTEGER NOT NULL, last_ended TEXT, PRIMARY KEY(lesson, exercise, variant))"),
        QStringLiteral("CREATE TABLE copy_fetched(lesson TEXT NOT NULL, what TEXT NOT NULL, since INTEGER NOT NULL, "
                       "round_start INTEGER NOT NULL, after_txid INTEGER NOT NULL, after_at TEXT NOT NULL, "
                       "after_uid TEXT NOT NULL, at TEXT, PRIMARY KEY(lesson, what))"),
    },
    // 6 → 7: the memory of every item answered, which the review schedules by; made from
    // the answers recorded (below), so that a learner's history counts from the first day.
    {
        QStringLiteral("CREATE TABLE memory(lesson TEXT NOT NULL, exercise TEXT NOT NULL, item TEXT NOT NULL, "
                       "stability REAL NOT NULL, difficulty REAL NOT NULL, last_review INTEGER NOT NULL, "
                       "PRIMARY KEY(lesson, exercise, item))"),
    },
};

// Every run gets a random id, as answers have: an id made from a run's number (as the
// server knew runs before) may be another learner's too. Those sent before are not
// sent again (the marks say so), and the copy of the server's rows knows them by number.
QSqlError giveRunsTheirUids(QSqlDatabase &db)
{
    QSqlQuery runs(db);
    QSqlQuery set(db);
    if (!runs.exec(QStringLiteral("SELECT id FROM runs")) ||
        !set.prepare(QStringLiteral("UPDATE runs SET uid = ? WHERE id = ?")))
        return runs.lastError().isValid() ? runs.lastError() : set.lastError();
    std::vector<qint64> ids;
    while (runs.next())
        ids.push_back(runs.value(0).toLongLong());
    for (const qint64 id : ids) {
        set.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces));
        set.addBindValue(id);
        if (!set.exec())
            return set.lastError();
    }
    return runs.exec(QStringLiteral("CREATE UNIQUE INDEX runs_by_uid ON runs(uid)")) ? QSqlError() : runs.lastError();
}

} // namespace

QSqlError ProgressSchema::migrate(QSqlDatabase &db, int from, int to)
{
    Q_ASSERT(to <= int(Steps.size()));
    QSqlQuery query(db);
    for (int version = from; version < to; ++version) {
        for (const QString &statement : Steps[version]) {
            if (!query.exec(statement))
                return query.lastError();
        }
        const QSqlError error = version == 5 ? giveRunsTheirUids(db) : version == 6 ? RecordMemory::rebuild(db) : QSqlError();
        if (error.isValid())
            return error;
    }
    return query.exec(QStringLiteral("PRAGMA user_version = %1").arg(to)) ? QSqlError() : query.lastError();
}
