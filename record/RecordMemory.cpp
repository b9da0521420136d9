#include "RecordMemory.h"

#include "RecordReader.h"

#include <QHash>
#include <QVariant>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double MsPerDay = 86'400'000.0;

struct Kept
{
    Fsrs::Memory memory;
    qint64 lastMs = 0;
};

Kept afterReview(const Kept &before, qint64 atMs, Fsrs::Grade grade)
{
    const double days = before.memory.known() ? double(atMs - before.lastMs) / MsPerDay : 0;
    return {Fsrs::review(before.memory, days, grade), atMs};
}

// A query of the memory table, of one lesson or (with none) of all, its values bound.
QSqlQuery ask(RecordReader &reader, const QString &statement, const QString &lesson, QVariantList values)
{
    if (!lesson.isEmpty())
        values.prepend(lesson);
    return reader.ask(statement.arg(lesson.isEmpty() ? QStringLiteral("1") : QStringLiteral("lesson = ?")), values);
}

// How long an item stays fresh per day of its stability: it falls due at
// last_review + stability × this (the interval is proportional to S).
double msPerStabilityDay(double retention)
{
    return Fsrs::interval(retention, 1) * MsPerDay;
}

// When an item of this stability, last reviewed then, falls due.
qint64 dueMs(double retention, double stability, qint64 lastMs)
{
    return lastMs + qint64(stability * msPerStabilityDay(retention));
}

} // namespace

namespace RecordMemory {

QSqlError rebuild(QSqlDatabase &db)
{
    QSqlQuery answers(db);
    answers.setForwardOnly(true);
    // The time as UTC milliseconds, from the ISO text the answers keep.
    if (!answers.exec(QStringLiteral("SELECT lesson, exercise, item, CAST(round((julianday(at) - 2440587.5) * 86400000) "
                                     "AS INTEGER), right, solution_shown, retry FROM answers ORDER BY at, id")))
        return answers.lastError();
    QHash<QString, Kept> kept;
    std::vector<std::array<QString, 3>> order; // the items, as first answered
    while (answers.next()) {
        const std::array<QString, 3> key{answers.value(0).toString(), answers.value(1).toString(), answers.value(2).toString()};
        const QString joined = key[0] + u'\x1f' + key[1] + u'\x1f' + key[2];
        auto found = kept.find(joined);
        if (found == kept.end()) {
            found = kept.insert(joined, {});
            order.push_back(key);
        }
        *found = afterReview(*found, answers.value(3).toLongLong(),
                             Fsrs::gradeOf(answers.value(4).toBool(), answers.value(5).toBool(), answers.value(6).toBool()));
    }
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO memory(lesson, exercise, item, stability, difficulty, last_review) "
                                  "VALUES(?, ?, ?, ?, ?, ?)"));
    for (const auto &key : order) {
        const Kept &item = kept[key[0] + u'\x1f' + key[1] + u'\x1f' + key[2]];
        for (const QVariant &value : {QVariant(key[0]), QVariant(key[1]), QVariant(key[2]), QVariant(item.memory.stability),
                                      QVariant(item.memory.difficulty), QVariant(item.lastMs)})
            insert.addBindValue(value);
        if (!insert.exec())
            return insert.lastError();
    }
    return {};
}

Updater::Updater(const QSqlDatabase &db) : read(db), write(db)
{
    read.prepare(QStringLiteral(
        "SELECT stability, difficulty, last_review FROM memory WHERE lesson = ? AND exercise = ? AND item = ?"));
    write.prepare(QStringLiteral(
        "INSERT INTO memory(lesson, exercise, item, stability, difficulty, last_review) VALUES(?, ?, ?, ?, ?, ?) "
        "ON CONFLICT(lesson, exercise, item) DO UPDATE SET stability = excluded.stability, "
        "difficulty = excluded.difficulty, last_review = excluded.last_review"));
}

QSqlError Updater::answered(const QString &lesson, const QString &exercise, const QString &item, qint64 atMs,
                            Fsrs::Grade grade)
{
    for (const QString &value : {lesson, exercise, item})
        read.addBindValue(value);
    if (!read.exec())
        return read.lastError();
    Kept before;
    if (read.next())
        before = {{read.value(0).toDouble(), read.value(1).toDouble()}, read.value(2).toLongLong()};
    read.finish();
    const Kept after = afterReview(before, atMs, grade);
    for (const QVariant &value : {QVariant(lesson), QVariant(exercise), QVariant(item), QVariant(after.memory.stability),
                                  QVariant(after.memory.difficulty), QVariant(after.lastMs)})
        write.addBindValue(value);
    return write.exec() ? QSqlError() : write.lastError();
}

RecordData::DueItems due(RecordReader &reader, const RecordData::ReviewQuestion &question, int most)
{
    // Chosen in SQLite: the recall falls as the days since the last review per day of
    // stability grow, so the largest of those are the least likely recalled.
    QSqlQuery rows = ask(reader, QStringLiteral(
        "SELECT m.lesson, m.exercise, m.item, m.stability, m.last_review, i.expected FROM "
        "(SELECT * FROM memory WHERE %1 AND last_review + stability * ? <= ? "
        "ORDER BY (? - last_review) / stability DESC LIMIT ?) m LEFT JOIN items i USING(lesson, exercise, item) "
        "ORDER BY (? - m.last_review) / m.stability DESC"),
        question.lesson, {msPerStabilityDay(question.retention), question.nowMs, question.nowMs, most, question.nowMs});
    RecordData::DueItems found;
    while (reader.next(rows)) {
        found.push_back({rows.value(0).toString(), rows.value(1).toString(), rows.value(2).toString(),
                         rows.value(5).toString(),
                         Fsrs::retrievability(double(question.nowMs - rows.value(4).toLongLong()) / MsPerDay,
                                              rows.value(3).toDouble())});
    }
    if (reader.failed()) {
        RecordData::DueItems none;
        none.failure = reader.failure();
        return none;
    }
    return found;
}

RecordData::ReviewFigures figures(RecordReader &reader, const RecordData::ReviewQuestion &question)
{
    RecordData::ReviewFigures figures;
    figures.forecast.assign(30, 0);
    double recallSum = 0;
    QSqlQuery rows = ask(reader, QStringLiteral("SELECT stability, last_review FROM memory WHERE %1"), question.lesson, {});
    while (reader.next(rows)) {
        const double stability = rows.value(0).toDouble();
        const qint64 lastMs = rows.value(1).toLongLong();
        const qint64 due = dueMs(question.retention, stability, lastMs);
        ++figures.items;
        recallSum += Fsrs::retrievability(double(question.nowMs - lastMs) / MsPerDay, stability);
        // Days from the start of the learner's day (a day with a clock change is a day and an hour out).
        const qint64 daysAhead = due <= question.nowMs ? 0 : (due - question.todayMs) / qint64(MsPerDay);
        figures.dueNow += due <= question.nowMs;
        figures.dueInWeek += daysAhead < 7;
        if (daysAhead < 30)
            ++figures.forecast[std::size_t(daysAhead)];
        if (due > question.nowMs && (figures.nextDueMs == 0 || due < figures.nextDueMs))
            figures.nextDueMs = due;
    }
    if (reader.failed()) {
        RecordData::ReviewFigures none;
        none.failure = reader.failure();
        return none;
    }
    figures.recall = figures.items ? recallSum / figures.items : 0;
    return figures;
}

} // namespace RecordMemory
