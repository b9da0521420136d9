#pragma once

#include "RecordTypes.h"

#include <QSqlDatabase>
#include <QSqlError>

#include <utility>

class RecordReader;

// The record's side of a class server: what has not been sent to a server yet, the
// marks of what it has, and the copy of the learner's rows fetched back from it.
// A server is known by its key (learner@server:port/database): what one server has
// says nothing of another. The writes run inside the caller's transaction.
namespace RecordClassRows {

// Texts go to the server no longer than this, without control characters: it refuses
// longer ones and those, and a learner's row must never be refused for good.
inline constexpr int LongestText = 500;
inline constexpr int LongestName = 100;

// How far a server has the answers and the ended runs (by answer id and by the order runs
// ended in), where that is not noted in the file yet.
using Marks = std::pair<qint64, qint64>;

// Answers and ended runs that wait for the server; a failure to read them is kept by the reader.
std::pair<int, int> waiting(RecordReader &reader, const QString &server, Marks unnoted = {});
// The oldest answers and ended runs the server does not have yet, at most `rows` of each.
RecordData::Outgoing unsent(const QSqlDatabase &db, const QString &server, int rows, Marks unnoted = {});
QSqlError markSent(const QSqlDatabase &db, const QString &server, Marks sent);

// Where fetching a lesson's answers or runs stands. The copy is one server's: another
// server's copy is emptied first (this is why it is written in a transaction).
QSqlError cursor(const QSqlDatabase &db, const QString &server, const QString &lesson, RecordData::FetchedPage::Table table,
                 RecordData::FetchCursor &found);
// A round of fetching begins at the oldest transaction running on the server now.
QSqlError beginRound(const QSqlDatabase &db, const QString &lesson, RecordData::FetchedPage::Table table, qint64 roundStart);
// Keeps a page and moves the cursor past it.
QSqlError keep(const QSqlDatabase &db, const QString &lesson, const RecordData::FetchedPage &page);
// Every row of the round is kept: the next round begins where this one began.
QSqlError endRound(const QSqlDatabase &db, const QString &lesson, RecordData::FetchedPage::Table table);

} // namespace RecordClassRows
