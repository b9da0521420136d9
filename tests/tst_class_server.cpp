// The class server as PostgreSQL enforces it: the school's script on a cluster of the test's own (tools/pg-cluster.sh),
// run by its superuser on the socket, as the administrator does; two teachers and learners, reached over TLS checked
// against the CA ("pw-" and the login name their password).
#include "TestSupport.h"
#include "app/Program.h"
#include "progress/ProgressWindow.h"
#include "common/Settings.h"
#include "class/ClassServer.h"
#include "class/ClassWindow.h"
#include "class/ClassSync.h"
#include "record/ProgressStore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QTableWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

class tst_ClassServer : public QObject
{
    Q_OBJECT
    QProcessEnvironment env; // libpq's variables from DIR/env, the superuser as PGUSER
    QString zita;            // the login name made for a learner (a pseudonym)
    const QString annasUid = "0b5e7a52-8f1c-4c1e-9d2a-6a1f3c9e0001";
    const QString sendAnswer = "INSERT INTO bimbala.answers(uid, at, lesson, exercise, item, expected, given, \"right\", "
                               "solution_shown, retry, run) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (uid) DO NOTHING RETURNING uid";
    const QVariantList annasAnswer{annasUid, QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs), "bimbala-lesson-7", "1a",
                                   "a ház'", "a háznál", "a háznak", false, false, false, qint64(1714979289123) << 16};
    // "bela", or "bela" and libpq's options that win over those set before them ("bela sslmode=disable").
    QSqlDatabase as(const QString &who)
    {
        if (QSqlDatabase::contains(who))
            return QSqlDatabase::database(who);
        const QString user = who.section(' ', 0, 0);
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", who);
        const bool administrator = user == env.value("PGUSER"); // on the socket, with no password
        db.setHostName(env.value(administrator ? "BIMBALA_PG_SOCKET" : "PGHOST"));
        db.setPort(env.value("PGPORT").toInt());
        db.setDatabaseName(env.value("PGDATABASE"));
        db.setUserName(user);
        db.setPassword(administrator ? QString() : "pw-" + user);
        db.setConnectOptions("sslmode=verify-full;sslrootcert=" + env.value("PGSSLROOTCERT") + ";" + who.section(' ', 1));
        db.open();
        return db;
    }
    // The first column of every row the statement gives, joined by spaces; the SQLSTATE of a refused
    // statement; the server's words (libpq's, where the server said none) when the connection fails.
    QString run(const QString &who, const QString &statement, const QVariantList &values = {})
    {
        const QSqlDatabase db = as(who);
        if (!db.isOpen())
            return db.lastError().databaseText().section("FATAL:  ", -1).trimmed();
        QSqlQuery query(db);
        const bool bound = !values.isEmpty() && query.prepare(statement);
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (!(bound ? query.exec() : query.exec(statement)))
            return "error " + query.lastError().nativeErrorCode();
        QStringList rows;
        while (query.next())
            rows << query.value(0).toString();
        return rows.join(' ');
    }

    // A learner of 3a, its login name given, as the administrator registers one.
    bool addLearner(const QString &login)
    {
        return !run(env.value("PGUSER"), QString("SELECT bimbala.add_learner('%1', '3a', '%1'); ALTER ROLE %1 PASSWORD 'pw-%1'")
                                             .arg(login)).startsWith("error");
    }
    // The test cluster saved as the class of `who`, as the Class window saves it.
    void saveClass(const QString &who, const QString &database = {})
    {
        QSettings settings = programSettings();
        settings.setValue("class/server", env.value("PGHOST"));
        settings.setValue("class/port", env.value("PGPORT"));
        settings.setValue("class/database", database.isEmpty() ? env.value("PGDATABASE") : database);
        settings.setValue("class/caFile", env.value("PGSSLROOTCERT"));
        settings.setValue("class/learner", who);
        settings.sync();
    }
    // A learner's record of one ended run and `answers` answers, none sent yet, open as a connection of its own.
    static QSqlDatabase recordWith(const QString &path, int answers)
    {
        {
            ProgressStore store(path);
            store.prepare();
            store.runEnded(store.runStarted("1a", ProgressRecord::Variant::Basic, {}), ProgressRecord::Outcome::Left);
        }
        QSqlDatabase record = QSqlDatabase::addDatabase("QSQLITE", path);
        record.setDatabaseName(path);
        record.open();
        record.transaction();
        QSqlQuery add(record);
        add.prepare("INSERT INTO answers(lesson, uid, at, exercise, item, expected, given, right, solution_shown, retry) "
                    "VALUES ('l', ?, '2026-12-07T10:00:00.000Z', '1a', ?, 'e', 'g', 0, 0, 0)");
        for (int i = 0; i < answers; ++i) {
            add.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces));
            add.addBindValue(QString::number(i));
            add.exec();
        }
        record.commit();
        return record;
    }
    // Listening without ever accepting: a connection is made, and nothing is ever said on it.
    struct SilentServer
    {
        int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        int port = 0;
        SilentServer()
        {
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t length = sizeof address;
            if (::bind(socket, reinterpret_cast<sockaddr *>(&address), length) == 0 && ::listen(socket, 4) == 0 &&
                ::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length) == 0)
                port = ntohs(address.sin_port);
        }
        ~SilentServer() { ::close(socket); }
    };
    // What bimbala --class-report prints, on standard output and error, as tanar_a.
    static QByteArray classReport(const QStringList &arguments)
    {
        QProcess command;
        QProcessEnvironment withPassword = QProcessEnvironment::systemEnvironment();
        withPassword.insert("PGPASSWORD", "pw-tanar_a");
        command.setProcessEnvironment(withPassword);
        command.start(BIMBALA_EXECUTABLE, QStringList{"--class-report"} + arguments);
        command.waitForFinished(20000);
        return command.readAllStandardOutput() + command.readAllStandardError();
    }
    static QWidget *topLevel(const QString &name)
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->objectName() == name && widget->isVisible())
                return widget;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        QFile file(qEnvironmentVariable("BIMBALA_CLASS_SERVER") + "/env");
        if (!file.open(QIODevice::ReadOnly)) {
            const char *why = "No test cluster: tools/pg-cluster.sh start did not run or PostgreSQL is not installed";
            if (qEnvironmentVariableIsSet("BIMBALA_REQUIRE_POSTGRES"))
                QFAIL(why);
            QSKIP(why);
        }
        for (const QString &line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
            env.insert(line.section('=', 0, 0), line.section('=', 1));
        // As the administrator runs it, twice, over an earlier version's tables: an answer of B's and C's, each missed
        // and dated ahead, C's in the run C numbered 1, as A numbered one of its own. Two classes with their teachers
        // and learners, one learner given a pseudonym; a learner role never registered.
        QProcessEnvironment administrator = env;
        administrator.insert("PGHOST", env.value("BIMBALA_PG_SOCKET"));
        QProcess psql;
        psql.setProcessEnvironment(administrator);
        psql.start("psql", {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-1", "-c",
                            "CREATE SCHEMA bimbala; CREATE TABLE bimbala.runs(uid uuid PRIMARY KEY, learner name NOT NULL, id bigint "
                            "NOT NULL, lesson text NOT NULL, exercise text NOT NULL, variant text NOT NULL, person text NOT NULL, "
                            "started timestamptz NOT NULL, ended timestamptz NOT NULL, outcome text NOT NULL); CREATE TABLE bimbala.answers("
                            "uid uuid PRIMARY KEY, learner name NOT NULL, at timestamptz NOT NULL, lesson text NOT NULL, exercise text NOT "
                            "NULL, item text NOT NULL, expected text NOT NULL, given text NOT NULL, \"right\" boolean NOT NULL, solution_shown "
                            "boolean NOT NULL, retry boolean NOT NULL, run bigint); INSERT INTO bimbala.runs SELECT gen_random_uuid(), l, 1, "
                            "'l', '1a', 'plus', '', now(), now(), 'left' FROM unnest('{anna,cili}'::name[]) l; INSERT INTO bimbala.answers "
                            "SELECT gen_random_uuid(), l, now() + interval '1 year', 'l', '1a', l, 'e', 'g', false, false, false, "
                            "CASE l WHEN 'cili' THEN 1 END FROM unnest('{bela,cili}'::name[]) l",
                            "-f", BIMBALA_CLASS_SERVER_SQL, "-f", BIMBALA_CLASS_SERVER_SQL, "-c",
                            "SELECT bimbala.add_class('3a'), bimbala.add_class('3b'); SELECT bimbala.add_teacher('Tóth Ákos', '3a', 'tanar_a'), "
                            "bimbala.add_teacher('Papp Bea', '3b', 'tanar_b'), bimbala.add_learner('Szabó Anna', '3a', 'anna'), "
                            "bimbala.add_learner('Nagy Béla', '3a', 'bela'), bimbala.add_learner('Kiss Cili', '3b', 'cili'), "
                            "bimbala.add_learner('Rejtett Zita', '3b'); DO $$ DECLARE r name; BEGIN FOR r IN SELECT name FROM "
                            "bimbala.learners UNION SELECT name FROM bimbala.teachers LOOP EXECUTE format('ALTER ROLE %I PASSWORD %L', r, "
                            "'pw-' || r); END LOOP; END $$; CREATE ROLE dora LOGIN PASSWORD 'pw-dora' IN ROLE bimbala_learner"});
        QVERIFY(psql.waitForFinished());
        QCOMPARE(psql.readAllStandardError() + QByteArray::number(psql.exitCode()), "0");
        zita = run(env.value("PGUSER"), "SELECT name FROM bimbala.learners WHERE display = 'Rejtett Zita'");
        QVERIFY2(QRegularExpression("^l[a-z0-9]{8}$").match(zita).hasMatch(), qPrintable(zita));
        QCOMPARE(run(zita, "SELECT display FROM bimbala.learners"), "Rejtett Zita"); // and Z is online from now on
        QCOMPARE(run("anna", sendAnswer, annasAnswer), annasUid);
    }
    void whatEachRoleGets_data()
    {
        QTest::addColumn<QString>("who");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("result");
        const QString answer = "INSERT INTO bimbala.answers VALUES (gen_random_uuid(), %1, now(), 'l', '1a', %2, 'e', 'g', true, "
                               "false, false)", refused = "error 42501", tooLong = "error 23514",
                      whose = "SELECT DISTINCT learner FROM bimbala.answers ORDER BY 1",
                      known = "'{bimbala-lesson-7,l}', '{1a,1a}'", since = "now() - interval '1 day'";
        const QList<std::array<QString, 4>> rows{
            {"B reads A's rows", "bela", "SELECT uid FROM bimbala.answers WHERE learner <> 'bela' UNION ALL SELECT uid FROM bimbala.runs", ""},
            {"B sends an answer as A", "bela", answer.arg("'anna'", "'i'"), refused},
            {"B sends a run as A", "bela", "INSERT INTO bimbala.runs VALUES (gen_random_uuid(), 'anna', 2, 'l', '1a', 'basic', '', "
                                           "now(), now(), 'left')", refused},
            {"B updates", "bela", "UPDATE bimbala.answers SET given = 'x'", refused},
            {"B deletes", "bela", "DELETE FROM bimbala.runs", refused},
            {"B truncates", "bela", "TRUNCATE bimbala.answers", refused},
            {"B reads the learners", "bela", "SELECT name || ' ' || display FROM bimbala.learners", "bela Nagy Béla"},
            {"B lists who is registered, teaches or is online", "bela", "SELECT n FROM (SELECT rolname::text FROM pg_roles UNION "
             "SELECT pg_get_userbyid(member) FROM pg_auth_members UNION SELECT usename FROM pg_stat_activity) r(n) WHERE n ~* 'zita'", ""},
            {"B reads the teachers", "bela", "SELECT name FROM bimbala.teachers", refused},
            {"B creates a table", "bela", "CREATE TABLE bimbala.notes(t text)", refused},
            {"B creates a temporary table", "bela", "CREATE TEMPORARY TABLE notes(t text)", refused},
            {"B makes a large object", "bela", "SELECT lo_from_bytea(0, 'notes')", refused},
            {"B adds a learner", "bela", "SELECT bimbala.add_learner('Éva', '3a')", refused},
            {"B connects without TLS", "bela sslmode=disable", "SELECT 1",
             "no pg_hba.conf entry for host \"127.0.0.1\", user \"bela\", database \"bimbala\", no encryption"},
            {"B's password wrong", "bela password=pw-anna", "SELECT 1", "password authentication failed for user \"bela\""},
            {"B sends as itself", "bela", answer.arg("DEFAULT", "'i'"), ""},
            {"B sends 20 MB", "bela", answer.arg("DEFAULT", "repeat('i', 20000000)"), tooLong},
            {"B sends a terminal's escapes", "bela", answer.arg("DEFAULT", "E'\\x1b]0;x\\x07'"), tooLong},
            {"B sends an answer dated a year ahead, and a txid", "bela", "INSERT INTO bimbala.answers(uid, at, lesson, exercise, item, "
             "expected, given, \"right\", solution_shown, retry, run_uid, txid) VALUES (gen_random_uuid(), now() + interval '1 year', "
             "'l', '1a', 'i', 'e', 'g', true, false, false, gen_random_uuid(), 1) RETURNING (at <= now()) || ' ' || (txid = txid_current())",
             "true true"},
            {"B misses an item of A's, its own item and a made-up exercise", "bela", "INSERT INTO bimbala.answers SELECT gen_random_uuid(), "
             "current_user, now(), 'bimbala-lesson-7', e, i, 'a háznál', 'x', false, false, false FROM unnest('{1a,1a,1a,1a,made-up}'::text[], "
             "'{\"a ház''\",spam,spam,spam,spam}'::text[]) s(e, i)", ""},
            {"unregistered learner sends", "dora", answer.arg("DEFAULT", "'i'"), refused},
            {"teacher A's answers", "tanar_a", whose, "anna bela"},
            {"teacher B's answers", "tanar_b", whose, "cili"},
            {"teacher A's runs", "tanar_a", "SELECT learner FROM bimbala.runs", "anna"},
            {"teacher A's learners", "tanar_a", "SELECT display FROM bimbala.learners ORDER BY 1", "Nagy Béla Szabó Anna"},
            {"teacher A's report", "tanar_a", "SELECT learner FROM bimbala.class_shares(" + since + ", " + known + ")", "anna bela bela"},
            {"teacher A's item missed most in each lesson", "tanar_a", "SELECT concat_ws(' ', item, learners, misses) FROM bimbala.most_missed(" +
             since + ", 1, " + known + ")", "a ház' 2 2 bela 1 1"},
            {"teacher A's teachers", "tanar_a", "SELECT name FROM bimbala.teachers", "tanar_a"},
            {"the administrator's answers", env.value("PGUSER"), whose, "anna bela cili"},
            {"an earlier version's answer", env.value("PGUSER"), "SELECT r.learner || ' ' || (a.at <= now()) FROM bimbala.answers a "
             "JOIN bimbala.runs r ON r.uid = a.run_uid", "cili true"},
            {"A sends its answer again", "anna", sendAnswer, ""},
            {"B sends an answer with A's uid", "bela", sendAnswer, ""}};
        for (const auto &row : rows)
            QTest::newRow(qPrintable(row[0])) << row[1] << row[2] << row[3];
        // One learner's connections, a fifth refused, while others still connect.
        for (int i = 1; i <= 5; ++i)
            QTest::addRow("C's connection %d", i) << QString("cili application_name=%1").arg(i) << "SELECT 1"
                                                  << (i < 5 ? "1" : "too many connections for role \"cili\"");
        QTest::newRow("A connects meanwhile") << "anna application_name=meanwhile" << "SELECT 1" << "1";
        QTest::newRow("the administrator connects meanwhile") << env.value("PGUSER") + " application_name=meanwhile" << "SELECT 1" << "1";
    }
    void whatEachRoleGets()
    {
        QFETCH(QString, who);
        QFETCH(QString, statement);
        QTEST(run(who, statement, statement.contains('?') ? annasAnswer : QVariantList()), "result");
        // Whatever was tried, A's answer is there once, and A's.
        QCOMPARE(run(env.value("PGUSER"), "SELECT learner FROM bimbala.answers WHERE uid = ?", {annasUid}), "anna");
    }

    // A teacher signs in where a learner would and gets the learners of their class against the exercises of
    // the lesson played, the class's misses, the CSV and, from the command line, the same table.
    void teacherReport()
    {
        QVERIFY(run(env.value("PGUSER"), "INSERT INTO bimbala.runs VALUES (gen_random_uuid(), 'anna', 3, 'bimbala-lesson-7', "
                                         "'1a', 'basic', '', now(), now(), 'accomplished') RETURNING 1") == "1");
        // B's first tries at noon 29 and 30 days ago: the last 30 days, today's included, hold the first only.
        const auto noon = [](int daysAgo) { return QDateTime(QDate::currentDate().addDays(-daysAgo), QTime(12, 0)).toUTC().toString(Qt::ISODate); };
        QCOMPARE(run(env.value("PGUSER"), QString("INSERT INTO bimbala.answers VALUES (gen_random_uuid(), 'bela', '%1', 'bimbala-lesson-7', "
                                                  "'1b', 'i', 'e', 'e', true, false, false), (gen_random_uuid(), 'bela', '%2', "
                                                  "'bimbala-lesson-7', '1b', 'i', 'e', 'g', false, false, false)").arg(noon(29), noon(30))), "");
        saveClass("tanar_a");
        QTemporaryDir dir;
        ProgressStore store(dir.filePath("progress.sqlite"));
        RecordingFeedback feedback;
        ProgressWindow progress(store, feedback);
        progress.Show();
        progress.control<QPushButton>("class")->click();
        topLevel("class")->findChild<QLineEdit *>("password")->setText("pw-tanar_a");
        topLevel("class")->findChild<QPushButton *>("test")->click();
        QTRY_VERIFY(topLevel("classReport") && !topLevel("class"));
        QWidget *report = topLevel("classReport");
        QTRY_COMPARE(report->findChild<QLabel *>("classes")->text(), "Teacher tanar_a, class 3a: 2 learners.");
        const auto cells = [&](const char *table, int column) {
            QStringList texts;
            const QTableWidget *shown = report->findChild<QTableWidget *>(table);
            for (int row = 0; row < shown->rowCount(); ++row)
                texts << shown->item(row, column)->text();
            return texts.join(" | ");
        };
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        // Lesson 7, all eight exercises in order, practised or not, its learners by their names: B's misses of 1a
        // and its first try of 1b; A's run and wrong answer. Lesson l is none the program knows.
        QCOMPARE(report->findChild<QTableWidget *>("report")->columnCount(), 8);
        QCOMPARE(report->findChild<QTableWidget *>("report")->verticalHeaderItem(0)->text(), "Nagy Béla");
        QCOMPARE(cells("report", 0), "0 · 0% · " + today + " | 1 · 0% · " + today);
        QCOMPARE(cells("report", 1), "0 · 100% · " + QDate::currentDate().addDays(-29).toString(Qt::ISODate) + " | –");
        QCOMPARE(cells("missed", 2) + " " + cells("missed", 3), "a háznál | a háznál 2 | 1");
        report->findChild<QComboBox *>("lesson")->setCurrentIndex(0); // all lessons: still lesson 7's eight
        QCOMPARE(report->findChild<QTableWidget *>("report")->columnCount(), 8);
        feedback.fileToSave = dir.filePath("class.csv");
        report->findChild<QPushButton *>("export")->click();
        QFile csv(feedback.fileToSave);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll().count("\r\n"), 4); // the header, B's two exercises, A's one

        const QByteArray printed = classReport({"--lesson", "bimbala-lesson-7"});
        QVERIFY2(printed.contains("\nNagy Béla   0 · 0% · " + today.toUtf8()), printed.constData());
    }

    // A server that says what it likes: figures negative, missing, infinite, past 32 bits, more right than tried; a row
    // of an exercise not asked for; a terminal's escapes and a right-to-left override, as bimbala --class-report prints them.
    void lyingServer()
    {
        QCOMPARE(run(env.value("PGUSER"), "CREATE DATABASE liar"), "");
        const QString function = "CREATE FUNCTION bimbala.%1 RETURNS TABLE(%2) LANGUAGE sql AS $$ VALUES %3 $$; ";
        QCOMPARE(run(env.value("PGUSER") + " dbname=liar", "CREATE SCHEMA bimbala; GRANT USAGE ON SCHEMA bimbala TO PUBLIC; "
                     "CREATE TABLE bimbala.teachers AS SELECT '3a' AS class; CREATE TABLE bimbala.learners AS SELECT * FROM (VALUES "
                     "('anna', '3a', E'Anna\\u202e\\x1b]0;x\\x07'), ('bela', '3a', NULL)) l(name, class, display); GRANT SELECT ON "
                     "ALL TABLES IN SCHEMA bimbala TO PUBLIC; " +
                     function.arg("class_shares(timestamptz, text[], text[])", "learner name, lesson text, exercise text, first_tries "
                                  "bigint, right_first bigint, last_answer timestamptz", "('anna'::name, 'bimbala-lesson-7'::text, "
                                  "'1a'::text, 3::bigint, 7::bigint, 'infinity'::timestamptz), ('bela', 'bimbala-lesson-7', '1b', -3, "
                                  "1, NULL), ('bela', 'bimbala-lesson-7', 'made-up', 5, 5, now())") +
                     function.arg("class_runs(text[], text[])", "learner name, lesson text, exercise text, accomplished bigint, "
                                  "last_run timestamptz", "('anna'::name, 'bimbala-lesson-7'::text, '1a'::text, 4294967297::bigint, "
                                  "'-infinity'::timestamptz), ('bela', 'bimbala-lesson-7', '1b', -5, NULL)") +
                     function.arg("most_missed(timestamptz, integer, text[], text[])", "lesson text, exercise text, item text, "
                                  "expected text, learners bigint, misses bigint", "('bimbala-lesson-7'::text, '1a'::text, "
                                  "E'\\x1b]0;x\\x07\\x1b[2J'::text, 'x'::text, NULL::bigint, 4294967297::bigint)")), "");
        saveClass("tanar_a", "liar");
        const QByteArray printed = classReport({"--lesson", "bimbala-lesson-7"}), csv = classReport({"--csv"});
        for (const char *hostile : {"\x1b", "\x07", "\u202e", "made-up"})
            QVERIFY2(!printed.contains(hostile) && !csv.contains(hostile), printed + csv);
        QVERIFY2(printed.contains("\nAnna\ufffd\ufffd]0;x\ufffd  4294967297 · 100% · –") && printed.contains("0 · – · –") &&
                 printed.contains("\n0         4294967297  bimbala-lesson-7 1a  \ufffd]0;x\ufffd\ufffd[2J  x") &&
                 csv.contains(",4294967297,3,3,"), printed + csv);
    }

    // A record's answers and ended runs reach the server once each: sent, sent again from scratch, and
    // after the server could not be reached.
    void syncSendsEachOnce()
    {
        QVERIFY(addLearner("emil"));
        QTemporaryDir dir;
        const QString path = dir.filePath("progress.sqlite");
        QSqlDatabase record = recordWith(path, 10000);
        const auto sync = [&](int port, bool resent) -> ClassSync::Status {
            if (resent)
                QSqlQuery(record).exec("DELETE FROM class_marks"), QSqlQuery(record).exec("UPDATE runs SET on_server = 0");
            ClassServer server{env.value("PGHOST"), port, env.value("PGDATABASE"), "emil", "pw-emil", env.value("PGSSLROOTCERT")};
            ClassSync sending(path, server);
            QSignalSpy told(&sending, &ClassSync::statusChanged);
            sending.start();
            if (!told.wait(60000))
                return {-1, "no round ended", {}};
            return told.last().first().value<ClassSync::Status>();
        };
        const QString onServer = "SELECT (SELECT count(*) FROM bimbala.answers WHERE learner = 'emil') || ' ' || "
                                 "(SELECT count(*) FROM bimbala.runs WHERE learner = 'emil')";
        QCOMPARE(sync(1, false).waiting, 10001); // unreachable: everything waits
        QCOMPARE(sync(1, false).problem.left(28), "The class server 127.0.0.1:1");
        QCOMPARE(sync(env.value("PGPORT").toInt(), false).waiting, 0);
        QCOMPARE(run(env.value("PGUSER"), onServer), "10000 1");
        // As if killed before marking what the server took: all of it again, counted once.
        QCOMPARE(sync(env.value("PGPORT").toInt(), true).waiting, 0);
        QCOMPARE(run(env.value("PGUSER"), onServer), "10000 1");

        // The server stopped at once while the rows go over, and started again: each arrives once.
        QSqlQuery(record).exec("DELETE FROM class_marks");
        QVERIFY(!run(env.value("PGUSER"), "DELETE FROM bimbala.answers WHERE learner = 'emil'").startsWith("error"));
        ClassServer server{env.value("PGHOST"), env.value("PGPORT").toInt(), env.value("PGDATABASE"), "emil", "pw-emil",
                           env.value("PGSSLROOTCERT")};
        ClassSync sending(path, server);
        QSignalSpy told(&sending, &ClassSync::statusChanged);
        sending.start();
        QTRY_VERIFY_WITH_TIMEOUT(run(env.value("PGUSER"), "SELECT count(*) > 0 FROM bimbala.answers WHERE learner = 'emil'") == "true", 10000);
        QSqlDatabase::removeDatabase(env.value("PGUSER"));
        QCOMPARE(QProcess::execute(BIMBALA_PG_CLUSTER, {"crash", qEnvironmentVariable("BIMBALA_CLASS_SERVER")}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty() && told.last().first().value<ClassSync::Status>().waiting == 0, 60000);
        QSqlDatabase::removeDatabase(env.value("PGUSER"));
        QCOMPARE(run(env.value("PGUSER"), onServer), "10000 1");
    }

    // Two learners' programs killed while they send, at once, and started again: what the server took stays once,
    // the rest arrives after the next start, each row as its own learner's. The sending runs in children (this
    // program again, see main), killed with SIGKILL.
    void killedMidSync()
    {
        constexpr int Answers = 15000;
        const QStringList learners{"fero", "gizi"};
        QTemporaryDir dir;
        std::vector<std::unique_ptr<QProcess>> children;
        for (const QString &learner : learners) {
            QVERIFY(addLearner(learner));
            recordWith(dir.filePath(learner), Answers);
            QProcessEnvironment childEnv = QProcessEnvironment::systemEnvironment();
            childEnv.insert("BIMBALA_SYNC_RECORD", dir.filePath(learner));
            childEnv.insert("BIMBALA_SYNC_TO", QStringList{env.value("PGHOST"), env.value("PGPORT"), env.value("PGDATABASE"),
                                                           learner, "pw-" + learner, env.value("PGSSLROOTCERT")}.join('\n'));
            childEnv.insert("ASAN_OPTIONS", "detect_leaks=0"); // killed, it cannot free anything
            children.push_back(std::make_unique<QProcess>());
            children.back()->setProcessEnvironment(childEnv);
        }
        const auto arrived = [&] {
            QSqlDatabase::removeDatabase(env.value("PGUSER"));
            return run(env.value("PGUSER"), "SELECT string_agg(n::text, ' ' ORDER BY learner) FROM (SELECT learner, count(*) n "
                                            "FROM bimbala.answers WHERE learner IN ('fero', 'gizi') GROUP BY 1) c");
        };
        const auto startAll = [&] {
            for (const auto &child : children)
                child->start(QCoreApplication::applicationFilePath());
        };
        const auto killAll = [&] {
            for (const auto &child : children)
                child->kill(), child->waitForFinished();
        };
        startAll();
        QTRY_VERIFY_WITH_TIMEOUT(arrived().contains(' '), 20000); // both have sent something
        killAll();
        QVERIFY2(arrived() != QString("%1 %1").arg(Answers), "everything went over before the kill");
        startAll();
        QTRY_COMPARE_WITH_TIMEOUT(arrived(), QString("%1 %1").arg(Answers), 60000);
        killAll();
        QCOMPARE(arrived(), QString("%1 %1").arg(Answers));
    }

    // A server that takes the connection and never answers: the sending waits on its own thread, and recording
    // a judged answer takes as long as without a class server.
    void silentServerDoesNotSlowJudging()
    {
        const SilentServer silent;
        QTemporaryDir dir;
        ProgressStore store(dir.filePath("progress.sqlite"));
        store.prepare();
        // Each answer timed from just before the one before it, the first from before `first`.
        const auto judge = [&](const std::function<void()> &first) {
            QElapsedTimer took;
            took.start();
            first();
            qint64 longest = 0;
            for (int i = 0; i < 200; ++i) {
                const qint64 before = i == 0 ? 0 : took.elapsed();
                store.answerJudged({"1a", QString::number(i), "a háznál", "a háznak", false, false, false});
                QCoreApplication::processEvents();
                longest = std::max(longest, took.elapsed() - before);
            }
            return std::pair{took.elapsed(), longest};
        };
        const auto [alone, longestAlone] = judge([] {});
        ClassSync sending(dir.filePath("progress.sqlite"), {env.value("PGHOST"), silent.port, env.value("PGDATABASE"), "anna",
                                                             "pw-anna", env.value("PGSSLROOTCERT")});
        const auto [withServer, longest] = judge([&] { sending.start(); });
        qInfo("200 answers judged: %lld ms alone, %lld ms with a silent server; the longest %lld ms and %lld ms",
              alone, withServer, longestAlone, longest);
        // Waiting for the server would take its whole time-out, 5 s; a busy machine's hiccups are far shorter.
        QVERIFY2(longest < 1000 && withServer < 2 * alone + 1000, "judging waited for the class server");
    }

    // All my computers: the learner's rows from another computer and this computer's, sent or not, each answer
    // and run counted once, what was fetched last while the server is out of reach; This computer: its own alone.
    void allMyComputers()
    {
        QVERIFY(addLearner("fanni"));
        QCOMPARE(run("fanni", "INSERT INTO bimbala.runs VALUES (gen_random_uuid(), DEFAULT, 7, 'bimbala-lesson-7', '1a', "
                              "'basic', '', now(), now(), 'accomplished'); INSERT INTO bimbala.answers VALUES (gen_random_uuid(), "
                              "DEFAULT, now(), 'bimbala-lesson-7', '1a', 'tér', 'a téren', 'a tér', false, false, false)"), "");
        QTemporaryDir dir;
        const QString path = dir.filePath("progress.sqlite");
        ProgressStore store(path);
        const auto runOfHaz = [&store](bool right) {
            const qint64 id = store.runStarted("1a", ProgressRecord::Variant::Basic, {});
            store.answerJudged({"1a", "ház", "a háznál", "a háznak", right});
            store.runEnded(id, ProgressRecord::Outcome::Accomplished);
        };
        runOfHaz(false);
        ClassServer server{env.value("PGHOST"), env.value("PGPORT").toInt(), env.value("PGDATABASE"), "fanni", "pw-fanni",
                           env.value("PGSSLROOTCERT")};
        {
            ClassSync sending(path, server);
            QSignalSpy told(&sending, &ClassSync::statusChanged);
            sending.start();
            QVERIFY(told.wait(60000) && told.last().first().value<ClassSync::Status>().waiting == 0);
        }
        runOfHaz(true); // never sent: the sync below is not started

        RecordingFeedback feedback;
        ProgressWindow window(store, feedback);
        window.Show();
        QVERIFY(!window.control<QWidget>("computers")->isVisibleTo(window.window()));
        ClassSync sync(path, server);
        QSignalSpy fetched(&sync, &ClassSync::fetched);
        window.setClassSync(&sync);
        const auto figures = [&window] {
            auto *grid = static_cast<QGridLayout *>(window.window()->findChild<QGroupBox *>()->layout());
            QStringList shown{static_cast<QLabel *>(grid->itemAtPosition(1, 1)->widget())->text(),
                              static_cast<QLabel *>(grid->itemAtPosition(1, 3)->widget())->text()};
            auto *missed = window.control<QTableWidget>("missed");
            for (int row = 0; row < missed->rowCount(); ++row)
                shown << missed->item(row, 1)->text() + " " + missed->item(row, 3)->text();
            return shown << window.control<QPushButton>("practise1a")->toolTip().left(7);
        };
        window.control<QRadioButton>("allComputers")->click();
        QVERIFY(fetched.wait(10000) && fetched.last().at(1).toBool());
        const QStringList all{"3 / 0", "33 %", "ház 1", "tér 1", "2 items"};
        QCOMPARE(figures(), all);
        server.port = 1;
        ClassSync unreachable(path, server);
        window.setClassSync(&unreachable);
        QTRY_VERIFY(window.control<QLabel>("classLine")->text().startsWith("All my computers shows what the class server had on"));
        QCOMPARE(figures(), all);
        window.control<QRadioButton>("thisComputer")->click();
        QCOMPARE(figures(), (QStringList{"2 / 0", "50 %", "ház 1", "1 items"}));
        window.Unload();
    }

    // The Class window's Test: one sentence for each way it can go wrong, and never a long wait.
    void testSaysWhy_data()
    {
        QTest::addColumn<QString>("learner");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("caFile"); // empty: the test CA
        QTest::addColumn<int>("port");       // 0: the cluster's; -1: a server that never answers
        QTest::addColumn<QString>("said");
        QTest::newRow("a learner") << "anna" << "pw-anna" << "" << 0 << "";
        QTest::newRow("wrong password") << "anna" << "pw-bela" << "" << 0 << "The password is not right for anna";
        QTest::newRow("unreachable") << "anna" << "pw-anna" << "" << 1 << "The class server 127.0.0.1:1 cannot be reached";
        QTest::newRow("certificate not trusted") << "anna" << "pw-anna" << "/etc/ssl/certs/ca-certificates.crt" << 0
                                                 << "is not trusted";
        QTest::newRow("not a learner") << "dora" << "pw-dora" << "" << 0 << "dora is not a learner of a class";
        QTest::newRow("never answers") << "anna" << "pw-anna" << "" << -1 << "cannot be reached";
    }
    void testSaysWhy()
    {
        QFETCH(QString, learner);
        QFETCH(QString, password);
        QFETCH(QString, caFile);
        QFETCH(int, port);
        QFETCH(QString, said);
        const SilentServer silent;
        QVERIFY(silent.port != 0);
        ClassServer server;
        server.server = env.value("PGHOST");
        server.port = port == 0 ? env.value("PGPORT").toInt() : port < 0 ? silent.port : port;
        server.database = env.value("PGDATABASE");
        server.learner = learner;
        server.password = password;
        server.caFile = caFile.isEmpty() ? env.value("PGSSLROOTCERT") : caFile;
        server.timeoutSeconds = 2;
        QElapsedTimer took;
        took.start();
        const QString answer = server.test();
        QVERIFY2(said.isEmpty() ? answer.isEmpty() : answer.startsWith(said) || answer.contains(said), qPrintable(answer));
        QVERIFY(took.elapsed() < 4000);
    }

    // The Class window as a learner sees it: the fields from the settings, Test saying how it went while the
    // window goes on, Save keeping the password out of the file and, with no keyring here, in memory.
    void classWindow_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("said");
        QTest::newRow("right password") << "pw-anna" << "Connected: anna is a learner of this class.";
        QTest::newRow("wrong password") << "pw-bela" << "The password is not right for anna on the class server.";
    }
    void classWindow()
    {
        QFETCH(QString, password);
        const QStringList keys{"server", "port", "database", "learner", "caFile"};
        const QStringList values{env.value("PGHOST"), env.value("PGPORT"), env.value("PGDATABASE"), "anna", env.value("PGSSLROOTCERT")};
        QSettings settings = programSettings();
        for (int i = 0; i < keys.size(); ++i)
            settings.setValue("class/" + keys[i], values[i]);
        settings.sync();
        RecordingFeedback feedback;
        ClassWindow window(feedback);
        window.Show();
        for (int i = 0; i < keys.size(); ++i)
            QCOMPARE(window.control<QWidget>(keys[i])->property(i == 1 ? "value" : "text").toString(), values[i]);
        window.control<QLineEdit>("password")->setText(password);
        bool testing = false;
        QTimer::singleShot(0, this, [&] { testing = !window.control<QPushButton>("test")->isEnabled(); });
        window.control<QPushButton>("test")->click();
        QTRY_VERIFY(window.control<QPushButton>("test")->isEnabled());
        QVERIFY(testing);
        QTEST(window.control<QLabel>("said")->text(), "said");
        feedback.fileToOpen = "/srv/school/ca.crt";
        window.control<QPushButton>("browse")->click();
        window.control<QPushButton>("save")->click();
        QTRY_COMPARE(window.control<QLabel>("keyring")->text().right(28), "keeps it only until it ends.");
        window.Unload();
        window.Show();
        QTRY_COMPARE(window.control<QLineEdit>("password")->text(), password);
        QFile file(settings.fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        QVERIFY2(saved.contains("caFile=/srv/school/ca.crt") && !saved.contains(password.toUtf8()), saved.constData());
    }

    // The class saved before, at the next start without a keyring: the password is asked for
    // once, and the record goes to the server.
    void startAsksForThePassword()
    {
        saveClass("bela"); // anna's password is kept from the window's test
        QTemporaryDir dir;
        ProgressStore store(dir.filePath("progress.sqlite"));
        RecordingFeedback feedback;
        feedback.passwordToGive = "pw-bela";
        SeededRandom random(3);
        Program program(feedback, random, &store);
        program.quit = [] {};
        program.showMainMenu(false);
        QTRY_COMPARE(feedback.messages.size(), 1);
        QVERIFY(feedback.lastText().startsWith("The password of bela on the class server"));
        program.showProgress();
        QTRY_COMPARE(program.progress().control<QLabel>("classLine")->text(), "All answers are on the class server.");
    }
};

// With BIMBALA_SYNC_RECORD set, a child that only sends that record to the server BIMBALA_SYNC_TO names
// (host, port, database, learner, password and CA, a line each) until it is killed.
int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("BIMBALA_SYNC_RECORD")) {
        QCoreApplication application(argc, argv);
        const QStringList to = qEnvironmentVariable("BIMBALA_SYNC_TO").split('\n');
        ClassSync sending(qEnvironmentVariable("BIMBALA_SYNC_RECORD"), {to[0], to[1].toInt(), to[2], to[3], to[4], to[5]});
        sending.start();
        return QCoreApplication::exec();
    }
    QApplication application(argc, argv);
    application.setAttribute(Qt::AA_Use96Dpi, true);
    tst_ClassServer test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_class_server.moc"
