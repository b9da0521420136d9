#pragma once

#include "RecordTypes.h"
#include "memory/Fsrs.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <vector>

class RecordReader;

// The memory of every item answered (stability, difficulty, last review: memory/Fsrs),
// kept with the record's summaries in the table `memory`; the review's due items and
// figures are read from it. Each judged answer is a review of its item.
namespace RecordMemory {

// Every item's memory made anew from the answers recorded, replayed in the order given.
QSqlError rebuild(QSqlDatabase &db);

// Brings one item's memory up to date with an answer, inside the writer's transaction.
class Updater
{
public:
    explicit Updater(const QSqlDatabase &db);
    QSqlError answered(const QString &lesson, const QString &exercise, const QString &item, qint64 atMs,
                       Fsrs::Grade grade);

private:
    QSqlQuery read, write;
};

// The due items, the least likely to be recalled first, at most `most`. A read that
// fails gives none, and says so.
RecordData::DueItems due(RecordReader &reader, const RecordData::ReviewQuestion &question, int most);
RecordData::ReviewFigures figures(RecordReader &reader, const RecordData::ReviewQuestion &question);

} // namespace RecordMemory
