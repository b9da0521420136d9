#pragma once

#include "common/ProgressRecord.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

class QIODevice;
class QSqlDatabase;
class QSqlError;

// The progress record in one SQLite file (WAL mode, a schema version and a
// migration step). It opens when first needed or when told the main menu is on
// screen, never before. Whatever goes wrong with the file (a read-only folder, a
// full disk, a file that is no database, one from a newer version) never stops
// the exercises: writing simply stops, and problem() says in one sentence what is
// wrong and where the file is. An unreadable file is moved aside, never deleted.
class ProgressStore final : public ProgressRecord
{
public:
    static constexpr int SchemaVersion = 1;

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
    bool writable();

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
    // Per exercise 1a ... 6, over the `days` days up to `today` (UTC).
    std::vector<Summary> summaries(QDate today, int days = 30);

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

    // Every recorded answer as CSV (RFC 4180, UTF-8, a header row).
    bool exportCsv(QIODevice &out);
    // Empties the record.
    bool forget();

    // For tests of a full disk: the file may not grow beyond this many pages.
    void limitPages(int pages);

private:
    bool ensureOpen();
    bool openFile();
    bool migrate(QSqlDatabase &db);
    bool moveAside();
    bool write(const std::function<QSqlError(QSqlDatabase &)> &step);
    void flushPending();
    QSqlDatabase database() const;

    QString filePath;
    QString connection;
    bool tried = false;
    bool opened = false;
    bool readOnly = false; // a newer schema: leave the file as it is
    QString trouble;
    QString movedTo;
    qint64 currentRun = 0; // the run the next answers belong to
    // Answers not yet written because another copy of the program held the file.
    std::deque<std::function<QSqlError(QSqlDatabase &)>> pending;
};
