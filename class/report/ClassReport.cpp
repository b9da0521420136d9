#include "ClassReport.h"

#include "common/Csv.h"

#include <QCollator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <set>

namespace {

// "1a" before "2" before "10", as a lesson numbers them.
bool inOrder(const QString &a, const QString &b)
{
    static const QCollator numeric = [] {
        QCollator collator;
        collator.setNumericMode(true);
        return collator;
    }();
    return numeric.compare(a, b) < 0;
}

bool inOrder(const ClassReport::Exercise &a, const ClassReport::Exercise &b)
{
    return a.lesson != b.lesson ? inOrder(a.lesson, b.lesson) : inOrder(a.id, b.id);
}

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

} // namespace

QString ClassReport::read(const ClassServer &server, const QString &connectionName)
{
    *this = {};
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
        const QString why = query.lastError().text().simplified();
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
        classes << query.value(0).toString();
    if (classes.isEmpty()) {
        query.finish();
        db.rollback();
        return QStringLiteral("%1 is not a teacher of a class on this server.").arg(server.learner);
    }

    bool ok = exec(QStringLiteral("SELECT name, class FROM bimbala.learners ORDER BY class, name"));
    while (ok && query.next())
        learners.push_back({query.value(0).toString(), query.value(1).toString()});
    ok = ok && exec(QStringLiteral("SELECT learner, lesson, exercise, first_tries, right_first, last_answer "
                                   "FROM bimbala.class_shares(?)"), {Days});
    while (ok && query.next()) {
        Cell &cell = cells[{query.value(0).toString(), {query.value(1).toString(), query.value(2).toString()}}];
        cell.firstTries = query.value(3).toInt();
        cell.rightFirst = query.value(4).toInt();
        cell.last = query.value(5).toDateTime();
    }
    ok = ok && exec(QStringLiteral("SELECT learner, lesson, exercise, accomplished, last_run FROM bimbala.class_runs()"));
    while (ok && query.next()) {
        Cell &cell = cells[{query.value(0).toString(), {query.value(1).toString(), query.value(2).toString()}}];
        cell.accomplished = query.value(3).toInt();
        cell.last = std::max(cell.last, query.value(4).toDateTime());
    }
    ok = ok && exec(QStringLiteral("SELECT lesson, exercise, item, expected, misses FROM bimbala.most_missed(?, ?)"),
                    {Days, MostMissed});
    while (ok && query.next())
        missed.push_back({{query.value(0).toString(), query.value(1).toString()}, query.value(2).toString(),
                          query.value(3).toString(), query.value(4).toInt()});
    if (!ok)
        return failed();
    query.finish();
    db.rollback();
    return {};
}

QStringList ClassReport::lessons() const
{
    std::set<QString> found;
    for (const auto &[key, cell] : cells)
        found.insert(key.second.lesson);
    QStringList sorted(found.begin(), found.end());
    std::sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) { return inOrder(a, b); });
    return sorted;
}

std::vector<ClassReport::Exercise> ClassReport::exercises(const QString &lesson, const QStringList &known) const
{
    std::vector<Exercise> ordered;
    for (const QString &id : known)
        ordered.push_back({lesson, id});
    std::set<Exercise> others;
    for (const auto &[key, cell] : cells)
        if (inLesson(key.second, lesson) && !(key.second.lesson == lesson && known.contains(key.second.id)))
            others.insert(key.second);
    std::vector<Exercise> rest(others.begin(), others.end());
    std::sort(rest.begin(), rest.end(), [](const Exercise &a, const Exercise &b) { return inOrder(a, b); });
    ordered.insert(ordered.end(), rest.begin(), rest.end());
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

QList<QStringList> ClassReport::table(const QString &lesson, const QStringList &known) const
{
    const std::vector<Exercise> columns = exercises(lesson, known);
    QStringList header{QStringLiteral("Learner")};
    for (const Exercise &exercise : columns)
        header << (lesson == AllLessons ? exercise.lesson + u' ' + exercise.id : exercise.id);
    QList<QStringList> rows{header};
    for (const Learner &learner : learners) {
        // A teacher of one class knows whose it is.
        QStringList row{classes.size() > 1 ? QStringLiteral("%1 (%2)").arg(learner.name, learner.className) : learner.name};
        for (const Exercise &exercise : columns) {
            const auto found = cells.find({learner.name, exercise});
            row << cellText(found == cells.end() ? nullptr : &found->second);
        }
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

QString ClassReport::legend()
{
    return QStringLiteral("Each cell: runs accomplished · right at the first try (last %1 days) · last practised.").arg(Days);
}

QString ClassReport::text(const QString &lesson) const
{
    QString text = QStringLiteral("Classes: %1\n%2\n\n").arg(classes.join(QStringLiteral(", ")), legend());
    text += learners.empty() ? QStringLiteral("No learners in these classes yet.\n") : aligned(table(lesson));
    const std::vector<Missed> items = mostMissed(lesson);
    if (items.empty())
        return text;
    QList<QStringList> rows{{QStringLiteral("Misses"), QStringLiteral("Exercise"), QStringLiteral("Item"), QStringLiteral("Right answer")}};
    for (const Missed &item : items)
        rows << QStringList{QString::number(item.misses), item.exercise.lesson + u' ' + item.exercise.id, item.item, item.expected};
    return text + QStringLiteral("\nMissed most often (last %1 days):\n").arg(Days) + aligned(rows);
}

QByteArray ClassReport::csv(const QString &lesson) const
{
    QString text = Csv::record({QStringLiteral("learner"), QStringLiteral("class"), QStringLiteral("lesson"),
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
            text += Csv::record({learner.name, learner.className, exercise.lesson, exercise.id,
                                 QString::number(cell.accomplished), QString::number(cell.firstTries),
                                 QString::number(cell.rightFirst), cell.last.toUTC().toString(Qt::ISODate)});
        }
    return text.toUtf8();
}
