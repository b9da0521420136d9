#pragma once

#include "RecordTypes.h"

#include <QSqlDatabase>

#include <atomic>

// Every recorded answer as CSV (RFC 4180, UTF-8, a header row), read forward, one
// row in memory at a time however long the record.
namespace RecordExport {

// How far an export has gone, and the way to stop it, shared with the window that shows it.
struct Progress
{
    std::atomic<qint64> written{0};
    std::atomic<bool> cancel{false};
};

// About how many answers an export writes, without reading them all.
qint64 answerCount(const QSqlDatabase &db);
// Written whole or not at all: a half-written or cancelled export never replaces a good
// file, nor leaves one behind.
RecordData::Exported write(const QSqlDatabase &db, const QString &file, Progress &progress);

} // namespace RecordExport
