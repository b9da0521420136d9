#include "RecordExport.h"

#include "common/Csv.h"

#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

qint64 RecordExport::answerCount(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    // From the first and last id, without reading the table: answers are only ever
    // deleted all together, so the ids between have no gaps worth counting.
    if (!query.exec(QStringLiteral("SELECT COALESCE(MAX(id) - MIN(id) + 1, 0) FROM answers")) || !query.next())
        return 0;
    return query.value(0).toLongLong();
}

RecordData::Exported RecordExport::write(const QSqlDatabase &db, const QString &file, Progress &progress)
{
    using Result = RecordData::Exported::Result;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT answers.at, answers.exercise, COALESCE(runs.variant, ''), "
                                   "COALESCE(runs.person, ''), answers.item, answers.expected, answers.given, "
                                   "answers.right, answers.solution_shown, answers.retry, answers.lesson "
                                   "FROM answers LEFT JOIN runs ON runs.id = answers.run ORDER BY answers.id")))
        return {Result::RecordUnreadable, query.lastError().text()};
    QSaveFile out(file);
    const auto put = [&out](const QStringList &fields) {
        const QByteArray line = Csv::record(fields).toUtf8();
        return out.write(line) == line.size();
    };
    bool ok = out.open(QIODevice::WriteOnly) &&
              put({QStringLiteral("time (UTC)"), QStringLiteral("exercise"), QStringLiteral("run"), QStringLiteral("person"),
                   QStringLiteral("item"), QStringLiteral("right answer"), QStringLiteral("answer given"),
                   QStringLiteral("right"), QStringLiteral("solution shown"), QStringLiteral("after a wrong try"),
                   QStringLiteral("lesson")});
    const auto yesNo = [](const QVariant &value) { return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no"); };
    while (ok && !progress.cancel && query.next()) {
        QStringList fields;
        for (int column = 0; column < 7; ++column)
            fields << query.value(column).toString();
        fields << yesNo(query.value(7)) << yesNo(query.value(8)) << yesNo(query.value(9)) << query.value(10).toString();
        ok = put(fields);
        ++progress.written;
    }
    if (progress.cancel)
        return {Result::Cancelled, {}};
    if (query.lastError().isValid())
        return {Result::RecordUnreadable, query.lastError().text()};
    // The decision to keep the file is taken here, once: a cancel that comes later is too late.
    if (!ok || !out.commit())
        return {Result::FileUnwritable, out.errorString()};
    return {Result::Written, {}};
}
