#pragma once

#include "RecordTypes.h"

#include <QSqlDatabase>

// What the Progress window and Practise my mistakes read of the record, from its
// summaries: a few hundred rows however long the record has grown.
namespace RecordFigures {

RecordData::Figures figures(const QSqlDatabase &db, const RecordData::FiguresQuestion &question);
// The items of an exercise to practise again (see MistakeRule), in the order they
// became mistakes.
QStringList mistakes(const QSqlDatabase &db, const QString &lesson, const QString &exercise, RecordData::Scope scope);
// When the class server's rows of a lesson were last fetched; invalid: never.
QDateTime serverCopyTime(const QSqlDatabase &db, const QString &lesson);

} // namespace RecordFigures
