#include "RecordClassRows.h"

#include "MistakeRule.h"
#include "RecordReader.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <map>
#include <set>

namespace {

using Table = RecordData::FetchedPage::Table;

QString tableName(Table table)
{
    return table == Table::Answers ? QStringLiteral("answers") : QStringLiteral("runs");
}

struct Query
{
    QSqlQuery query;
    Query(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {}) : query(db)
    {
        query.setForwardOnly(true);
        query.prepare(statement);
        for (const QVariant &value : values)
            query.addBindValue(value);
    }
    // No error when it ran.
    QSqlError run()
    {
        return query.exec() ? QSqlError() : query.lastError();
    }
};

// How far the server has the record's answers or runs. Marks written before servers had
// keys belong to the first server joined.
qint64 mark(const QSqlDatabase &db, const QString &server, const char *what)
{
    Query found(db, QStringLiteral("SELECT up_to FROM sent_marks WHERE what = ? AND server IN (?, '') "
                                   "ORDER BY server = '' LIMIT 1"),
                {QLatin1String(what), server});
    found.run();
    return found.query.next() ? found.query.value(0).toLongLong() : 0;
}

// As the server takes it: no control character, no longer than it allows.
QVariant clean(const QVariant &value, int longest)
{
    QString text = value.toString();
    for (QChar &ch : text) {
        if (ch.category() == QChar::Other_Control)
            ch = u' ';
    }
    if (text.size() > longest)
        text.truncate(text[longest - 1].isHighSurrogate() ? longest - 1 : longest);
    return text;
}

// The item's place among the mistakes after every copied answer of it, in the order
// they were given: for an answer that arrived after later ones (from a computer that
// was offline meanwhile).
QSqlError replay(const QSqlDatabase &db, const QString &lesson, const QString &exercise, const QString &item)
{
    Query answers(db, QStringLiteral("SELECT right, solution_shown, retry, at FROM copy_answers WHERE lesson = ? "
                                     "AND exercise = ? AND item = ? ORDER BY at"),
                  {lesson, exercise, item});
    if (QSqlError error = answers.run(); error.isValid())
        return error;
    ItemState state;
    int misses = 0;
    QVariant lastMissed;
    QString lastAt;
    while (answers.query.next()) {
        const Attempt attempt{item, answers.query.value(0).toBool(), answers.query.value(1).toBool(),
                              answers.query.value(2).toBool()};
        state = AfterAttempt(state, attempt);
        lastAt = answers.query.value(3).toString();
        if (!attempt.right || attempt.solutionShown) {
            ++misses;
            lastMissed = lastAt;
        }
    }
    return Query(db, QStringLiteral("UPDATE copy_items SET misses = ?, last_missed = ?, open = ?, clean_streak = ?, "
                                    "last_at = ? WHERE lesson = ? AND exercise = ? AND item = ?"),
                 {misses, lastMissed, int(state.open), state.cleanStreak, lastAt, lesson, exercise, item})
        .run();
}

// The ids of a page, as many placeholders.
QString idList(const RecordData::FetchedPage &page, QVariantList &ids)
{
    for (const QVariantList &row : page.rows)
        ids << row[0];
    return QStringList(ids.size(), QStringLiteral("?")).join(u',');
}

// The rows of a page the copy has not had, noting those the next round may bring again.
// Pages of one round never overlap (the cursor moves with each page kept); a round
// begins where the one before began, so only rows of transactions from then on can come
// twice.
QSqlError newRows(const QSqlDatabase &db, const QString &lesson, const RecordData::FetchedPage &page,
                  std::vector<const QVariantList *> &fresh)
{
    const QString what = tableName(page.table);
    QVariantList ids;
    Query known(db, QStringLiteral("SELECT uid FROM copy_recent WHERE uid IN (%1)").arg(idList(page, ids)), ids);
    Query round(db, QStringLiteral("SELECT round_start FROM copy_fetched WHERE lesson = ? AND what = ?"), {lesson, what});
    for (Query *query : {&known, &round}) {
        if (QSqlError error = query->run(); error.isValid())
            return error;
    }
    std::set<QString> had;
    while (known.query.next())
        had.insert(known.query.value(0).toString());
    const qint64 roundStart = round.query.next() ? round.query.value(0).toLongLong() : 0;
    Query note(db, QStringLiteral("INSERT INTO copy_recent(uid, what, txid) VALUES (?, ?, ?)"));
    const int txid = page.table == Table::Answers ? 8 : 6;
    for (const QVariantList &row : page.rows) {
        if (had.count(row[0].toString()))
            continue;
        fresh.push_back(&row);
        if (row[txid].toLongLong() < roundStart)
            continue;
        for (const QVariant &value : {row[0], QVariant(what), row[txid]})
            note.query.addBindValue(value);
        if (QSqlError error = note.run(); error.isValid())
            return error;
    }
    return {};
}

// This computer's rows among a page are counted through the copy from now on.
QSqlError markHere(const QSqlDatabase &db, const RecordData::FetchedPage &page)
{
    QVariantList ids;
    const QString list = idList(page, ids);
    return page.table == Table::Answers
               ? Query(db, QStringLiteral("UPDATE answers SET in_copy = 1 WHERE uid IN (%1)").arg(list), ids).run()
               : QSqlError();
}

// Each page in a few statements: the new answers, the days once each, and each item
// once, from where the copy left it.
QSqlError keepAnswers(const QSqlDatabase &db, const QString &lesson, const RecordData::FetchedPage &page)
{
    std::vector<const QVariantList *> fresh; // uid, at, exercise, item, expected, right, solution shown, retry, txid
    if (QSqlError error = newRows(db, lesson, page, fresh); error.isValid() || fresh.empty())
        return error;
    if (QSqlError error = markHere(db, page); error.isValid())
        return error;
    Query insert(db, QStringLiteral("INSERT INTO copy_answers(lesson, exercise, item, at, right, solution_shown, retry) "
                                    "VALUES (?, ?, ?, ?, ?, ?, ?)"));
    // First tries per exercise and the learner's local day.
    std::map<std::pair<QString, QString>, std::pair<int, int>> days;
    // Each item's answers of the page, in the order given.
    std::map<std::pair<QString, QString>, std::vector<const QVariantList *>> items;
    for (const QVariantList *row : fresh) {
        const bool right = (*row)[5].toBool(), solution = (*row)[6].toBool(), retry = (*row)[7].toBool();
        for (const QVariant &value : {QVariant(lesson), (*row)[2], (*row)[3], (*row)[1], QVariant(int(right)),
                                      QVariant(int(solution)), QVariant(int(retry))})
            insert.query.addBindValue(value);
        if (QSqlError error = insert.run(); error.isValid())
            return error;
        if (!retry) {
            const QString day = QDateTime::fromString((*row)[1].toString(), Qt::ISODateWithMs).toLocalTime().date()
                                    .toString(Qt::ISODate);
            auto &[tries, rightFirst] = days[{(*row)[2].toString(), day}];
            ++tries;
            rightFirst += right && !solution;
        }
        items[{(*row)[2].toString(), (*row)[3].toString()}].push_back(row);
    }
    Query day(db, QStringLiteral("INSERT INTO copy_days(lesson, exercise, day, first_tries, right_first) VALUES (?, ?, ?, ?, ?) "
                                 "ON CONFLICT(lesson, exercise, day) DO UPDATE SET first_tries = first_tries + "
                                 "excluded.first_tries, right_first = right_first + excluded.right_first"));
    for (const auto &[key, counts] : days) {
        for (const QVariant &value : {QVariant(lesson), QVariant(key.first), QVariant(key.second), QVariant(counts.first),
                                      QVariant(counts.second)})
            day.query.addBindValue(value);
        if (QSqlError error = day.run(); error.isValid())
            return error;
    }
    Query read(db, QStringLiteral("SELECT open, clean_streak, last_at, misses, last_missed FROM copy_items WHERE lesson = ? "
                                  "AND exercise = ? AND item = ?"));
    Query write(db, QStringLiteral("INSERT OR REPLACE INTO copy_items(lesson, exercise, item, expected, misses, last_missed, "
                                   "open, clean_streak, last_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const auto &[key, answers] : items) {
        for (const QVariant &value : {QVariant(lesson), QVariant(key.first), QVariant(key.second)})
            read.query.addBindValue(value);
        if (QSqlError error = read.run(); error.isValid())
            return error;
        ItemState state;
        QString lastAt, lastMissed;
        int misses = 0;
        if (read.query.next()) {
            state = {read.query.value(0).toBool(), read.query.value(1).toInt()};
            lastAt = read.query.value(2).toString();
            misses = read.query.value(3).toInt();
            lastMissed = read.query.value(4).toString();
        }
        read.query.finish();
        // An answer given before one the copy has (on a computer that was offline meanwhile):
        // the item's whole history again, in the order given.
        const bool late = std::any_of(answers.begin(), answers.end(),
                                      [&lastAt](const QVariantList *row) { return (*row)[1].toString() < lastAt; });
        for (const QVariantList *row : answers) {
            const Attempt attempt{key.second, (*row)[5].toBool(), (*row)[6].toBool(), (*row)[7].toBool()};
            state = AfterAttempt(state, attempt);
            lastAt = std::max(lastAt, (*row)[1].toString());
            if (!attempt.right || attempt.solutionShown) {
                ++misses;
                lastMissed = std::max(lastMissed, (*row)[1].toString());
            }
        }
        for (const QVariant &value : {QVariant(lesson), QVariant(key.first), QVariant(key.second), answers.back()->at(4),
                                      QVariant(misses), lastMissed.isEmpty() ? QVariant() : QVariant(lastMissed),
                                      QVariant(int(state.open)), QVariant(state.cleanStreak), QVariant(lastAt)})
            write.query.addBindValue(value);
        if (QSqlError error = write.run(); error.isValid())
            return error;
        if (late) {
            if (QSqlError error = replay(db, lesson, key.first, key.second); error.isValid())
                return error;
        }
    }
    return {};
}

QSqlError keepRuns(const QSqlDatabase &db, const QString &lesson, const RecordData::FetchedPage &page)
{
    std::vector<const QVariantList *> fresh; // uid, number, exercise, variant, ended, outcome, txid
    if (QSqlError error = newRows(db, lesson, page, fresh); error.isValid())
        return error;
    // A run sent before runs had ids of their own went under another: its number tells it.
    Query here(db, QStringLiteral("UPDATE runs SET in_copy = 1 WHERE uid = ? OR (id = ? AND lesson = ?)"));
    Query total(db, QStringLiteral(
        "INSERT INTO copy_run_totals(lesson, exercise, variant, accomplished, last_ended) VALUES (?, ?, ?, 1, ?) "
        "ON CONFLICT(lesson, exercise, variant) DO UPDATE SET accomplished = accomplished + 1, "
        "last_ended = max(COALESCE(last_ended, ''), excluded.last_ended)"));
    for (const QVariantList *row : fresh) {
        for (const QVariant &value : {(*row)[0], (*row)[1], QVariant(lesson)})
            here.query.addBindValue(value);
        if (QSqlError error = here.run(); error.isValid())
            return error;
        if ((*row)[5].toString() != u"accomplished")
            continue;
        for (const QVariant &value : {QVariant(lesson), (*row)[2], (*row)[3], (*row)[4]})
            total.query.addBindValue(value);
        if (QSqlError error = total.run(); error.isValid())
            return error;
    }
    return {};
}

// Another server's copy says nothing of this one's: it goes, and every row of this
// computer counts as not in the copy until this server's rows are fetched.
QSqlError ownCopy(const QSqlDatabase &db, const QString &server)
{
    Query owner(db, QStringLiteral("SELECT server FROM copy_owner"));
    if (QSqlError error = owner.run(); error.isValid())
        return error;
    if (owner.query.next() && owner.query.value(0).toString() == server)
        return {};
    owner.query.finish();
    for (const char *statement :
         {"DELETE FROM copy_owner", "DELETE FROM copy_answers", "DELETE FROM copy_recent", "DELETE FROM copy_days",
          "DELETE FROM copy_items", "DELETE FROM copy_run_totals", "DELETE FROM copy_fetched",
          "UPDATE answers SET in_copy = 0 WHERE in_copy = 1", "UPDATE runs SET in_copy = 0 WHERE in_copy = 1"}) {
        if (QSqlError error = Query(db, QLatin1String(statement)).run(); error.isValid())
            return error;
    }
    return Query(db, QStringLiteral("INSERT INTO copy_owner(server) VALUES (?)"), {server}).run();
}

} // namespace

std::pair<int, int> RecordClassRows::waiting(RecordReader &reader, const QString &server, Marks unnoted)
{
    const auto markOf = [&](const char *what) -> qint64 {
        QSqlQuery found = reader.ask(QStringLiteral("SELECT up_to FROM sent_marks WHERE what = ? AND server IN (?, '') "
                                                    "ORDER BY server = '' LIMIT 1"),
                                     {QLatin1String(what), server});
        return reader.next(found) ? found.value(0).toLongLong() : 0;
    };
    const qint64 answers = std::max(unnoted.first, markOf("answers"));
    const qint64 runs = std::max(unnoted.second, markOf("runs"));
    QSqlQuery count = reader.ask(QStringLiteral("SELECT (SELECT count(*) FROM answers WHERE id > ?), "
                                                "(SELECT count(*) FROM runs WHERE end_order > ?)"),
                                 {answers, runs});
    if (!reader.next(count))
        return {0, 0};
    return {count.value(0).toInt(), count.value(1).toInt()};
}

RecordData::Outgoing RecordClassRows::unsent(const QSqlDatabase &db, const QString &server, int rows, Marks unnoted)
{
    RecordData::Outgoing batch;
    Query answers(db, QStringLiteral("SELECT a.id, a.uid, a.at, a.lesson, a.exercise, a.item, a.expected, a.given, a.right, "
                                     "a.solution_shown, a.retry, r.uid FROM answers a LEFT JOIN runs r ON r.id = a.run "
                                     "WHERE a.id > ? ORDER BY a.id LIMIT ?"),
                  {std::max(unnoted.first, mark(db, server, "answers")), rows});
    // A class server tells a run accomplished from one that was not, however it ended
    // (left by the learner, or cut short by the program's end).
    Query runs(db, QStringLiteral("SELECT end_order, uid, id, lesson, exercise, variant, person, started, ended, "
                                  "CASE outcome WHEN 'accomplished' THEN outcome ELSE 'left' END "
                                  "FROM runs WHERE end_order > ? ORDER BY end_order LIMIT ?"),
               {std::max(unnoted.second, mark(db, server, "runs")), rows});
    for (Query *query : {&answers, &runs}) {
        if (const QSqlError error = query->run(); error.isValid()) {
            batch.problem = error.text();
            return batch;
        }
    }
    // Names (lesson, exercise, variant) and texts each within the server's limits.
    const auto longest = [](int column, std::initializer_list<int> names) {
        return std::find(names.begin(), names.end(), column) != names.end() ? LongestName : LongestText;
    };
    while (answers.query.next()) {
        batch.answersUpTo = answers.query.value(0).toLongLong();
        QVariantList row{answers.query.value(1), answers.query.value(2)};
        for (int column = 3; column <= 7; ++column)
            row << clean(answers.query.value(column), longest(column, {3, 4}));
        for (int column = 8; column <= 10; ++column)
            row << answers.query.value(column).toBool();
        row << answers.query.value(11);
        batch.answers.push_back(row);
    }
    while (runs.query.next()) {
        batch.runsUpTo = runs.query.value(0).toLongLong();
        QVariantList row{runs.query.value(1), runs.query.value(2)};
        for (int column = 3; column <= 6; ++column)
            row << clean(runs.query.value(column), LongestName);
        row << runs.query.value(7) << runs.query.value(8) << runs.query.value(9);
        batch.runs.push_back(row);
    }
    return batch;
}

QSqlError RecordClassRows::markSent(const QSqlDatabase &db, const QString &server, Marks sent)
{
    // The marks of before servers had keys are this server's from now on, and no other's.
    const qint64 answers = mark(db, server, "answers");
    const qint64 runs = mark(db, server, "runs");
    // Qt's driver takes every placeholder as one of its own: a value used twice is bound twice.
    Query write(db, QStringLiteral("INSERT OR REPLACE INTO sent_marks(server, what, up_to) VALUES (?, 'answers', ?), "
                                   "(?, 'runs', ?)"),
                {server, std::max(answers, sent.first), server, std::max(runs, sent.second)});
    if (QSqlError error = write.run(); error.isValid())
        return error;
    return Query(db, QStringLiteral("DELETE FROM sent_marks WHERE server = ''")).run();
}

QSqlError RecordClassRows::cursor(const QSqlDatabase &db, const QString &server, const QString &lesson, Table table,
                                  RecordData::FetchCursor &found)
{
    if (QSqlError error = ownCopy(db, server); error.isValid())
        return error;
    Query read(db, QStringLiteral("SELECT since, round_start, after_txid, after_at, after_uid FROM copy_fetched "
                                  "WHERE lesson = ? AND what = ?"),
               {lesson, tableName(table)});
    if (QSqlError error = read.run(); error.isValid())
        return error;
    found = {};
    if (read.query.next())
        found = {{}, read.query.value(0).toLongLong(), read.query.value(1).toLongLong(), read.query.value(2).toLongLong(),
                 read.query.value(3).toString(), read.query.value(4).toString()};
    return {};
}

QSqlError RecordClassRows::beginRound(const QSqlDatabase &db, const QString &lesson, Table table, qint64 roundStart)
{
    return Query(db, QStringLiteral("INSERT INTO copy_fetched(lesson, what, since, round_start, after_txid, after_at, "
                                    "after_uid) VALUES (?, ?, 0, ?, -1, '', '') ON CONFLICT(lesson, what) DO UPDATE SET "
                                    "round_start = excluded.round_start, after_txid = -1, after_at = '', after_uid = ''"),
                 {lesson, tableName(table), roundStart})
        .run();
}

QSqlError RecordClassRows::keep(const QSqlDatabase &db, const QString &lesson, const RecordData::FetchedPage &page)
{
    const QSqlError error = page.table == Table::Answers ? keepAnswers(db, lesson, page) : keepRuns(db, lesson, page);
    if (error.isValid() || page.rows.empty())
        return error;
    return Query(db, QStringLiteral("UPDATE copy_fetched SET after_txid = ?, after_at = ?, after_uid = ? WHERE lesson = ? "
                                    "AND what = ?"),
                 {page.lastTxid, page.lastAt, page.lastUid, lesson, tableName(page.table)})
        .run();
}

QSqlError RecordClassRows::endRound(const QSqlDatabase &db, const QString &lesson, Table table)
{
    // The next round begins with this one's first transaction: rows of earlier ones never come again.
    Query forgotten(db, QStringLiteral("DELETE FROM copy_recent WHERE what = ? AND txid < (SELECT round_start FROM "
                                       "copy_fetched WHERE lesson = ? AND what = ?)"),
                    {tableName(table), lesson, tableName(table)});
    if (QSqlError error = forgotten.run(); error.isValid())
        return error;
    return Query(db, QStringLiteral("UPDATE copy_fetched SET since = round_start, round_start = 0, after_txid = -1, "
                                    "after_at = '', after_uid = '', at = ? WHERE lesson = ? AND what = ?"),
                 {QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs), lesson, tableName(table)})
        .run();
}
