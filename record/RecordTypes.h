#pragma once

#include <QDate>
#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

// The plain values the record answers its clients with. They cross from the
// record's thread to the windows' and the class sync's, so they hold no pointers.
namespace RecordData {

// Whose answers the figures and mistakes count: this computer's record, or the
// learner's rows on the class server (from every computer of theirs) together with
// this computer's not among them yet, each answer and run once.
enum class Scope { ThisComputer, AllComputers };

// Why a read of the record gave nothing. A read that did not go through says so: its
// figures are none, never zeros taken for what the record holds.
enum class ReadFailure
{
    None,
    NotOpen, // the record could not be opened: its status says why
    Busy,    // another copy held the file too long
    Failed,  // the file could not be read (damaged, a table missing)
};

// How the record stands, told whenever it changes.
struct Status
{
    QString problem;       // empty while all is well; otherwise one plain sentence for the learner
    bool takesAnswers = true; // answers are written now, or kept until they can be
    bool takesMarks = true;   // what was sent to a class server can be noted in the file
    int waiting = 0;       // answers and runs not yet in the file
    int unkept = 0;        // of those, held in memory only: neither the file nor a side file took them
};

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

struct Missed
{
    QString exercise;
    QString item;
    QString expected;
    int misses = 0;
};

// What the Progress window shows of a lesson.
struct FiguresQuestion
{
    QString lesson;
    QStringList exercises; // by id, in the lesson's order
    QDate today;           // the learner's day the figures end with
    int days = 30;
    Scope scope = Scope::ThisComputer;
    QString server;        // the class server's key, where a class is joined: what waits for it is counted
};

struct Figures
{
    FiguresQuestion question;
    std::vector<Summary> summaries; // one per exercise asked, in that order
    std::vector<Missed> missed;     // the ten missed most often, the most first
    std::vector<int> mistakes;      // per exercise asked: the items waiting to be practised
    QDateTime serverCopyTime;       // when the class server's rows of the lesson were last fetched; invalid: never
    int answersWaiting = 0;         // for the class server, where one was named
    int runsWaiting = 0;
    ReadFailure failure = ReadFailure::None; // the figures hold nothing when it is not None
};

// The items of an exercise to practise again, in the order they became mistakes.
struct Mistakes : QStringList
{
    ReadFailure failure = ReadFailure::None;
};

// Rows of the record not yet on a class server, oldest first, as they are sent.
struct Outgoing
{
    QString problem;                   // the record could not be read, or cannot note what is sent
    bool lasting = false;              // the problem stays while the program runs: nothing is to be sent
    std::vector<QVariantList> answers; // uid, at, lesson, exercise, item, expected, given, right, solution shown, retry, run uid
    std::vector<QVariantList> runs;    // uid, id, lesson, exercise, variant, person, started, ended, outcome
    qint64 answersUpTo = 0;            // marks to note once the server committed them
    qint64 runsUpTo = 0;
    bool empty() const { return answers.empty() && runs.empty(); }
};

// Where fetching a lesson's rows from a class server stands: rows are fetched in pages
// ordered by the server's transaction ids (answers then by their time), from `since` on
// (every row written before it was fetched before), after the last row kept.
struct FetchCursor
{
    QString problem;
    qint64 since = 0;
    qint64 roundStart = 0; // the oldest transaction running when this round began; 0: no round begun
    qint64 afterTxid = -1;
    QString afterAt;       // the server's own text of the time, exact; empty: from the start
    QString afterUid;      // empty: from the start
};

// One page of the learner's rows fetched from the server.
struct FetchedPage
{
    enum class Table { Answers, Runs };
    Table table = Table::Answers;
    // answers: uid, at (UTC, ISO), exercise, item, expected, right, solution shown, retry, txid
    // runs: uid, number, exercise, variant, ended (UTC, ISO), outcome, txid
    std::vector<QVariantList> rows;
    qint64 lastTxid = -1;
    QString lastAt;
    QString lastUid;
};

// What became of an export.
struct Exported
{
    enum class Result { Written, Cancelled, RecordUnreadable, FileUnwritable };
    Result result = Result::Written;
    QString why; // the reason, for the two failures
};

// What the review asks of the memory of the items answered (memory/Fsrs): of one
// lesson, or of all where `lesson` is empty.
struct ReviewQuestion
{
    QString lesson;
    qint64 nowMs = 0;        // UTC milliseconds: the program's clock
    double retention = 0.9;  // an item falls due when its chance of recall falls to this
    qint64 todayMs = 0;      // the start of the learner's day, which the forecast counts days from
};

// An item whose chance of recall has fallen to the retention.
struct DueItem
{
    QString lesson;
    QString exercise;
    QString item;
    QString expected;
    double recall = 0; // the chance of recall now
};

// The due items, the least likely recalled first.
struct DueItems : std::vector<DueItem>
{
    ReadFailure failure = ReadFailure::None;
};

struct ReviewFigures
{
    int items = 0;      // with a memory: answered at least once
    int dueNow = 0;
    int dueInWeek = 0;  // now or on the next 7 days, today's included
    double recall = 0;  // the mean chance of recall now, over the items
    qint64 nextDueMs = 0; // when the next item falls due after now; 0: none
    std::vector<int> forecast; // items falling due on each of the learner's next 30 days (the first: today, with those due)
    ReadFailure failure = ReadFailure::None; // the figures hold nothing when it is not None
};

} // namespace RecordData

Q_DECLARE_METATYPE(RecordData::Status)
