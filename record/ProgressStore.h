#pragma once

#include "ProgressSchema.h"
#include "RecordEntry.h"
#include "common/ProgressRecord.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QIODevice;
class QSqlDatabase;
class QSqlError;
class SideFile;

// The progress record in one SQLite file (WAL mode, a schema version with one
// migration step per version). It opens when first needed or when told the main
// menu is on screen, never before. Nothing about the file stops the exercises,
// and no answer is lost or hidden:
// - an answer that finds the file busy (another copy writing) or cannot be
//   written (a full disk) waits in memory and in a side file beside the record,
//   is retried on a timer, and at exit, or after a kill, the next start writes it;
// - a file in a read-only folder is opened for reading: its history shows;
// - only a file SQLite calls no database, or corrupt, is moved aside, never deleted;
// - problem() says in one sentence what is wrong and where the file is.
class ProgressStore final : public ProgressRecord
{
public:
    static constexpr int SchemaVersion = ProgressSchema::Version;

    // A file path, or ":memory:" for a record that lasts as long as the object.
    explicit ProgressStore(QString path);
    ~ProgressStore() override;
    ProgressStore(const ProgressStore &) = delete;
    ProgressStore &operator=(const ProgressStore &) = delete;

    // progress.sqlite in the user's data folder.
    static QString defaultPath();

    void prepare() override;
    void answerJudged(const Answer &answer) override;
    qint64 runStarted(const QString &exercise, Variant variant, const QString &person) override;
    void runEnded(qint64 run, Outcome outcome) override;

    const QString &path() const { return filePath; }
    // Empty while all is well; otherwise one plain sentence for the learner.
    QString problem();
    // Answers are taken: written now, or kept until they can be.
    bool writable();
    // Told after what the record holds has changed (answers written, Forget).
    std::function<void()> changed;
    // The lesson the answers and runs belong to from now on, and the one whose
    // figures and mistakes are read: lesson 7's until the program says another.
    void setLesson(const QString &id) { lesson = id; }
    // Whose answers the figures and mistakes count: this computer's record, or the
    // learner's rows that the class server last sent (from every computer of theirs)
    // together with this computer's not among them, each answer and run once.
    enum class Scope { ThisComputer, AllComputers };
    void setScope(Scope counted) { scope = counted; }
    // When the class server's rows of the lesson were last fetched; invalid: never.
    QDateTime serverCopyTime();
    // The time now, local; benchmarks build records of many days with a clock of their own.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

    struct DayShare
    {
        QDate day;
        int firstTries = 0;
        int rightAtFirstTry = 0;
    };
    struct Summary
    {
        QString exercise;
        int basicRuns = 0;
        int plusRuns = 0;
        QDateTime lastAccomplished; // invalid: never
        int firstTries = 0;         // over the period
        int rightAtFirstTry = 0;
        std::vector<DayShare> days; // oldest first, one per day of the period
    };
    // Per exercise of the lesson (by id, in the order given), over the `days` days up to
    // `today`, the learner's local day.
    std::vector<Summary> summaries(const QStringList &exercises, QDate today, int days = 30);

    struct Missed
    {
        QString exercise;
        QString item;
        QString expected;
        int misses = 0;
    };
    std::vector<Missed> mostMissed(int count = 10);

    // The items of an exercise to practise again (see MistakeRule).
    QStringList mistakes(const QString &exercise);

    // How far an export has gone, and the way to stop it, shared with another thread.
    struct ExportProgress
    {
        std::atomic<qint64> written{0};
        std::atomic<bool> cancel{false};
    };
    // About how many answers an export writes, without reading them all.
    qint64 answerCount();
    // Writes every recorded answer as CSV (RFC 4180, UTF-8, a header row), read
    // forward through a connection of its own, so that it may run on another
    // thread while the program goes on. False when it failed or was cancelled.
    using Exporter = std::function<bool(QIODevice &out, ExportProgress *progress)>;
    Exporter exporter();
    bool exportCsv(QIODevice &out) { return exporter()(out, nullptr); }
    // Empties the record now, or says in one sentence why it cannot.
    QString forget();

    // For tests of a full disk: the file may not grow beyond this many pages.
    void limitPages(int pages);

private:
    enum class State { NotOpened, Open, Busy, ReadOnly, Closed };
    struct Statements;

    bool ensureOpen();
    void open();
    QSqlError openConnection(const QString &name, const QString &options);
    QSqlError setUpFile(QSqlDatabase &db);
    void openReadOnly(const QString &reason);
    bool moveAside();
    void closeConnection();

    RecordEntry stamped(RecordEntry::Kind kind, qint64 run) const;
    void add(RecordEntry entry);
    void flush();
    QSqlError writePending();
    QSqlError apply(const RecordEntry &entry);
    void retryLater();
    void notifyChanged();
    QString waitingSentence() const;
    QString busyNow() const;
    QSqlDatabase database() const;
    QStringList mistakesOfAllComputers(const QString &exercise);

    QString filePath;
    QString connection;
    QString databaseName; // what SQLite opens: the path, or a URI
    QString readOptions;  // how another connection opens it to read
    State state = State::NotOpened;
    QString trouble;      // why the record cannot be written, for good
    QString readOnlyWhy;  // why it can only be read
    QString writeFailure; // the last write's error other than busy, while answers wait
    bool busy = false;    // the last write or open found the file busy
    bool triedAside = false;
    QString movedTo;
    QString lesson = QLatin1String(ProgressSchema::FirstLesson);
    Scope scope = Scope::ThisComputer;
    qint64 currentRun = 0; // the run the next answers belong to
    std::unique_ptr<Statements> statements;
    // Entries not yet in the file, oldest first; also in the side file while any wait.
    std::deque<RecordEntry> pending;
    std::unique_ptr<SideFile> sideFile;
    QTimer retry;
};
