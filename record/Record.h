#pragma once

#include "RecordEntry.h"
#include "RecordExport.h"
#include "RecordTypes.h"
#include "common/ProgressRecord.h"

#include <QDateTime>
#include <QFuture>
#include <QObject>
#include <QPromise>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>
#include <mutex>

class RecordFile;

// The progress record as one service: one object (RecordFile) owns the SQLite file
// on a thread of its own, and the windows, the export and the class sync are its
// clients through this interface. What they tell it is queued; what they ask comes
// back as a future (go on with QFuture::then and a context object) or as a signal.
// The caller never waits on SQLite: the record opens when the program first needs
// it, on its own thread.
class Record final : public QObject, public ProgressRecord
{
    Q_OBJECT

public:
    // A file path, or ":memory:" for a record that lasts as long as the object.
    explicit Record(QString path);
    // Lets what waits have a second for a busy file; what still waits stays in the side file.
    ~Record() override;

    // progress.sqlite in the user's data folder.
    static QString defaultPath();
    const QString &path() const { return filePath; }

    void prepare() override;
    void answerJudged(const Answer &answer) override;
    qint64 runStarted(const QString &lesson, const QString &exercise, Variant variant, const QString &person) override;
    void runEnded(qint64 run, Outcome outcome) override;
    // The time now, local; benchmarks build records of many days with a clock of their own.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

    // How the record stood when it last said (statusChanged).
    const RecordData::Status &status() const { return lastStatus; }

    // Each read says when it failed (its `failure`), and then holds nothing.
    QFuture<RecordData::Figures> figures(const RecordData::FiguresQuestion &question);
    QFuture<RecordData::Mistakes> mistakes(const QString &lessonId, const QString &exercise, RecordData::Scope scope);
    // The review's figures and its due items (the least likely to be recalled first, at
    // most `most`), asked at the time of the record's clock.
    QFuture<RecordData::ReviewFigures> reviewFigures(const QString &lessonId, double retention);
    QFuture<RecordData::DueItems> dueItems(const QString &lessonId, double retention, int most);
    // Empty when forgotten; otherwise why not, in one sentence.
    QFuture<QString> forget();
    // About how many answers an export writes.
    QFuture<qint64> answerCount();
    QFuture<RecordData::Exported> exportCsv(const QString &file, std::shared_ptr<RecordExport::Progress> progress);

    // The class sync's questions (from its own thread). Sentences are empty when all went well.
    QFuture<RecordData::Outgoing> unsent(const QString &server, int rows);
    QFuture<QString> markSent(const QString &server, const RecordData::Outgoing &sent);
    QFuture<RecordData::FetchCursor> fetchCursor(const QString &server, const QString &lessonId,
                                                 RecordData::FetchedPage::Table table);
    QFuture<QString> beginFetchRound(const QString &lessonId, RecordData::FetchedPage::Table table, qint64 roundStart);
    QFuture<QString> keepFetched(const QString &lessonId, RecordData::FetchedPage page);
    QFuture<QString> endFetchRound(const QString &lessonId, RecordData::FetchedPage::Table table);

    // For tests of a full disk: the file may not grow beyond this many pages.
    void limitPages(int pages);
    // Done once everything asked before it is.
    QFuture<void> settled();

Q_SIGNALS:
    // What the record holds changed: answers written, forgotten, rows fetched, opened after being busy.
    void changed();
    void statusChanged(const RecordData::Status &status);

private:
    // Asked at the time of the clock, in the learner's day.
    RecordData::ReviewQuestion reviewQuestion(const QString &lessonId, double retention) const;
    // Runs `job` on the record's thread, after everything asked before it.
    template <typename T>
    QFuture<T> ask(std::function<T(RecordFile &)> job);
    void tell(std::function<void(RecordFile &)> job);
    RecordEntry stamped(RecordEntry::Kind kind, const QString &lesson, qint64 run) const;
    // Into the inbox, and the record's thread told to take it.
    void put(RecordEntry entry);

    QString filePath;
    RecordData::Status lastStatus;
    std::shared_ptr<RecordInbox> inbox = std::make_shared<RecordInbox>();
    QThread thread;
    std::once_flag threadStarted;
    QObject *onThread = nullptr;      // lives on the record's thread: what jobs are queued to
    std::unique_ptr<RecordFile> file; // made and ended on the record's thread
};
