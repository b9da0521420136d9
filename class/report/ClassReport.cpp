#include "ClassReport.h"

#include "class/ServerText.h"
#include "common/Csv.h"
#include "lesson/LessonFiles.h"
#include "review/ReviewPlan.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>
#include <set>

namespace {

bool inLesson(const ClassReport::Exercise &exercise, const QString &lesson)
{
    return lesson == ClassReport::AllLessons || exercise.lesson == lesson;
}

// Columns padded to their widest cell, two spaces apart.
QString aligned(const QList<QStringList> &rows)
{
    std::vector<qsizetype> widths;
    for (const QStringList &row : rows)
        for (qsizetype column = 0; column < row.size(); ++column) {
            widths.resize(std::max<size_t>(widths.size(), column + 1));
            widths[column] = std::max(widths[column], row[column].size());
        }
    QString text;
    for (const QStringList &row : rows) {
        QStringList padded;
        for (qsizetype column = 0; column < row.size(); ++column)
            padded << row[column].leftJustified(widths[column]);
        text += padded.join(QStringLiteral("  ")).trimmed() + u'\n';
    }
    return text;
}

QString day(const QDateTime &when)
{
    return when.isValid() ? when.toLocalTime().date().toString(Qt::ISODate) : QStringLiteral("–");
}

// A count as the server gave it; anything but a whole number from 0 up is none. Read
// through its text, so that no type a server may give is cut to 32 bits or wraps.
qint64 count(const QVariant &value)
{
    bool ok = false;
    const qint64 number = value.toString().toLongLong(&ok);
    return ok ? std::max<qint64>(number, 0) : 0;
}

// A time as the server gave it (infinity is none), never later than now: a server's
// clock a little ahead of this one's must not make a day to come.
QDateTime when(const QVariant &value)
{
    return std::min(value.toDateTime(), QDateTime::currentDateTime());
}

// A PostgreSQL array of text, as its literal: every element quoted.
QString textArray(const QStringList &elements)
{
    QStringList quoted;
    for (QString element : elements)
        quoted << u'"' + element.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\"")) + u'"';
    return u'{' + quoted.join(u',') + u'}';
}

} // namespace

std::vector<ClassReport::Lesson> ClassReport::knownLessons(const Lesson &played)
{
    std::vector<Lesson> found;
    const auto add = [&found](const Lesson &lesson) {
        if (!lesson.id.isEmpty() && std::none_of(found.begin(), found.end(), [&](const Lesson &had) { return had.id == lesson.id; }))
            found.push_back(lesson);
    };
    add(played);
    for (const LessonModel::Lesson &known : LessonFiles::knownLessons()) {
        Lesson lesson{known.id, {}};
        for (const LessonModel::Exercise &exercise : known.exercises)
            lesson.exercises << exercise.id;
        add(lesson);
    }
    return found;
}

QDateTime ClassReport::since(const QDate &today)
{
    return QDateTime(today.addDays(1 - Days), QTime(0, 0));
}

