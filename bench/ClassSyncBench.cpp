// The class sync against what a learner and a school see of it:
// 1. throughput: a record of ANSWERS answers sent to the class server by the program's
//    sync, against the floor, the same rows sent straight from memory by a plain client
//    in batches of the same size, each batch one INSERT in a transaction;
// 2. All my computers, for each size of the learner's rows on the server: fetching them
//    into a fresh record (time, peak resident memory), fetching again (nothing new), the
//    Progress window's first paint of them, and the longest time an answer given meanwhile
//    (every 20 ms, while the fetch runs) took from being judged until it was in the file;
// 3. a record that cannot note what was sent, its sync left for a minute with rounds of
//    100 ms: the INSERT statements the server got.
// Usage: bench/class-sync.sh [ANSWERS [SERVER_ROWS...]]  (starts a throwaway cluster, then runs this)
#include "PeakMemory.h"
#include "SilentFeedback.h"
#include "class/ClassSync.h"
#include "common/Settings.h"
#include "common/WhenDone.h"
#include "progress/ProgressWindow.h"
#include "record/ProgressSchema.h"
#include "record/Record.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUuid>

#include <cstdio>

namespace {

const QString Lesson = QStringLiteral("bimbala-lesson-7");

ClassServer serverAs(const QString &learner)
{
    ClassServer server;
    server.server = qEnvironmentVariable("PGHOST");
    server.port = qEnvironmentVariableIntValue("PGPORT");
    server.database = qEnvironmentVariable("PGDATABASE");
    server.learner = learner;
    server.password = QStringLiteral("pw");
    server.caFile = qEnvironmentVariable("PGSSLROOTCERT");
    return server;
}

QVariantList answerRow(int i)
{
    return {QUuid::createUuid().toString(QUuid::WithoutBraces), QStringLiteral("2026-12-07T10:00:00.000Z"), Lesson,
            QStringLiteral("1a"), QStringLiteral("item %1").arg(i % 23), QStringLiteral("orvosnál"),
            QStringLiteral("orvosnál"), true, false, false, QVariant()};
}

// A record of `answers` answers, none sent, written behind the program's back.
void fillRecord(const QString &path, int answers)
{
    {
        Record created(path);
        created.prepare();
    }
    {
        QSqlDatabase record = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("record"));
        record.setDatabaseName(path);
        record.open();
        record.transaction();
        QSqlQuery add(record);
        add.prepare(QStringLiteral("INSERT INTO answers(uid, at, lesson, exercise, item, expected, given, right, "
                                   "solution_shown, retry, run) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (int i = 0; i < answers; ++i) {
            for (const QVariant &value : answerRow(i))
                add.addBindValue(value);
            add.exec();
        }
        record.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("record"));
}

// As the administrator, on the cluster's socket.
bool administer(const QString &sql)
{
    return QProcess::execute(qEnvironmentVariable("BIMBALA_PG_CLUSTER"),
                             {QStringLiteral("psql"), qEnvironmentVariable("BIMBALA_CLASS_SERVER"), QStringLiteral("-X"),
                              QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                              QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-c"), sql}) == 0;
}

int throughput(int answers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
    fillRecord(path, answers);
    Record record(path);
    QElapsedTimer clock;
    clock.start();
    {
        ClassSync sync(record, serverAs(QStringLiteral("learner_sync")));
        QSignalSpy told(&sync, &ClassSync::statusChanged);
        sync.start();
        if (!told.wait(600000) || !told.last().first().value<ClassSync::Status>().problem.isEmpty())
            return 1;
    }
    const double synced = double(clock.nsecsElapsed()) / 1e9;

    const QString floorName = QStringLiteral("floor");
    if (!serverAs(QStringLiteral("learner_floor")).open(floorName).isEmpty())
        return 1;
    QSqlDatabase remote = QSqlDatabase::database(floorName);
    const QString row = QStringLiteral("(?,?,?,?,?,?,?,?,?,?,?)");
    clock.restart();
    for (int first = 0; first < answers; first += 500) {
        const int rows = std::min(500, answers - first);
        remote.transaction();
        QSqlQuery send(remote);
        send.prepare(QStringLiteral("INSERT INTO bimbala.answers(uid, at, lesson, exercise, item, expected, given, \"right\", "
                                    "solution_shown, retry, run_uid) VALUES %1 ON CONFLICT (uid) DO NOTHING")
                         .arg(QStringList(rows, row).join(u',')));
        for (int i = first; i < first + rows; ++i)
            for (const QVariant &value : answerRow(i))
                send.addBindValue(value);
        if (!send.exec() || !remote.commit())
            return 1;
    }
    const double floor = double(clock.nsecsElapsed()) / 1e9;
    std::printf("%d answers: sync %.2f s (%.0f answers/s), plain batched client %.2f s (%.0f answers/s); "
                "sync at %.2f of the floor (goal: at least 0.5)\n",
                answers, synced, answers / synced, floor, answers / floor, floor / synced);
    return 0;
}

// The learner's rows on the server, `total` of them, as their computers sent them over a
// school year: a tenth of them runs' answers, a fifth wrong.
bool serverHolds(qint64 total)
{
    return administer(QStringLiteral(
        "DELETE FROM bimbala.answers WHERE learner = 'learner_copy'; DELETE FROM bimbala.runs WHERE learner = 'learner_copy'; "
        "INSERT INTO bimbala.answers(uid, learner, at, lesson, exercise, item, expected, given, \"right\", solution_shown, retry) "
        "SELECT gen_random_uuid(), 'learner_copy', now() - interval '300 days' + n * interval '300 days' / %1, '%2', "
        "(ARRAY['1a', '1b', '1c', '2', '3', '4', '5', '6'])[1 + n / 20 % 8], format('item %s', n % 60), 'expected', "
        "'given', n % 5 <> 0, n % 17 = 0, n % 7 = 0 FROM generate_series(1, %1) n; "
        "INSERT INTO bimbala.runs(uid, learner, id, lesson, exercise, variant, person, started, ended, outcome) "
        "SELECT gen_random_uuid(), 'learner_copy', n, '%2', (ARRAY['1a', '1b', '1c', '2', '3', '4', '5', '6'])[1 + n % 8], "
        "'basic', '', now() - interval '1 day', now() - interval '1 day', 'accomplished' FROM generate_series(1, %1 / 20) n")
                           .arg(total)
                           .arg(Lesson)) &&
           administer(QStringLiteral("VACUUM ANALYZE bimbala.answers"));
}

void allMyComputers(qint64 total)
{
    if (!serverHolds(total)) {
        std::printf("%lld rows could not be put on the server\n", total);
        return;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
    Record record(path);
    record.prepare();
    record.settled().waitForFinished();
    ClassSync sync(record, serverAs(QStringLiteral("learner_copy")));
    QSignalSpy fetched(&sync, &ClassSync::fetched);

    // An answer every 20 ms meanwhile: from judging until the record has written it.
    double longestCall = 0, longestWritten = 0;
    int given = 0;
    QTimer learner;
    QObject::connect(&learner, &QTimer::timeout, &learner, [&] {
        QElapsedTimer judged;
        judged.start();
        record.answerJudged({QLatin1String(ProgressSchema::FirstLesson), QStringLiteral("1a"),
                             QStringLiteral("meanwhile %1").arg(++given), QStringLiteral("x"), QStringLiteral("y"), true,
                             false, false, 0});
        longestCall = std::max(longestCall, double(judged.nsecsElapsed()) / 1e6);
        whenDone(record.settled(), &learner,
                 [&, judged] { longestWritten = std::max(longestWritten, double(judged.nsecsElapsed()) / 1e6); });
    });
    PeakMemory::reset();
    const double before = PeakMemory::mib();
    QElapsedTimer clock;
    clock.start();
    learner.start(20);
    sync.fetchMine(Lesson);
    const bool ok = fetched.wait(3600000) && fetched.last().at(1).toBool();
    learner.stop();
    const double took = double(clock.nsecsElapsed()) / 1e9;
    record.settled().waitForFinished();
    QCoreApplication::processEvents();
    std::printf("%lld answers of the learner on the server: fetched %s in %.1f s, peak resident memory %.0f MiB "
                "(%.0f MiB before); %d answers given meanwhile, the longest %.2f ms to judge and %.1f ms until "
                "written (goal: under 20 ms)\n",
                total, ok ? "all" : "NOT ALL", took, PeakMemory::mib(), before, given, longestCall, longestWritten);

    clock.restart();
    sync.fetchMine(Lesson);
    fetched.wait(600000);
    std::printf("  fetched again, nothing new: %.0f ms\n", double(clock.nsecsElapsed()) / 1e6);
    // The answers given meanwhile go to the server and come back, as the program's rounds do.
    QSignalSpy sent(&sync, &ClassSync::statusChanged);
    sync.start();
    sent.wait(600000);
    sync.fetchMine(Lesson);
    fetched.wait(600000);

    // All my computers chosen, the first paint: the window laid out, then the figures on show.
    programSettings().setValue(QStringLiteral("progress/allComputers"), true);
    std::vector<double> paints;
    for (int round = 0; round < 5; ++round) {
        SilentFeedback feedback;
        ProgressWindow window(record, feedback);
        QElapsedTimer painted;
        painted.start();
        window.setClassSync(&sync);
        window.Show();
        const double shown = double(painted.nsecsElapsed()) / 1e6;
        auto *grid = static_cast<QGridLayout *>(window.window()->findChild<QGroupBox *>()->layout());
        auto *runs = static_cast<QLabel *>(grid->itemAtPosition(1, 1)->widget());
        while (runs->text().isEmpty())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        paints.push_back(double(painted.nsecsElapsed()) / 1e6);
        if (round == 0)
            std::printf("  All my computers: the window on screen in %.1f ms, its figures in %.1f ms", shown, paints[0]);
        window.setClassSync(nullptr);
        window.Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::sort(paints.begin(), paints.end());
    std::printf(", median %.1f ms of five\n", paints[2]);
    // The figures alone, as the record's thread reads them.
    std::vector<double> asked;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer reading;
        reading.start();
        record.figures({Lesson, {QStringLiteral("1a"), QStringLiteral("1b"), QStringLiteral("1c"), QStringLiteral("2"),
                                 QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6")},
                        QDate::currentDate(), 30, RecordData::Scope::AllComputers, sync.serverKey()})
            .waitForFinished();
        asked.push_back(double(reading.nsecsElapsed()) / 1e6);
    }
    std::sort(asked.begin(), asked.end());
    std::printf("  the figures of All my computers read on the record's thread in %.1f ms (median of five; goal: under "
                "50 ms)\n", asked[2]);
}

void cannotNote()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
    fillRecord(path, 700);
    {
        QSqlDatabase file = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("refusing"));
        file.setDatabaseName(path);
        file.open();
        QSqlQuery(file).exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON sent_marks BEGIN "
                                            "SELECT RAISE(ABORT, 'disk I/O error'); END"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("refusing"));
    // Every INSERT statement the server gets counted, also one whose rows it had.
    administer(QStringLiteral("CREATE TABLE IF NOT EXISTS bimbala.inserts(n int); CREATE OR REPLACE FUNCTION "
                              "bimbala.count_insert() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER AS $$ BEGIN "
                              "INSERT INTO bimbala.inserts VALUES (1); RETURN NULL; END $$; DROP TRIGGER IF EXISTS counted "
                              "ON bimbala.answers; CREATE TRIGGER counted AFTER INSERT ON bimbala.answers FOR EACH "
                              "STATEMENT EXECUTE FUNCTION bimbala.count_insert(); TRUNCATE bimbala.inserts"));
    Record record(path);
    {
        ClassSync sync(record, serverAs(QStringLiteral("learner_stuck")), {100, 100, 100});
        sync.start();
        QTest::qWait(60000);
    }
    QProcess count;
    count.start(qEnvironmentVariable("BIMBALA_PG_CLUSTER"),
                {QStringLiteral("psql"), qEnvironmentVariable("BIMBALA_CLASS_SERVER"), QStringLiteral("-X"),
                 QStringLiteral("-A"), QStringLiteral("-t"), QStringLiteral("-c"),
                 QStringLiteral("SELECT count(*) FROM bimbala.inserts")});
    count.waitForFinished();
    administer(QStringLiteral("DROP TRIGGER counted ON bimbala.answers"));
    std::printf("a record that cannot note what was sent, a minute of rounds 100 ms apart: %s INSERT statement(s) "
                "on the server\n",
                count.readAllStandardOutput().trimmed().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int answers = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    if (const int failed = throughput(answers))
        return failed;
    QList<qint64> sizes;
    for (int i = 2; i < argc; ++i)
        sizes << QByteArray(argv[i]).toLongLong();
    if (sizes.isEmpty())
        sizes = {100000, 1000000, 3000000};
    for (const qint64 total : sizes)
        allMyComputers(total);
    cannotNote();
    return 0;
}
