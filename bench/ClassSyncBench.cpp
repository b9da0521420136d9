// Sync throughput: a record of ANSWERS answers sent to the class server by the
// program's sync, against the floor: the same rows sent straight from memory by a
// plain client in batches of the same size, each batch one INSERT in a transaction.
// Usage: bench/class-sync.sh [ANSWERS]  (starts a throwaway cluster, then runs this)
#include "class/ClassSync.h"
#include "record/ProgressStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <cstdio>

namespace {

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
    return {QUuid::createUuid().toString(QUuid::WithoutBraces), QStringLiteral("2026-12-07T10:00:00.000Z"),
            QStringLiteral("bimbala-lesson-7"), QStringLiteral("1a"), QStringLiteral("item %1").arg(i % 23),
            QStringLiteral("orvosnál"), QStringLiteral("orvosnál"), true, false, false, QVariant()};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int answers = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
    ProgressStore(path).prepare();
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

    QElapsedTimer clock;
    clock.start();
    {
        ClassSync sync(path, serverAs(QStringLiteral("learner_sync")));
        QSignalSpy told(&sync, &ClassSync::statusChanged);
        sync.start();
        if (!told.wait(600000) || told.last().first().value<ClassSync::Status>().waiting != 0)
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
                                    "solution_shown, retry, run) VALUES %1 ON CONFLICT (uid) DO NOTHING")
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