QString ClassReport::read(const ClassServer &server, const QString &connectionName, std::vector<Lesson> lessons, const QDate &today)
{
    *this = {};
    known = std::move(lessons);
    // What counts: the known pairs, sent as two arrays, and checked again here.
    std::set<Exercise> counted;
    QStringList lessonIds, exerciseIds;
    for (const Lesson &lesson : known)
        for (const QString &exercise : lesson.exercises) {
            counted.insert({lesson.id, exercise});
            lessonIds << lesson.id;
            exerciseIds << exercise;
        }
    const QString lessonArray = textArray(lessonIds), exerciseArray = textArray(exerciseIds);
    const QString from = since(today).toUTC().toString(Qt::ISODateWithMs);
    if (const QString problem = server.open(connectionName); !problem.isEmpty())
        return problem;
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const auto exec = [&](const QString &statement, const QVariantList &values = {}) {
        // SET cannot be prepared.
        if (values.isEmpty())
            return query.exec(statement);
        query.prepare(statement);
        for (const QVariant &value : values)
            query.addBindValue(value);
        return query.exec();
    };
    const auto failed = [&] {
        const QString why = serverLine(query.lastError());
        query.finish();
        db.rollback();
        *this = {};
        return QStringLiteral("The class server did not give the report (%1).").arg(why);
    };
    // One snapshot, so that the figures agree with each other while learners go on sending.
    if (!db.transaction() || !exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY")))
        return failed();
    // A learner may not read the teachers' list at all; a teacher reads its own rows.
    const bool teacher = exec(QStringLiteral("SELECT class FROM bimbala.teachers ORDER BY class"));
    if (!teacher && query.lastError().nativeErrorCode() != QLatin1String("42501"))
        return failed();
    while (teacher && query.next())
        classes << serverText(query.value(0));
    if (classes.isEmpty()) {
        query.finish();
        db.rollback();
        return QStringLiteral("%1 is not a teacher of a class on this server.").arg(server.learner);
    }

    bool ok = exec(QStringLiteral("SELECT name, class, display FROM bimbala.learners ORDER BY class, coalesce(display, name), name"));
    while (ok && query.next())
        learners.push_back({serverText(query.value(0)), serverText(query.value(2)), serverText(query.value(1))});
    // A row of an exercise not asked for, from a server that does not keep to the question, is left out.
    const auto cellOf = [&]() -> Cell * {
        const Exercise exercise{serverText(query.value(1)), serverText(query.value(2))};
        return counted.count(exercise) ? &cells[{serverText(query.value(0)), exercise}] : nullptr;
    };
    ok = ok && exec(QStringLiteral("SELECT learner, lesson, exercise, first_tries, right_first, last_answer "
                                   "FROM bimbala.class_shares(?::timestamptz, ?::text[], ?::text[])"),
                    {from, lessonArray, exerciseArray});
    while (ok && query.next())
        if (Cell *cell = cellOf()) {
            cell->firstTries = count(query.value(3));
            cell->rightFirst = std::min(count(query.value(4)), cell->firstTries);
            cell->last = when(query.value(5));
        }
    ok = ok && exec(QStringLiteral("SELECT learner, lesson, exercise, accomplished, last_run FROM bimbala.class_runs(?::text[], ?::text[])"),
                    {lessonArray, exerciseArray});
    while (ok && query.next())
        if (Cell *cell = cellOf()) {
            cell->accomplished = count(query.value(3));
            cell->last = std::max(cell->last, when(query.value(4)));
        }
    ok = ok && exec(QStringLiteral("SELECT lesson, exercise, item, expected, learners, misses "
                                   "FROM bimbala.most_missed(?::timestamptz, ?, ?::text[], ?::text[])"),
                    {from, MostMissed, lessonArray, exerciseArray});
    while (ok && query.next()) {
        const Missed item{{serverText(query.value(0)), serverText(query.value(1))}, serverText(query.value(2)),
                          serverText(query.value(3)), count(query.value(4)), count(query.value(5))};
        if (counted.count(item.exercise) && item.misses > 0)
            missed.push_back(item);
    }
    if (!ok)
        return failed();
    // A server set up before the review has no such function: the rest of the report stands.
    if (exec(QStringLiteral("SELECT learner, lesson, items, due, recall "
                            "FROM bimbala.class_reviews(?::timestamptz, ?, ?::text[], ?::text[])"),
             {QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs), reviewRetention(), lessonArray, exerciseArray})) {
        while (query.next()) {
            const QString lesson = serverText(query.value(1));
            if (std::none_of(known.begin(), known.end(), [&](const Lesson &l) { return l.id == lesson; }))
                continue;
            const double recall = query.value(4).toDouble();
            Memory &kept = memory[{serverText(query.value(0)), lesson}];
            kept.items = count(query.value(2));
            kept.due = std::min(count(query.value(3)), kept.items);
            kept.recall = std::isfinite(recall) ? std::clamp(recall, 0.0, 1.0) : 0;
        }
    }
    query.finish();
    db.rollback();
    return {};
}

QStringList ClassReport::lessons() const
{
    QStringList ids;
    for (const Lesson &lesson : known)
        ids << lesson.id;
    return ids;
}

std::vector<ClassReport::Exercise> ClassReport::exercises(const QString &lesson) const
{
    std::vector<Exercise> ordered;
    for (const Lesson &each : known)
        if (lesson == AllLessons || each.id == lesson)
            for (const QString &id : each.exercises)
                ordered.push_back({each.id, id});
    return ordered;
}

