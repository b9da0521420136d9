#pragma once

#include "RecordTypes.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

// Reads the record for one question. Every statement is checked, and so is every
// step through its rows: the first failure is kept and nothing more is read, so that
// a busy or damaged file is never taken for a record that holds nothing.
class RecordReader
{
public:
    explicit RecordReader(QSqlDatabase db) : db(std::move(db)) {}

    // The statement run, forward only, its values bound one a placeholder; after a
    // failure, a query that gives no rows.
    QSqlQuery ask(const QString &statement, const QVariantList &values = {});
    // The next row of a query asked here; a row that cannot be read is a failure.
    bool next(QSqlQuery &query);

    bool failed() const { return error.isValid(); }
    const QSqlError &firstError() const { return error; }
    RecordData::ReadFailure failure() const;

    // SQLite's busy or locked: another connection holds the file.
    static bool isBusy(const QSqlError &error);

private:
    void keep(const QSqlError &found);

    QSqlDatabase db;
    QSqlError error;
};
