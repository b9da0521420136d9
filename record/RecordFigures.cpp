#include "RecordFigures.h"

#include "MistakeRule.h"
#include "RecordClassRows.h"
#include "RecordReader.h"

#include <QSqlQuery>
#include <QVariant>

#include <map>

namespace {

using RecordData::Scope;

// The same figures from two sources: this computer's summaries, kept up to date with
// every answer; or the summaries of the learner's rows on the class server, kept up to
// date as they are fetched, with this computer's rows not among them yet added (few:
// those given since the last fetch).
struct FigureQueries
{
    const char *runTotals; // exercise, variant, runs accomplished, when the last ended
    const char *days;      // exercise, day, first tries, right at the first try; days between two
    const char *missed;    // exercise, item, right answer, misses; the most first, then the latest
};

const FigureQueries &figureQueries(Scope scope)
{
    static const FigureQueries thisComputer{
        "SELECT exercise, variant, accomplished, last_ended FROM run_totals WHERE lesson = ?",
        "SELECT exercise, day, first_tries, right_first FROM days WHERE lesson = ? AND day BETWEEN ? AND ?",
        "SELECT exercise, item, expected, misses FROM items WHERE lesson = ? AND misses > 0 "
        "ORDER BY misses DESC, last_missed DESC LIMIT ?"};
    // The day is the learner's local one, as this computer's summaries count it. Each query's values
    // are bound once a placeholder, so the lesson (and the days) come twice.
    static const FigureQueries allComputers{
        "SELECT exercise, variant, accomplished, last_ended FROM copy_run_totals WHERE lesson = ? UNION ALL "
        "SELECT exercise, variant, count(*), max(ended) FROM runs WHERE lesson = ? AND in_copy = 0 "
        "AND outcome = 'accomplished' GROUP BY exercise, variant",
        "SELECT exercise, day, first_tries, right_first FROM copy_days WHERE lesson = ? AND day BETWEEN ? AND ? "
        "UNION ALL SELECT exercise, date(at, 'localtime'), count(*), sum(right AND NOT solution_shown) FROM answers "
        "WHERE lesson = ? AND in_copy = 0 AND NOT retry AND date(at, 'localtime') BETWEEN ? AND ? GROUP BY 1, 2",
        "SELECT exercise, item, max(expected), sum(m) AS misses, max(latest) AS last FROM ("
        "SELECT exercise, item, expected, misses AS m, last_missed AS latest FROM copy_items WHERE lesson = ? AND misses > 0 "
        "UNION ALL SELECT exercise, item, expected, 1, at FROM answers WHERE lesson = ? AND in_copy = 0 "
        "AND (NOT right OR solution_shown)) GROUP BY exercise, item ORDER BY misses DESC, last DESC LIMIT ?"};
    return scope == Scope::AllComputers ? allComputers : thisComputer;
}

void addRuns(RecordReader &reader, const RecordData::FiguresQuestion &question, std::vector<RecordData::Summary> &result)
{
    const bool both = question.scope == Scope::AllComputers;
    QSqlQuery runs = reader.ask(QLatin1String(figureQueries(question.scope).runTotals),
                                both ? QVariantList{question.lesson, question.lesson} : QVariantList{question.lesson});
    while (reader.next(runs)) {
        const auto i = std::size_t(question.exercises.indexOf(runs.value(0).toString()));
        if (i >= result.size())
            continue;
        RecordData::Summary &summary = result[i];
        const QString variant = runs.value(1).toString();
        if (variant == u"plus")
            summary.plusRuns += runs.value(2).toInt();
        else if (variant == u"basic")
            summary.basicRuns += runs.value(2).toInt();
        const QDateTime last = QDateTime::fromString(runs.value(3).toString(), Qt::ISODateWithMs);
        if (last.isValid() && (!summary.lastAccomplished.isValid() || last > summary.lastAccomplished))
            summary.lastAccomplished = last;
    }
}

// A first try is an answer with no wrong try before it; it is right only without the solution.
void addDays(RecordReader &reader, const RecordData::FiguresQuestion &question, QDate first,
             std::vector<RecordData::Summary> &result)
{
    QVariantList values{question.lesson, first.toString(Qt::ISODate), question.today.toString(Qt::ISODate)};
    if (question.scope == Scope::AllComputers)
        values += values;
    QSqlQuery shares = reader.ask(QLatin1String(figureQueries(question.scope).days), values);
    while (reader.next(shares)) {
        const auto i = std::size_t(question.exercises.indexOf(shares.value(0).toString()));
        const qint64 day = first.daysTo(QDate::fromString(shares.value(1).toString(), Qt::ISODate));
        if (i >= result.size() || day < 0 || day >= question.days)
            continue;
        RecordData::DayShare &share = result[i].days[std::size_t(day)];
        share.firstTries += shares.value(2).toInt();
        share.rightAtFirstTry += shares.value(3).toInt();
        result[i].firstTries += shares.value(2).toInt();
        result[i].rightAtFirstTry += shares.value(3).toInt();
    }
}

// This computer's mistakes, kept up to date with every answer.
QStringList mistakesHere(RecordReader &reader, const QString &lesson, const QString &exercise)
{
    QSqlQuery query = reader.ask(
        QStringLiteral("SELECT item FROM items WHERE lesson = ? AND exercise = ? AND open = 1 ORDER BY first_missed"),
        {lesson, exercise});
    QStringList items;
    while (reader.next(query))
        items << query.value(0).toString();
    return items;
}

// Every computer's: where the server's rows leave each item, then this computer's
// answers since the last fetch (the latest ones), oldest first.
QStringList mistakesEverywhere(RecordReader &reader, const QString &lesson, const QString &exercise)
{
    struct Item
    {
        ItemState state;
        QString since; // when it became a mistake, for the order
    };
    std::map<QString, Item> items;
    QSqlQuery copied = reader.ask(
        QStringLiteral("SELECT item, open, clean_streak, last_missed FROM copy_items WHERE lesson = ? AND exercise = ?"),
        {lesson, exercise});
    while (reader.next(copied))
        items[copied.value(0).toString()] = {{copied.value(1).toBool(), copied.value(2).toInt()}, copied.value(3).toString()};
    QSqlQuery here = reader.ask(QStringLiteral("SELECT item, right, solution_shown, retry, at FROM answers WHERE lesson = ? "
                                               "AND exercise = ? AND in_copy = 0 ORDER BY at"),
                                {lesson, exercise});
    while (reader.next(here)) {
        Item &item = items[here.value(0).toString()];
        const ItemState after = AfterAttempt(item.state, {here.value(0).toString(), here.value(1).toBool(),
                                                           here.value(2).toBool(), here.value(3).toBool()});
        if (after.open && !item.state.open)
            item.since = here.value(4).toString();
        item.state = after;
    }
    std::vector<std::pair<QString, QString>> open;
    for (const auto &[name, item] : items) {
        if (item.state.open)
            open.emplace_back(item.since, name);
    }
    std::sort(open.begin(), open.end());
    QStringList result;
    for (const auto &[since, name] : open)
        result << name;
    return result;
}

} // namespace

