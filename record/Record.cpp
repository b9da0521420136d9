#include "Record.h"

#include "ProgressSchema.h"
#include "RecordClassRows.h"
#include "RecordFigures.h"
#include "RecordMemory.h"
#include "RecordReader.h"
#include "RecordFile.h"

#include <QRandomGenerator>
#include <QStandardPaths>
#include <QUuid>

namespace {

QString variantName(ProgressRecord::Variant variant)
{
    switch (variant) {
    case ProgressRecord::Variant::Plus: return QStringLiteral("plus");
    case ProgressRecord::Variant::Mistakes: return QStringLiteral("mistakes");
    case ProgressRecord::Variant::Basic: break;
    }
    return QStringLiteral("basic");
}

QString outcomeName(ProgressRecord::Outcome outcome)
{
    switch (outcome) {
    case ProgressRecord::Outcome::Accomplished: return QStringLiteral("accomplished");
    case ProgressRecord::Outcome::Interrupted: return QStringLiteral("interrupted");
    case ProgressRecord::Outcome::Left: break;
    }
    return QStringLiteral("left");
}

// A run's number: unique also between two copies of the program writing at once.
qint64 newRunId(const QDateTime &now)
{
    return (now.toMSecsSinceEpoch() << 16) | qint64(QRandomGenerator::global()->bounded(1 << 16));
}

QString newUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace

Record::Record(QString path) : filePath(std::move(path))
{
    qRegisterMetaType<RecordData::Status>();
    thread.setObjectName(QStringLiteral("record"));
    onThread = new QObject;
    onThread->moveToThread(&thread);
}

Record::~Record()
{
    // The file's own end: it may wait a second for another copy that holds it. A record
    // never told anything has neither a thread nor a file.
    if (thread.isRunning())
        QMetaObject::invokeMethod(onThread, [this] { file.reset(); }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
    delete onThread;
}

QString Record::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/progress.sqlite");
}

void Record::tell(std::function<void(RecordFile &)> job)
{
    // The thread starts with the first job, not at the program's start: the splash never waits for it.
    std::call_once(threadStarted, [this] { thread.start(); });
    QMetaObject::invokeMethod(onThread, [this, job = std::move(job)] {
        if (!file) {
            // Made on the record's thread, where every statement on the file runs.
            file = std::make_unique<RecordFile>(filePath, inbox);
            connect(file.get(), &RecordFile::statusChanged, this, [this](const RecordData::Status &now) {
                lastStatus = now;
                Q_EMIT statusChanged(now);
            });
            connect(file.get(), &RecordFile::changed, this, &Record::changed);
        }
        job(*file);
    });
}

template <typename T>
QFuture<T> Record::ask(std::function<T(RecordFile &)> job)
{
    auto promise = std::make_shared<QPromise<T>>();
    QFuture<T> future = promise->future();
    promise->start();
    tell([promise, job = std::move(job)](RecordFile &record) {
        if constexpr (std::is_void_v<T>)
            job(record);
        else
            promise->addResult(job(record));
        promise->finish();
    });
    return future;
}

void Record::prepare()
{
    tell([](RecordFile &record) { record.readable(); });
}

// An entry stamped with the time now: UTC to store, the learner's local day to count by.
RecordEntry Record::stamped(RecordEntry::Kind kind, const QString &lesson, qint64 run) const
{
    const QDateTime now = clock();
    RecordEntry entry;
    entry.kind = kind;
    entry.lesson = lesson;
    entry.at = now.toUTC().toString(Qt::ISODateWithMs);
    entry.day = now.date().toString(Qt::ISODate);
    entry.run = run;
    return entry;
}

void Record::answerJudged(const Answer &answer)
{
    RecordEntry entry = stamped(RecordEntry::Kind::Answer, answer.lesson, answer.run);
    entry.uid = newUid();
    entry.exercise = answer.exercise;
    entry.item = answer.item;
    entry.expected = answer.expected;
    entry.given = answer.given;
    entry.right = answer.right;
    entry.solutionShown = answer.solutionShown;
    entry.retry = answer.retry;
    put(std::move(entry));
}

void Record::put(RecordEntry entry)
{
    inbox->put(std::move(entry));
    tell([](RecordFile &record) { record.takeIn(); });
}

qint64 Record::runStarted(const QString &lesson, const QString &exercise, Variant variant, const QString &person)
{
    const qint64 run = newRunId(clock());
    RecordEntry entry = stamped(RecordEntry::Kind::RunStarted, lesson, run);
    entry.uid = newUid();
    entry.exercise = exercise;
    entry.variant = variantName(variant);
    entry.person = person.isNull() ? QStringLiteral("") : person;
    put(std::move(entry));
    return run;
}

void Record::runEnded(qint64 runId, Outcome outcome)
{
    RecordEntry entry = stamped(RecordEntry::Kind::RunEnded, {}, runId);
    entry.outcome = outcomeName(outcome);
    put(std::move(entry));
}

QFuture<RecordData::Figures> Record::figures(const RecordData::FiguresQuestion &question)
{
    return ask<RecordData::Figures>([question](RecordFile &record) {
        if (!record.readable()) {
            RecordData::Figures none;
            none.question = question;
            none.failure = RecordData::ReadFailure::NotOpen;
            return none;
        }
        RecordReader reader(record.database());
        RecordData::Figures figures = RecordFigures::figures(reader, question, record.unnotedMarks(question.server));
        record.noteRead(reader);
        return figures;
    });
}

QFuture<RecordData::Mistakes> Record::mistakes(const QString &lessonId, const QString &exercise, RecordData::Scope scope)
{
    return ask<RecordData::Mistakes>([=](RecordFile &record) {
        RecordData::Mistakes found;
        if (!record.readable()) {
            found.failure = RecordData::ReadFailure::NotOpen;
            return found;
        }
        RecordReader reader(record.database());
        const QStringList items = RecordFigures::mistakes(reader, lessonId, exercise, scope);
        record.noteRead(reader);
        found.failure = reader.failure();
        if (!reader.failed())
            found.append(items);
        return found;
    });
}

RecordData::ReviewQuestion Record::reviewQuestion(const QString &lessonId, double retention) const
{
    const QDateTime now = clock();
    return {lessonId, now.toMSecsSinceEpoch(), retention, QDateTime(now.date(), QTime(0, 0), now.timeSpec()).toMSecsSinceEpoch()};
}

QFuture<RecordData::ReviewFigures> Record::reviewFigures(const QString &lessonId, double retention)
{
    const RecordData::ReviewQuestion question = reviewQuestion(lessonId, retention);
    return ask<RecordData::ReviewFigures>([question](RecordFile &record) {
        if (!record.readable()) {
            RecordData::ReviewFigures none;
            none.failure = RecordData::ReadFailure::NotOpen;
            return none;
        }
        RecordReader reader(record.database());
        RecordData::ReviewFigures figures = RecordMemory::figures(reader, question);
        record.noteRead(reader);
        return figures;
    });
}

QFuture<RecordData::DueItems> Record::dueItems(const QString &lessonId, double retention, int most)
{
    const RecordData::ReviewQuestion question = reviewQuestion(lessonId, retention);
    return ask<RecordData::DueItems>([question, most](RecordFile &record) {
        if (!record.readable()) {
            RecordData::DueItems none;
            none.failure = RecordData::ReadFailure::NotOpen;
            return none;
        }
        RecordReader reader(record.database());
        RecordData::DueItems due = RecordMemory::due(reader, question, most);
        record.noteRead(reader);
        return due;
    });
}

QFuture<QString> Record::forget()
{
    // What is told after this is not forgotten, though the record's thread may take it in
    // while it waits for the file.
    inbox->hold();
    return ask<QString>([inbox = inbox](RecordFile &record) {
        const QString notDone = record.forget();
        inbox->pass();
        record.takeIn();
        return notDone;
    });
}

QFuture<qint64> Record::answerCount()
{
    return ask<qint64>([](RecordFile &record) {
        return record.readable() ? RecordExport::answerCount(record.database()) : qint64(0);
    });
}

QFuture<RecordData::Exported> Record::exportCsv(const QString &file, std::shared_ptr<RecordExport::Progress> progress)
{
    return ask<RecordData::Exported>([file, progress](RecordFile &record) -> RecordData::Exported {
        if (!record.readable())
            return {RecordData::Exported::Result::RecordUnreadable, record.status().problem};
        return RecordExport::write(record.database(), file, *progress);
    });
}

QFuture<RecordData::Outgoing> Record::unsent(const QString &server, int rows)
{
    return ask<RecordData::Outgoing>([server, rows](RecordFile &record) {
        RecordData::Outgoing none;
        if (!record.readable()) {
            none.problem = record.status().problem;
        } else if (const QString why = record.whyNotWritable(); !why.isEmpty()) {
            // Sent rows that could not be marked would be sent again and again.
            none.problem = QStringLiteral("Nothing is sent to the class server: this computer cannot note what was sent "
                                          "(%1).").arg(why.endsWith(u'.') ? why.chopped(1) : why);
            none.lasting = true;
        } else {
            return RecordClassRows::unsent(record.database(), server, rows, record.unnotedMarks(server));
        }
        return none;
    });
}

QFuture<QString> Record::markSent(const QString &server, const RecordData::Outgoing &sent)
{
    return ask<QString>([server, sent](RecordFile &record) {
        const QString notDone = record.noteSent(server, {sent.answersUpTo, sent.runsUpTo});
        if (notDone.isEmpty())
            record.touched();
        return notDone;
    });
}

QFuture<RecordData::FetchCursor> Record::fetchCursor(const QString &server, const QString &lessonId,
                                                     RecordData::FetchedPage::Table table)
{
    return ask<RecordData::FetchCursor>([=](RecordFile &record) {
        RecordData::FetchCursor found;
        found.problem = record.transaction(
            [&] { return RecordClassRows::cursor(record.database(), server, lessonId, table, found); });
        return found;
    });
}

QFuture<QString> Record::beginFetchRound(const QString &lessonId, RecordData::FetchedPage::Table table, qint64 roundStart)
{
    return ask<QString>([=](RecordFile &record) {
        return record.transaction([&] { return RecordClassRows::beginRound(record.database(), lessonId, table, roundStart); });
    });
}

QFuture<QString> Record::keepFetched(const QString &lessonId, RecordData::FetchedPage page)
{
    return ask<QString>([lessonId, page = std::move(page)](RecordFile &record) {
        return record.transaction([&] { return RecordClassRows::keep(record.database(), lessonId, page); });
    });
}

QFuture<QString> Record::endFetchRound(const QString &lessonId, RecordData::FetchedPage::Table table)
{
    return ask<QString>([=](RecordFile &record) {
        const QString notDone =
            record.transaction([&] { return RecordClassRows::endRound(record.database(), lessonId, table); });
        if (notDone.isEmpty())
            record.touched();
        return notDone;
    });
}

void Record::limitPages(int pages)
{
    tell([pages](RecordFile &record) { record.limitPages(pages); });
}

QFuture<void> Record::settled()
{
    return ask<void>([](RecordFile &) {});
}