std::vector<ClassReport::Missed> ClassReport::mostMissed(const QString &lesson) const
{
    std::vector<Missed> chosen;
    for (const Missed &item : missed)
        if (inLesson(item.exercise, lesson) && chosen.size() < size_t(MostMissed))
            chosen.push_back(item);
    return chosen;
}

QList<QStringList> ClassReport::table(const QString &lesson) const
{
    const std::vector<Exercise> columns = exercises(lesson);
    QStringList header{QStringLiteral("Learner")};
    for (const Exercise &exercise : columns)
        header << (lesson == AllLessons ? exercise.lesson + u' ' + exercise.id : exercise.id);
    header << QStringLiteral("Review");
    QList<QStringList> rows{header};
    for (const Learner &learner : learners) {
        // A teacher of one class knows whose it is.
        QStringList row{classes.size() > 1 ? QStringLiteral("%1 (%2)").arg(learner.shown(), learner.className) : learner.shown()};
        for (const Exercise &exercise : columns) {
            const auto found = cells.find({learner.name, exercise});
            row << cellText(found == cells.end() ? nullptr : &found->second);
        }
        row << reviewText(learner.name, lesson);
        rows << row;
    }
    return rows;
}

QString ClassReport::cellText(const Cell *cell)
{
    if (!cell)
        return QStringLiteral("–");
    const QString share = cell->firstTries == 0
                              ? QStringLiteral("–")
                              : QStringLiteral("%1%").arg(qRound(100.0 * cell->rightFirst / cell->firstTries));
    return QStringLiteral("%1 · %2 · %3").arg(cell->accomplished).arg(share, day(cell->last));
}

QString ClassReport::reviewText(const QString &learner, const QString &lesson) const
{
    Memory all;
    double recalled = 0;
    for (const Lesson &each : known) {
        const auto found = memory.find({learner, each.id});
        if ((lesson != AllLessons && each.id != lesson) || found == memory.end())
            continue;
        all.items += found->second.items;
        all.due += found->second.due;
        recalled += found->second.recall * double(found->second.items);
    }
    if (all.items == 0)
        return QStringLiteral("–");
    return QStringLiteral("%1 due · %2%").arg(all.due).arg(qRound(100 * recalled / double(all.items)));
}

QString ClassReport::legend()
{
    return QStringLiteral("Each cell: runs accomplished · right at the first try (last %1 days) · last practised. "
                          "Review: items due now · the share a learner would recall now.").arg(Days);
}

QString ClassReport::text(const QString &lesson) const
{
    QString text = QStringLiteral("Classes: %1\n%2\n\n").arg(classes.join(QStringLiteral(", ")), legend());
    text += learners.empty() ? QStringLiteral("No learners in these classes yet.\n") : aligned(table(lesson));
    const std::vector<Missed> items = mostMissed(lesson);
    if (items.empty())
        return text;
    QList<QStringList> rows{{QStringLiteral("Learners"), QStringLiteral("Misses"), QStringLiteral("Exercise"), QStringLiteral("Item"),
                             QStringLiteral("Right answer")}};
    for (const Missed &item : items)
        rows << QStringList{QString::number(item.learners), QString::number(item.misses), item.exercise.lesson + u' ' + item.exercise.id,
                            item.item, item.expected};
    return text + QStringLiteral("\nMissed most often (last %1 days):\n").arg(Days) + aligned(rows);
}

QByteArray ClassReport::csv(const QString &lesson) const
{
    QString text = Csv::record({QStringLiteral("learner"), QStringLiteral("login"), QStringLiteral("class"), QStringLiteral("lesson"),
                                QStringLiteral("exercise"), QStringLiteral("runs accomplished"),
                                QStringLiteral("first tries, last %1 days").arg(Days),
                                QStringLiteral("right at the first try, last %1 days").arg(Days),
                                QStringLiteral("last practised")});
    const std::vector<Exercise> columns = exercises(lesson);
    for (const Learner &learner : learners)
        for (const Exercise &exercise : columns) {
            const auto found = cells.find({learner.name, exercise});
            if (found == cells.end())
                continue;
            const Cell &cell = found->second;
            text += Csv::record({learner.shown(), learner.name, learner.className, exercise.lesson, exercise.id,
                                 QString::number(cell.accomplished), QString::number(cell.firstTries),
                                 QString::number(cell.rightFirst), cell.last.toUTC().toString(Qt::ISODate)});
        }
    return text.toUtf8();
}