RecordData::Figures RecordFigures::figures(RecordReader &reader, const RecordData::FiguresQuestion &question,
                                           std::pair<qint64, qint64> unnoted)
{
    RecordData::Figures figures;
    figures.question = question;
    const QDate first = question.today.addDays(1 - question.days);
    for (const QString &code : question.exercises) {
        RecordData::Summary summary;
        summary.exercise = code;
        for (int i = 0; i < question.days; ++i)
            summary.days.push_back({first.addDays(i), 0, 0});
        figures.summaries.push_back(summary);
        figures.mistakes.push_back(int(mistakes(reader, question.lesson, code, question.scope).size()));
    }
    addRuns(reader, question, figures.summaries);
    addDays(reader, question, first, figures.summaries);
    QSqlQuery missed = reader.ask(QLatin1String(figureQueries(question.scope).missed),
                                  question.scope == Scope::AllComputers ? QVariantList{question.lesson, question.lesson, 10}
                                                                        : QVariantList{question.lesson, 10});
    while (reader.next(missed))
        figures.missed.push_back({missed.value(0).toString(), missed.value(1).toString(), missed.value(2).toString(),
                                  missed.value(3).toInt()});
    figures.serverCopyTime = serverCopyTime(reader, question.lesson);
    if (!question.server.isEmpty())
        std::tie(figures.answersWaiting, figures.runsWaiting) = RecordClassRows::waiting(reader, question.server, unnoted);
    if (reader.failed()) {
        // Nothing half-read is shown as if it were the record.
        RecordData::Figures none;
        none.question = question;
        none.failure = reader.failure();
        return none;
    }
    return figures;
}

QStringList RecordFigures::mistakes(RecordReader &reader, const QString &lesson, const QString &exercise,
                                    RecordData::Scope scope)
{
    return scope == Scope::AllComputers ? mistakesEverywhere(reader, lesson, exercise)
                                        : mistakesHere(reader, lesson, exercise);
}

QDateTime RecordFigures::serverCopyTime(RecordReader &reader, const QString &lesson)
{
    QSqlQuery query = reader.ask(QStringLiteral("SELECT min(at) FROM copy_fetched WHERE lesson = ?"), {lesson});
    if (!reader.next(query))
        return {};
    return QDateTime::fromString(query.value(0).toString(), Qt::ISODateWithMs);
}
