#pragma once

#include "RecordClassRows.h"
#include "RecordEntry.h"
#include "RecordTypes.h"
#include "SideFile.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <memory>

class QSqlQuery;
class RecordReader;
class RunningLock;

// The progress record's SQLite file, owned by one object on the record's own
// thread: every statement on it runs there. It opens when first needed, never
// before. Nothing about the file stops the exercises, and no answer is lost or
// hidden:
// - an entry that finds the file busy (another copy writing) or cannot be written
//   (a full disk) waits in memory and in a side file beside the record, is retried
//   on a timer, and at the end, or after a kill, the next start writes it;
// - a file in a read-only folder is opened for reading: its history shows;
// - only a file SQLite calls no database, or corrupt, is moved aside, never deleted;
// - a folder on a network file system gets a rollback journal (WAL needs shared memory);
// - status() says in one sentence what is wrong and where the file is.
class RecordFile final : public QObject
{
    Q_OBJECT

public:
    // A file path, or ":memory:" for a record that lasts as long as the object. The
    // entries told to the record come in through `inbox`.
    RecordFile(QString path, std::shared_ptr<RecordInbox> inbox);
    // Waits a second for a busy file; what still waits stays in the side file.
    ~RecordFile() override;

    const QString &path() const { return filePath; }
    // Takes the entries told so far and writes them, or keeps them for later.
    void takeIn();
    // Empties the record now, or says in one sentence why it cannot.
    QString forget();
    // For tests of a full disk: the file may not grow beyond this many pages.
    void limitPages(int pages);

    // Opens the file the first time; true when it can be read.
    bool readable();
    bool writable() const { return state == State::Open; }
    QSqlDatabase database() const;
    // Runs `write` in one transaction that takes the write lock at once. Empty when it
    // went through; otherwise why not, in a sentence that ends without a full stop.
    QString transaction(const std::function<QSqlError()> &write);
    // Why nothing can be written, for good; empty while the file can be written or may be soon.
    QString whyNotWritable() const;
    // Notes how far a class server has the record. While the file is busy the marks wait
    // here and go with the next write, so the rows are not sent again meanwhile. Empty
    // when noted or kept; otherwise why they cannot be, for good.
    QString noteSent(const QString &server, RecordClassRows::Marks sent);
    // What is noted here of a server and not in the file yet.
    RecordClassRows::Marks unnotedMarks(const QString &server) const;
    // What the learner is told of the record now.
    RecordData::Status status() const;
    // Tells the listeners that what the record holds changed (rows were fetched, say).
    void touched() { Q_EMIT changed(); }
    // Logs a read that failed, once until the reads go through again or fail otherwise.
    void noteRead(const RecordReader &reader);

Q_SIGNALS:
    void statusChanged(const RecordData::Status &status);
    // Entries were written, the record forgotten, or it opened after being busy.
    void changed();

private:
    enum class State { NotOpened, Open, Busy, ReadOnly, Closed };
    struct Statements;

    void open();
    QSqlError openConnection(const QString &name, const QString &options);
    QSqlError setUpFile(QSqlDatabase &db);
    void openReadOnly(const QString &reason);
    bool moveAside();
    void closeConnection();

    void flush();
    // Moves what the inbox holds into `pending`; true when there was something.
    bool takeWaiting();
    // While a write waits for the file: what was told meanwhile goes to the side file.
    void keepWhileWaiting();
    // Runs `attempt` (a statement that takes or keeps the write lock, SQLite's own wait
    // off) until it goes through, fails otherwise, or the file stayed busy BusyTimeoutMs;
    // between tries, what is told goes to the side file.
    QSqlError waitingForLock(const std::function<QSqlError()> &attempt);
    // Whether this copy may write: it holds its lock beside the record (RunningLock),
    // taken now if need be, waiting at most `waitMs` for a copy that ends the runs left open.
    bool mayWrite(int waitMs);
    void endLeftRuns();
    // Writes the marks that wait: empty when written; otherwise why not.
    QString writeMarks();
    // `written`: how many of the entries waiting went into the transaction.
    QSqlError writePending(std::size_t &written);
    QSqlError apply(const RecordEntry &entry);
    void keepAside();
    void retryLater();
    void tell();
    QString waitingSentence() const;
    QString busyNow() const;

    QString filePath;
    QString connection;
    State state = State::NotOpened;
    QString trouble;      // why the record cannot be written, for good
    QString readOnlyWhy;  // why it can only be read
    QString writeFailure; // the last write's error other than busy, while entries wait
    QString notice;       // what the learner should know although all works (moved aside, set aside, network)
    QString readFailure;  // the last read that failed, as logged
    QString loggedTrouble; // the last of `trouble` logged
    bool busy = false;    // the last write or open found the file busy
    bool marksBusy = false; // the last write of marks found it busy
    bool unkept = false;  // the side file could not take what waits
    bool triedAside = false;
    std::unique_ptr<Statements> statements;
    // Entries not yet in the file, oldest first; also in the side file while any wait.
    std::deque<RecordEntry> pending;
    bool sideStale = false; // `pending` changed since the side file was last written
    std::shared_ptr<RecordInbox> inbox;
    // Marks of what servers have, not yet in the file; lost with a kill, when the rows are sent again.
    std::map<QString, RecordClassRows::Marks> pendingMarks;
    // Held while this copy runs; given back after the side file's lock (members go in
    // reverse order), so that a copy taking it alone finds every entry this one left waiting.
    std::unique_ptr<RunningLock> running;
    std::unique_ptr<SideFile> sideFile;
    std::set<qint64> ownRuns; // the runs this copy began
    QTimer retry{this};
    RecordData::Status told;
};
