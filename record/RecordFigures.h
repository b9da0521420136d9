#pragma once

#include "RecordTypes.h"

#include <QSqlDatabase>

// What the Progress window and Practise my mistakes read of the record, from its
// summaries: a few hundred rows however long the record has grown.
namespace RecordFigures {

// `unnoted`: how far the server named has the record where the file does not say so yet.
RecordData::Figures figures(const QSqlDatabase &db, const RecordData::FiguresQuestion &question,
                            std::pair<qint64, qint64> unnoted = {});
// The items of an exercise to practise again (see MistakeRule), in the order they
// became mistakes.
QStringList mistakes(const QSqlDatabase &db, const QString &lesson, const QString &exercise, RecordData::Scope scope);
// When the class server's rows of a lesson were last fetched; invalid: never.
QDateTime serverCopyTime(const QSqlDatabase &db, const QString &lesson);

} // namespace RecordFigures
