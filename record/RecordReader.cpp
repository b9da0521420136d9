#include "RecordReader.h"

namespace {

// SQLite's primary result codes for a file another connection holds.
enum SqliteCode { Busy = 5, Locked = 6 };

} // namespace

bool RecordReader::isBusy(const QSqlError &error)
{
    // Qt gives SQLite's result code as text; the low byte is the primary code
    // also when extended codes are on.
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == Busy || code == Locked;
}

void RecordReader::keep(const QSqlError &found)
{
    if (!error.isValid() && found.isValid())
        error = found;
    // A failure with no words of its own still counts as one.
    if (!error.isValid())
        error = QSqlError(QStringLiteral("reading the record failed"), {}, QSqlError::StatementError);
}

QSqlQuery RecordReader::ask(const QString &statement, const QVariantList &values)
{
    QSqlQuery query(db);
    if (failed())
        return query;
    query.setForwardOnly(true);
    if (!query.prepare(statement)) {
        keep(query.lastError());
        return QSqlQuery(db);
    }
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        keep(query.lastError());
        return QSqlQuery(db);
    }
    return query;
}

bool RecordReader::next(QSqlQuery &query)
{
    if (failed())
        return false;
    if (query.next())
        return true;
    if (query.lastError().isValid())
        keep(query.lastError());
    return false;
}

RecordData::ReadFailure RecordReader::failure() const
{
    if (!failed())
        return RecordData::ReadFailure::None;
    return isBusy(error) ? RecordData::ReadFailure::Busy : RecordData::ReadFailure::Failed;
}
