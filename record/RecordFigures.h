#pragma once

#include "RecordTypes.h"

class RecordReader;

// What the Progress window and Practise my mistakes read of the record, from its
// summaries: a few hundred rows however long the record has grown.
namespace RecordFigures {

// `unnoted`: how far the server named has the record where the file does not say so yet.
// When a read fails, the figures hold nothing but the question and the failure.
RecordData::Figures figures(RecordReader &reader, const RecordData::FiguresQuestion &question,
                            std::pair<qint64, qint64> unnoted = {});
// The items of an exercise to practise again (see MistakeRule), in the order they
// became mistakes.
QStringList mistakes(RecordReader &reader, const QString &lesson, const QString &exercise, RecordData::Scope scope);
// When the class server's rows of a lesson were last fetched; invalid: never.
QDateTime serverCopyTime(RecordReader &reader, const QString &lesson);

} // namespace RecordFigures
