// The class server as PostgreSQL enforces it: the school's script on a cluster of the test's own (tools/pg-cluster.sh),
// run by its superuser on the socket, as the administrator does; two teachers and learners, reached over TLS checked
// against the CA ("pw-" and the login name their password).
#include "TestSupport.h"
#include "exercises/frame/Exercise.h"
#include "app/Program.h"
#include "progress/ProgressWindow.h"
#include "common/Settings.h"
#include "class/ClassServer.h"
#include "class/ClassWindow.h"
#include "class/ClassSync.h"
#include "class/report/ClassReport.h"
#include "review/ReviewPlan.h"
#include "record/Record.h"
#include "memory/Fsrs.h"

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

#include <QtConcurrent/QtConcurrentRun>

#include <arpa/inet.h>
#include <csignal>
#include <ctime>
#include <future>
#include <mutex>
#include <thread>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

class tst_ClassServer : public QObject
{
    Q_OBJECT
    QProcessEnvironment env; // libpq's variables from DIR/env, the superuser as PGUSER
    QString zita;            // the login name made for a learner (a pseudonym)
    QStringList connections; // those as() made
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
        connections << who;
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
    ClassServer serverOf(const QString &learner, int port = 0) const
    {
        return {env.value("PGHOST"), port ? port : env.value("PGPORT").toInt(), env.value("PGDATABASE"), learner,
                "pw-" + learner, env.value("PGSSLROOTCERT")};
    }
    // What of the record waits for the server: answers and runs, as the Progress window counts them.
    static QString waiting(Record &record, const ClassServer &server)
    {
        const RecordData::Figures figures =
            record.figures({TestSupport::lesson7Id(), {}, QDate::currentDate(), 30, RecordData::Scope::ThisComputer, server.key()}).result();
        return QString("%1 %2").arg(figures.answersWaiting).arg(figures.runsWaiting);
    }
    // Waits for the sync's next round to end and gives what it found.
    static ClassSync::Status nextRound(ClassSync &sync, int timeoutMs = 60000)
    {
        QSignalSpy told(&sync, &ClassSync::statusChanged);
        if (!told.wait(timeoutMs))
            return {"no round ended", {}, false};
        return told.last().first().value<ClassSync::Status>();
    }
    // A learner's record of one ended run and `answers` answers, none sent yet, open as a connection of its own.
    static QSqlDatabase recordWith(const QString &path, int answers)
    {
        {
            Record store(path);
            store.prepare();
            store.runEnded(store.runStarted(TestSupport::lesson7Id(), "1a", ProgressRecord::Variant::Basic, {}), ProgressRecord::Outcome::Left);
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
    // Answers a client's request for TLS with "no", as a server without TLS does, and notes whether the
    // client then goes on in clear (its start-up message, with the learner's name).
    struct PlainServer
    {
        SilentServer listening;
        int port = listening.port;
        std::atomic<bool> toldMore{false};
        std::thread answering{[this] {
            for (int client; (client = ::accept(listening.socket, nullptr, nullptr)) >= 0; ::close(client)) {
                char request[8];
                if (::recv(client, request, sizeof request, MSG_WAITALL) != sizeof request || ::send(client, "N", 1, 0) != 1)
                    continue;
                timeval wait{2, 0};
                ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
                char more;
                toldMore = toldMore || ::recv(client, &more, 1, 0) == 1;
            }
        }};
        ~PlainServer()
        {
            ::shutdown(listening.socket, SHUT_RDWR);
            answering.join();
        }
    };
    // A TCP relay in front of the cluster's port, as the network between a learner's computer and the server
    // is: every byte is passed on (TLS goes through whole), and the test can hold what one side sends (it waits
    // in the kernel's buffers), hold each connection made while `holdNew` is set until release(), and cut every
    // connection at once, dropping what was held.
    struct Relay
    {
        SilentServer listening;
        int port = listening.port;
        int serverPort;
        std::atomic<bool> holdToServer{false}, holdToClient{false}, holdNew{false}, ending{false};
        std::atomic<int> generation{0}; // connections of an earlier generation are cut
        std::atomic<int> releases{0};
        std::atomic<int> connections{0};
        std::mutex mutex;
        std::vector<std::thread> passing;
        std::thread accepting{[this] {
            for (int client; (client = ::accept(listening.socket, nullptr, nullptr)) >= 0;) {
                ++connections;
                const std::lock_guard lock(mutex);
                passing.emplace_back([this, client, born = generation.load(), held = holdNew.load(), at = releases.load()] {
                    pass(client, born, held, at);
                });
            }
        }};
        explicit Relay(int serverPort) : serverPort(serverPort) {}
        ~Relay()
        {
            ending = true;
            ::shutdown(listening.socket, SHUT_RDWR);
            accepting.join();
            for (std::thread &each : passing)
                each.join();
        }
        void release()
        {
            holdNew = false;
            ++releases;
        }
        void cut()
        {
            ++generation; // first: a connection that finds its direction let go finds itself cut too
            holdToServer = holdToClient = false;
        }
        void pass(int client, int born, bool held, int heldAt)
        {
            const int server = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(serverPort);
            if (::connect(server, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
                char buffer[65536];
                for (bool open = true; open && !ending;) {
                    const bool waits = held && releases == heldAt;
                    pollfd ends[2]{{client, short(waits || holdToServer ? 0 : POLLIN), 0},
                                   {server, short(waits || holdToClient ? 0 : POLLIN), 0}};
                    if (::poll(ends, 2, 20) < 0 || generation != born)
                        break;
                    // Held meanwhile: what came stays unread.
                    const bool heldNow[2]{(held && releases == heldAt) || holdToServer, (held && releases == heldAt) || holdToClient};
                    for (int i = 0; i < 2 && open; ++i) {
                        if (!(ends[i].events & POLLIN) || heldNow[i]) {
                            if (ends[i].revents) // closed while held: it is read once let go
                                QThread::msleep(10);
                            continue;
                        }
                        if (!ends[i].revents)
                            continue;
                        const ssize_t got = ::recv(ends[i].fd, buffer, sizeof buffer, 0);
                        open = got > 0 && ::send(ends[1 - i].fd, buffer, size_t(got), MSG_NOSIGNAL) == got;
                    }
                }
            }
            ::close(server);
            ::close(client);
        }
    };
    // Each statement as the administrator, alone; empty when every one ran, otherwise the first one refused.
    QString administer(const QStringList &statements)
    {
        for (const QString &statement : statements)
            if (const QString said = run(env.value("PGUSER"), statement); said.startsWith("error"))
                return statement + ": " + said;
        return {};
    }
    // psql as the administrator on the server's socket, reading `script`: "0" when every statement ran, otherwise
    // what psql said and its status.
    QString administerScript(const QString &script)
    {
        QProcessEnvironment administrator = env;
        administrator.insert("PGHOST", env.value("BIMBALA_PG_SOCKET"));
        QProcess psql;
        psql.setProcessEnvironment(administrator);
        psql.start("psql", {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-f", "-"});
        psql.write(script.toUtf8());
        psql.closeWriteChannel();
        psql.waitForFinished();
        return QString::fromUtf8(psql.readAllStandardError()) + QString::number(psql.exitCode());
    }
    // The first SQL block of the administrator's guide after a text of it.
    static QString guideSql(const QString &after)
    {
        QFile guide(BIMBALA_CLASS_SERVER_GUIDE);
        if (!guide.open(QIODevice::ReadOnly))
            return {};
        const QString text = QString::fromUtf8(guide.readAll());
        const qsizetype at = text.indexOf(after), start = text.indexOf("```sql\n", at), end = text.indexOf("\n```", start);
        return at < 0 || start < 0 || end < 0 ? QString() : text.mid(start + 7, end - start - 7);
    }
    // The administrator's connection again, once the server, a backend of which was killed, has ended every
    // connection and takes them again; the other connections of the test are made anew when next used.
    bool administratorBack()
    {
        QElapsedTimer waited;
        waited.start();
        while (run(env.value("PGUSER"), "SELECT 1") == "1") { // until the server has ended it too
            if (waited.elapsed() > 30000)
                return false;
            QTest::qWait(50);
        }
        for (const QString &name : std::exchange(connections, {}))
            QSqlDatabase::removeDatabase(name);
        for (waited.restart(); waited.elapsed() < 30000; QTest::qWait(100)) {
            if (run(env.value("PGUSER"), "SELECT 1") == "1")
                return true;
            QSqlDatabase::removeDatabase(env.value("PGUSER"));
        }
        return false;
    }
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
            {"B reads the memory", "bela", "SELECT learner FROM bimbala.memory", refused},
            {"B writes its memory", "bela", "INSERT INTO bimbala.memory VALUES ('bela', 'l', '1a', 'i', '{1000,1,0}')", refused},
            {"B asks the class's review", "bela", "SELECT learner FROM bimbala.class_reviews(now(), 0.9, " + known + ")", refused},
            {"teacher A's review: its learners' items per lesson, none due yet (not C's)", "tanar_a",
             "SELECT concat_ws(' ', learner, lesson, items, due) FROM bimbala.class_reviews(now(), 0.9, " + known + ")",
             "anna bimbala-lesson-7 1 0 bela bimbala-lesson-7 2 0 bela l 2 0"},
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
        Record store(dir.filePath("progress.sqlite"));
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
        QCOMPARE(report->findChild<QTableWidget *>("report")->columnCount(), 9);
        QCOMPARE(report->findChild<QTableWidget *>("report")->verticalHeaderItem(0)->text(), "Nagy Béla");
        // The review, each answer taken in the order it arrived: B's 1b item, right 29 days ago and then missed
        // 30 days ago (sent after it, so taken as missed at the same time), is due, 80 % the mean recall of its
        // three items (the other two missed today), 79 % late in the day; A's one item, missed today, is not due.
        const QRegularExpressionMatch review = QRegularExpression("^1 due · (\\d+)% \\| 0 due · 100%$").match(cells("report", 8));
        QVERIFY2(review.hasMatch() && review.captured(1).toInt() >= 79 && review.captured(1).toInt() <= 80,
                 qPrintable(cells("report", 8)));
        QCOMPARE(cells("report", 0), "0 · 0% · " + today + " | 1 · 0% · " + today);
        QCOMPARE(cells("report", 1), "0 · 100% · " + QDate::currentDate().addDays(-29).toString(Qt::ISODate) + " | –");
        QCOMPARE(cells("missed", 2) + " " + cells("missed", 3), "a háznál | a háznál 2 | 1");
        report->findChild<QComboBox *>("lesson")->setCurrentIndex(0); // all lessons: still lesson 7's eight
        QCOMPARE(report->findChild<QTableWidget *>("report")->columnCount(), 9);
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
                     "('anna', '3a', E'Anna\\u202e\\x1b]0;x\\x07'), ('bela', '3a', NULL), ('cili', '3a', 'Kiss Cili')) l(name, class, display); GRANT SELECT ON "
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
        // A server set up before the review: the report stands, without review figures.
        const QByteArray before = classReport({"--lesson", "bimbala-lesson-7"});
        QVERIFY2(before.contains("Review\n") && before.contains("4294967297 · 100% · –") && !before.contains(" due ·"),
                 before.constData());
        QCOMPARE(run(env.value("PGUSER") + " dbname=liar",
                     function.arg("class_reviews(timestamptz, double precision, text[], text[])", "learner name, lesson text, "
                                  "items bigint, due bigint, recall double precision", "('anna'::name, 'bimbala-lesson-7'::text, "
                                  "-3::bigint, 99::bigint, 'NaN'::double precision), ('bela', 'bimbala-lesson-7', 4294967297, 99, "
                                  "1e308), ('bela', 'made-up', 5, 5, 0.5), ('cili', 'bimbala-lesson-7', 5, 99, 0.5)")), "");
        const QByteArray printed = classReport({"--lesson", "bimbala-lesson-7"}), csv = classReport({"--csv"});
        // B's and C's figures cut to what can be (due never more than the items, recall at most 100 %); A's, with
        // no items and no number for its recall, none.
        QVERIFY2(printed.count(" due · ") == 2 && printed.contains("99 due · 100%\n") &&
                     printed.contains("5 due · 50%\n"),
                 printed.constData());
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
        QSqlDatabase file = recordWith(path, 10000);
        Record record(path);
        const auto sync = [&](int port, bool resent) {
            if (resent)
                QSqlQuery(file).exec("DELETE FROM sent_marks");
            ClassSync sending(record, serverOf("emil", port));
            sending.start();
            return nextRound(sending);
        };
        const QString onServer = "SELECT (SELECT count(*) FROM bimbala.answers WHERE learner = 'emil') || ' ' || "
                                 "(SELECT count(*) FROM bimbala.runs WHERE learner = 'emil')";
        const ClassSync::Status away = sync(1, false); // unreachable: everything waits
        QCOMPARE(away.problem.left(28), "The class server 127.0.0.1:1");
        QCOMPARE(waiting(record, serverOf("emil")), "10000 1");
        // The line says what waits, answers and runs apart, since when (the day too) and why.
        const QString line = away.sentence(10000, 1);
        QVERIFY2(line.startsWith("10000 answers and 1 run wait for the class server since ") &&
                     line.contains(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)) && line.endsWith(away.problem),
                 qPrintable(line));
        QCOMPARE(sync(env.value("PGPORT").toInt(), false).problem, "");
        QCOMPARE(waiting(record, serverOf("emil")), "0 0");
        QCOMPARE(run(env.value("PGUSER"), onServer), "10000 1");
        // As if killed before marking what the server took: all of it again, counted once.
        QCOMPARE(sync(env.value("PGPORT").toInt(), true).problem, "");
        QCOMPARE(run(env.value("PGUSER"), onServer), "10000 1");

        // The server stopped at once while the rows go over, and started again: each arrives once.
        QSqlQuery(file).exec("DELETE FROM sent_marks");
        QVERIFY(!run(env.value("PGUSER"), "DELETE FROM bimbala.answers WHERE learner = 'emil'").startsWith("error"));
        ClassSync sending(record, serverOf("emil"), {200, 1000, 30000});
        QSignalSpy told(&sending, &ClassSync::statusChanged);
        sending.start();
        QTRY_VERIFY_WITH_TIMEOUT(run(env.value("PGUSER"), "SELECT count(*) > 0 FROM bimbala.answers WHERE learner = 'emil'") == "true", 10000);
        QSqlDatabase::removeDatabase(env.value("PGUSER"));
        QCOMPARE(QProcess::execute(BIMBALA_PG_CLUSTER, {"crash", qEnvironmentVariable("BIMBALA_CLASS_SERVER")}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty() && waiting(record, serverOf("emil")) == "0 0", 60000);
        QSqlDatabase::removeDatabase(env.value("PGUSER"));
        QCOMPARE(run(env.value("PGUSER"), onServer), "10000 1");
    }

    // Rows are marked as sent only once the server has committed them: a server that refuses the
    // commit (a deferred check) leaves every row waiting, and they go over once it takes them.
    void markedOnlyAfterTheCommit()
    {
        QVERIFY(addLearner("ilka"));
        const QString owner = env.value("PGUSER");
        QCOMPARE(run(owner, "CREATE TABLE bimbala.refuse_commits(learner name); INSERT INTO bimbala.refuse_commits VALUES ('ilka'); "
                            "CREATE FUNCTION bimbala.refuse_commit() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER AS $$ BEGIN "
                            "IF EXISTS (SELECT FROM bimbala.refuse_commits r WHERE r.learner = NEW.learner) THEN "
                            "RAISE EXCEPTION 'refused at commit'; END IF; RETURN NULL; END $$; "
                            "CREATE CONSTRAINT TRIGGER refuse AFTER INSERT ON bimbala.answers DEFERRABLE INITIALLY DEFERRED "
                            "FOR EACH ROW EXECUTE FUNCTION bimbala.refuse_commit()"), "");
        QTemporaryDir dir;
        recordWith(dir.filePath("progress.sqlite"), 20);
        Record record(dir.filePath("progress.sqlite"));
        ClassSync sending(record, serverOf("ilka"), {100, 100, 30000});
        sending.start();
        QVERIFY(nextRound(sending).problem.contains("refused at commit"));
        QCOMPARE(waiting(record, serverOf("ilka")), "20 1");
        QCOMPARE(run(owner, "DELETE FROM bimbala.refuse_commits"), "");
        QTRY_COMPARE_WITH_TIMEOUT(waiting(record, serverOf("ilka")), "0 0", 10000);
        QCOMPARE(run(owner, "SELECT count(*) FROM bimbala.answers WHERE learner = 'ilka'"), "20");
        QCOMPARE(run(owner, "DROP TRIGGER refuse ON bimbala.answers; DROP FUNCTION bimbala.refuse_commit(); "
                            "DROP TABLE bimbala.refuse_commits"), "");
    }

    // The server killed (its backend, with SIGKILL: every connection goes and the server recovers from its log)
    // at each step of a round: between rounds, while the INSERT runs, once the INSERT is done and before the
    // COMMIT reaches the server, while the COMMIT runs, and once committed before its answer reaches this
    // computer. The server holds the round at a step with a lock the test holds; the relay holds what is sent
    // after it. Every row noted as sent is on the server, and once the server is back each arrives once.
    void killedAtEveryStep_data()
    {
        QTest::addColumn<QString>("holdAt");   // where the server holds the round: "insert", "commit", or nowhere
        QTest::addColumn<QString>("thenHold"); // what the relay holds once the server lets go: "to the server", "to the computer"
        QTest::addColumn<QString>("state");    // the backend's as it is killed
        QTest::newRow("between rounds") << "" << "" << "idle";
        QTest::newRow("while the INSERT runs") << "insert" << "" << "active";
        QTest::newRow("after the INSERT, before the COMMIT") << "insert" << "to the server" << "idle in transaction";
        QTest::newRow("while the COMMIT runs") << "commit" << "" << "active";
        QTest::newRow("committed, its answer on the way") << "commit" << "to the computer" << "idle";
    }
    void killedAtEveryStep()
    {
        QFETCH(QString, holdAt);
        QFETCH(QString, thenHold);
        QFETCH(QString, state);
        static int rows = 0;
        const QString learner = QString("step%1").arg(++rows);
        QVERIFY(addLearner(learner));
        QCOMPARE(administer({"CREATE TABLE IF NOT EXISTS bimbala.hold_at(learner name, step text)",
                             "CREATE OR REPLACE FUNCTION bimbala.hold() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER AS $$ "
                             "BEGIN IF EXISTS (SELECT FROM bimbala.hold_at h WHERE h.learner = session_user AND h.step = TG_ARGV[0]) "
                             "THEN PERFORM pg_advisory_xact_lock_shared(7); END IF; RETURN NULL; END $$",
                             "DROP TRIGGER IF EXISTS hold_insert ON bimbala.answers",
                             "CREATE TRIGGER hold_insert BEFORE INSERT ON bimbala.answers FOR EACH STATEMENT EXECUTE FUNCTION bimbala.hold('insert')",
                             "DROP TRIGGER IF EXISTS hold_commit ON bimbala.answers",
                             "CREATE CONSTRAINT TRIGGER hold_commit AFTER INSERT ON bimbala.answers DEFERRABLE INITIALLY DEFERRED "
                             "FOR EACH ROW EXECUTE FUNCTION bimbala.hold('commit')",
                             QString("INSERT INTO bimbala.hold_at VALUES ('%1', '%2')").arg(learner, holdAt),
                             "SELECT pg_advisory_lock(7)"}), "");
        QTemporaryDir dir;
        const QString path = dir.filePath("progress.sqlite");
        QSqlDatabase file = recordWith(path, 20);
        QVERIFY(QSqlQuery(file).exec("DELETE FROM runs")); // answers alone: their INSERT is the round's last statement
        Record record(path);
        Relay relay(env.value("PGPORT").toInt());
        ClassServer server = serverOf(learner, relay.port);
        server.timeoutSeconds = 30; // no statement held here times out
        ClassSync sending(record, server, {100, 400, 300});
        QSignalSpy told(&sending, &ClassSync::statusChanged);
        sending.start();
        const auto backend = [&](const QString &where) {
            return run(env.value("PGUSER"), "SELECT pid FROM pg_stat_activity WHERE usename = '" + learner + "' AND " + where).toInt();
        };
        int pid = 0;
        int answers = 20;
        if (holdAt.isEmpty()) {
            QTRY_COMPARE_WITH_TIMEOUT(waiting(record, server), "0 0", 20000);
            QTRY_VERIFY((pid = backend("state = 'idle'")) > 0);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT((pid = backend("wait_event_type = 'Lock'")) > 0, 20000);
            (thenHold == "to the server" ? relay.holdToServer : relay.holdToClient) = !thenHold.isEmpty();
            if (!thenHold.isEmpty()) {
                QCOMPARE(run(env.value("PGUSER"), "SELECT pg_advisory_unlock(7)"), "true");
                QTRY_VERIFY_WITH_TIMEOUT(backend("state = '" + state + "'") == pid, 20000);
            }
        }
        const qsizetype roundsBefore = told.size();
        QCOMPARE(::kill(pid, SIGKILL), 0);
        relay.cut();
        if (holdAt.isEmpty()) {
            for (int i = 0; i < 5; ++i)
                record.answerJudged(TestSupport::answerOf("1a", "after the kill", "e", "g", true));
            answers += 5;
        }
        QVERIFY(administratorBack());
        QTRY_VERIFY_WITH_TIMEOUT(told.size() > roundsBefore, 20000); // the round the kill cut short has ended
        // Every answer noted as sent is on the server.
        QSqlQuery marked(file);
        QVERIFY(marked.exec("SELECT uid FROM answers WHERE id <= (SELECT coalesce(max(up_to), 0) FROM sent_marks WHERE what = 'answers')"));
        QStringList uids;
        while (marked.next())
            uids << marked.value(0).toString();
        QCOMPARE(run(env.value("PGUSER"), "SELECT count(*) FROM bimbala.answers WHERE uid = ANY (?::uuid[])", {"{" + uids.join(',') + "}"}),
                 QString::number(uids.size()));
        // And the rest arrives, each once.
        QTRY_COMPARE_WITH_TIMEOUT(waiting(record, server), "0 0", 30000);
        QCOMPARE(run(env.value("PGUSER"), "SELECT count(*) FROM bimbala.answers WHERE learner = ?", {learner}), QString::number(answers));
        QCOMPARE(administer({"DROP TRIGGER hold_insert ON bimbala.answers", "DROP TRIGGER hold_commit ON bimbala.answers",
                             "DROP FUNCTION bimbala.hold()", "DROP TABLE bimbala.hold_at"}), "");
    }

    // The end of a sync cuts its own connection only, in the middle of a statement the server does not answer:
    // another connection to the same server port, made on another thread while the sync's was being made, goes on.
    void endCutsItsOwnConnectionOnly()
    {
        QVERIFY(addLearner("tomi"));
        QTemporaryDir dir;
        recordWith(dir.filePath("progress.sqlite"), 5);
        Record record(dir.filePath("progress.sqlite"));
        Relay relay(env.value("PGPORT").toInt());
        relay.holdNew = true;
        auto sending = std::make_unique<ClassSync>(record, serverOf("tomi", relay.port), ClassSync::Timing{100, 100, 100});
        QSignalSpy told(sending.get(), &ClassSync::statusChanged);
        sending->start();
        QTRY_COMPARE(relay.connections.load(), 1); // the sync's, held while it is being made
        relay.holdNew = false;
        std::promise<QString> opened, afterTheEnd;
        std::promise<void> ended;
        std::thread other([&] {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "other thread");
                db.setHostName(env.value("PGHOST"));
                db.setPort(relay.port);
                db.setDatabaseName(env.value("PGDATABASE"));
                db.setUserName("anna");
                db.setPassword("pw-anna");
                db.setConnectOptions("sslmode=verify-full;sslrootcert=" + env.value("PGSSLROOTCERT"));
                const auto one = [&db] {
                    QSqlQuery query(db);
                    return query.exec("SELECT 1") && query.next() ? query.value(0).toString() : query.lastError().text();
                };
                opened.set_value(db.open() ? one() : db.lastError().text());
                ended.get_future().wait();
                afterTheEnd.set_value(one());
            }
            QSqlDatabase::removeDatabase("other thread");
        });
        QCOMPARE(opened.get_future().get(), "1");
        relay.release();
        QVERIFY(told.wait(20000));
        QCOMPARE(told.last().first().value<ClassSync::Status>().problem, "");
        const int backend = run(env.value("PGUSER"), "SELECT pid FROM pg_stat_activity WHERE usename = 'tomi'").toInt();
        QVERIFY(backend > 0);
        QCOMPARE(::kill(backend, SIGSTOP), 0);
        const auto resume = qScopeGuard([&] { ::kill(backend, SIGCONT); });
        record.answerJudged(TestSupport::answerOf("1a", "ház", "a háznál", "a háznak", true));
        QTest::qWait(500); // the next round is sending it into the stopped backend now
        sending.reset();
        ended.set_value();
        const QString after = afterTheEnd.get_future().get();
        other.join();
        QCOMPARE(after, "1");
    }

    // What the server or libpq says, in the class line, as one line: a connection the administrator ended
    // ("FATAL: terminating connection due to administrator command" and libpq's words on a line each), and a
    // server's refusal with line breaks, tabs and a terminal's escape in it.
    void classLineIsOneLine_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("said"); // in the line, as a regular expression
        QTest::newRow("connection ended by the administrator") << "terminated"
                                                               << "administrator command; [A-Z]\\S+ .*connection";
        QTest::newRow("a refusal over several lines") << "refused"
                                                      << "ERROR: refused here; By the trigger\uFFFD\\[2J now; CONTEXT: ";
    }
    void classLineIsOneLine()
    {
        QFETCH(QString, fault);
        QFETCH(QString, said);
        const QString learner = fault == "terminated" ? "umar" : "vili";
        QVERIFY(addLearner(learner));
        if (fault == "refused")
            QCOMPARE(administer({"CREATE FUNCTION bimbala.refuse_lines() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                 "RAISE EXCEPTION E'refused here\\nBy the trigger\\x1b[2J\\tnow'; END $$",
                                 "CREATE TRIGGER refuse_lines BEFORE INSERT ON bimbala.answers FOR EACH STATEMENT WHEN "
                                 "(session_user = 'vili') EXECUTE FUNCTION bimbala.refuse_lines()"}), "");
        QTemporaryDir dir;
        recordWith(dir.filePath("progress.sqlite"), 5);
        Record record(dir.filePath("progress.sqlite"));
        ClassSync sending(record, serverOf(learner), {100, 100, 100});
        sending.start();
        ClassSync::Status status = nextRound(sending);
        if (fault == "terminated") {
            QCOMPARE(status.problem, "");
            QSignalSpy told(&sending, &ClassSync::statusChanged);
            QCOMPARE(run(env.value("PGUSER"), "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE usename = 'umar'"), "true");
            record.answerJudged(TestSupport::answerOf("1a", "ház", "a háznál", "a háznak", true));
            const auto failed = [&told] {
                for (const QVariantList &said : told)
                    if (const auto round = said.first().value<ClassSync::Status>(); !round.problem.isEmpty())
                        return round;
                return ClassSync::Status{};
            };
            QTRY_VERIFY_WITH_TIMEOUT(!(status = failed()).problem.isEmpty(), 10000);
        } else {
            QCOMPARE(administer({"DROP TRIGGER refuse_lines ON bimbala.answers", "DROP FUNCTION bimbala.refuse_lines()"}), "");
        }
        const QString line = status.sentence(5, 1);
        QVERIFY2(QRegularExpression(said).match(line).hasMatch(), qPrintable(line));
        QVERIFY2(std::none_of(line.begin(), line.end(), [](QChar c) { return c.category() == QChar::Other_Control; }), qPrintable(line));
        QVERIFY2(fault != "terminated" || !line.contains(QChar::ReplacementCharacter), qPrintable(line));
    }

    // A learner who leaves with their record, and a login renamed, as the administrator's guide does it (its SQL
    // run as written): the server's memory of the learner's items goes with the answers, so that a new learner
    // given the same login finds no old figures in a teacher's review, and a renamed learner keeps theirs.
    void learnerLeavesOrIsRenamed_data()
    {
        QTest::addColumn<QString>("guide");   // the guide's block after this text
        QTest::addColumn<QString>("login");   // the login name in it
        QTest::addColumn<QString>("renamed"); // the new login name in it, for a rename
        QTest::addColumn<bool>("earlier");    // done on a server of an earlier script, which this one is then run over
        QTest::newRow("leaves, and the login is given again") << "A learner who leaves" << "l8w3r5tnc" << "" << false;
        QTest::newRow("renamed") << "tell them their new login" << "anna_szabo" << "l4k2m9qzp" << false;
        QTest::newRow("left under an earlier script") << "A learner who leaves" << "l8w3r5tnc" << "" << true;
    }
    void learnerLeavesOrIsRenamed()
    {
        QFETCH(QString, guide);
        QFETCH(QString, login);
        QFETCH(QString, renamed);
        QFETCH(bool, earlier);
        const QString learner = earlier ? "yorick" : renamed.isEmpty() ? "wanda" : "xaver", newLogin = learner + "2";
        QVERIFY(addLearner(learner));
        // Missed, right, and right with the solution shown, 10 days ago: each due for review now.
        QCOMPARE(run(learner, "INSERT INTO bimbala.answers(uid, at, lesson, exercise, item, expected, given, \"right\", "
                              "solution_shown, retry) SELECT gen_random_uuid(), now() - interval '10 days', 'bimbala-lesson-7', "
                              "'1a', i, 'e', 'g', i <> 'x', i = 'z', false FROM unnest('{x,y,z}'::text[]) i"), "");
        const QString review = QString("SELECT concat_ws(' ', learner, items, due) FROM bimbala.class_reviews(now(), 0.9, "
                                       "'{bimbala-lesson-7}', '{1a}') WHERE learner IN ('%1', '%2')").arg(learner, newLogin);
        QCOMPARE(run("tanar_a", review), learner + " 3 3");
        QString block = guideSql(guide);
        QVERIFY2(block.contains(login), qPrintable(block));
        block.replace(login, learner).replace(" TO postgres", " TO " + env.value("PGUSER")); // the cluster's superuser
        if (!renamed.isEmpty())
            block.replace(renamed, newLogin);
        if (earlier) // the memory stayed when answers went
            QCOMPARE(administer({"DROP TRIGGER answers_gone ON bimbala.answers", "COMMENT ON TABLE bimbala.memory IS NULL"}), "");
        QCOMPARE(administerScript(block), "0");
        QSqlDatabase::removeDatabase(learner);
        if (earlier) {
            QFile script(BIMBALA_CLASS_SERVER_SQL);
            QVERIFY(script.open(QIODevice::ReadOnly));
            QCOMPARE(administerScript("BEGIN;\n" + QString::fromUtf8(script.readAll()) + "\nCOMMIT;\n"), "0");
        }
        if (renamed.isEmpty()) {
            QVERIFY(addLearner(learner)); // someone else, given the login that is free again
            QCOMPARE(run("tanar_a", review), "");
        } else {
            QCOMPARE(run("tanar_a", review), newLogin + " 3 3");
        }
        QCOMPARE(run(env.value("PGUSER"), "SELECT count(*) FROM bimbala.memory WHERE learner = ?", {learner}), "0");
    }

    // The server's copy of the memory model against the hand-worked reviews that the program's own is checked
    // against (memory/fsrs-cases.csv): each through fsrs_step, and the memory before it, left that many days, as
    // the teacher's review counts it (the chance of recall; due or not for three recalls aimed at) against the
    // program's formulas.
    void serverMemoryModel_data()
    {
        QVERIFY(TestSupport::fsrsCaseRows(BIMBALA_FSRS_CASES) > 0);
    }
    void serverMemoryModel()
    {
        QFETCH(double, stability);
        QFETCH(double, difficulty);
        QFETCH(double, days);
        QFETCH(bool, right);
        QFETCH(bool, shown);
        QFETCH(bool, retry);
        QFETCH(double, newStability);
        QFETCH(double, newDifficulty);
        const auto number = [](double value) { return QString::number(value, 'g', 17); };
        // The memory before: none for a first review; the last answer at the epoch, this one `days` after it.
        const QString memory = stability > 0 ? QString("ARRAY[%1, %2, 0]::float8[]").arg(number(stability), number(difficulty)) : "NULL";
        const QStringList after = run(env.value("PGUSER"), QString("SELECT array_to_string(bimbala.fsrs_step(%1, to_timestamp(%2 * 86400), "
                                                                   "%3, %4, %5), ' ')")
                                                               .arg(memory, number(days), right ? "true" : "false",
                                                                    shown ? "true" : "false", retry ? "true" : "false"))
                                      .split(' ');
        QCOMPARE(after.size(), 3);
        QVERIFY2(qAbs(after[0].toDouble() - newStability) < 1e-3, qPrintable(after[0]));
        QVERIFY2(qAbs(after[1].toDouble() - newDifficulty) < 1e-3, qPrintable(after[1]));
        if (stability == 0)
            return;
        const QString item = QTest::currentDataTag();
        QCOMPARE(run(env.value("PGUSER"), "INSERT INTO bimbala.memory VALUES ('fsrs', 'fsrs-cases', 'x', ?, ?::float8[])",
                     {item, "{" + number(stability) + "," + number(difficulty) + ",0}"}), "");
        const auto cleanUp = qScopeGuard([&] { run(env.value("PGUSER"), "DELETE FROM bimbala.memory WHERE learner = 'fsrs'"); });
        for (const double retention : {0.7, 0.9, 0.97}) {
            const QStringList review = run(env.value("PGUSER"), QString("SELECT concat_ws(' ', recall, due) FROM bimbala.class_reviews("
                                                                        "to_timestamp(%1 * 86400), %2, '{fsrs-cases}', '{x}')")
                                                                    .arg(number(days), number(retention)))
                                           .split(' ');
            QCOMPARE(review.size(), 2);
            QVERIFY2(qAbs(review[0].toDouble() - Fsrs::retrievability(days, stability)) < 1e-3, qPrintable(review[0]));
            // Due once the recall aimed at is reached; on the very day, either.
            const double interval = Fsrs::interval(retention, stability);
            if (qAbs(days - interval) > 1e-6)
                QCOMPARE(review[1], days > interval ? "1" : "0");
        }
    }

    // A text with a control character (a C1 one pasted from a PDF, a terminal's escape) goes over with a blank
    // in its place, which the server takes, so that the sync never stalls on one row; a line separator, which is
    // no control character, goes as it is.
    void controlCharactersGoAsBlanks_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("onServer");
        QTest::newRow("next line (U+0085) in the answer given") << "answers" << "given" << "a ház\u0085nál" << "a ház nál";
        QTest::newRow("a C1 CSI (U+009B) in the item") << "answers" << "item" << "ház\u009b2J" << "ház 2J";
        QTest::newRow("an escape in the right answer") << "answers" << "expected" << "a\u001b[2Jháznál" << "a [2Jháznál";
        QTest::newRow("next line in a run's person") << "runs" << "person" << "Anna\u0085Béla" << "Anna Béla";
        QTest::newRow("a line separator in the item") << "answers" << "item" << "ház\u2028nál" << "ház\u2028nál";
    }
    void controlCharactersGoAsBlanks()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QString, text);
        QFETCH(QString, onServer);
        static int rows = 0;
        const QString learner = QString("ctrl%1").arg(++rows);
        QVERIFY(addLearner(learner));
        QTemporaryDir dir;
        const QString path = dir.filePath("progress.sqlite");
        QSqlDatabase file = recordWith(path, 3);
        QSqlQuery change(file);
        QVERIFY(change.exec(QString("SELECT uid FROM %1 ORDER BY rowid LIMIT 1").arg(table)) && change.next());
        const QString uid = change.value(0).toString();
        QVERIFY(change.prepare(QString("UPDATE %1 SET %2 = ? WHERE uid = ?").arg(table, column)));
        change.addBindValue(text);
        change.addBindValue(uid);
        QVERIFY(change.exec());
        Record record(path);
        ClassSync sending(record, serverOf(learner));
        sending.start();
        QCOMPARE(nextRound(sending).problem, "");
        QCOMPARE(waiting(record, serverOf(learner)), "0 0");
        QCOMPARE(run(env.value("PGUSER"), QString("SELECT %2 FROM bimbala.%1 WHERE uid = ?").arg(table, column), {uid}), onServer);
    }

    // The teacher's review counts what is due for the recall the teacher's program aims at (its setting, 70 to 97 %,
    // 90 % where none is set), as the learner's own review does: items answered right 12 hours, 2, 10 and 20 days ago.
    void reviewAimsAtTheTeachersRecall_data()
    {
        QTest::addColumn<int>("retention"); // 0: not set
        QTest::addColumn<qint64>("due");
        QTest::newRow("not set: 90 %") << 0 << qint64(2);
        QTest::newRow("70 %") << 70 << qint64(1);
        QTest::newRow("90 %") << 90 << qint64(2);
        QTest::newRow("97 %") << 97 << qint64(3);
        QTest::newRow("50 %, taken as 70 %") << 50 << qint64(1);
        QTest::newRow("99 %, taken as 97 %") << 99 << qint64(3);
    }
    void reviewAimsAtTheTeachersRecall()
    {
        QFETCH(int, retention);
        QFETCH(qint64, due);
        static const bool answered = [this] {
            return addLearner("zeno") &&
                   run(env.value("PGUSER"), "INSERT INTO bimbala.answers(uid, learner, at, lesson, exercise, item, expected, given, "
                                            "\"right\", solution_shown, retry) SELECT gen_random_uuid(), 'zeno', now() - d * "
                                            "interval '1 day', 'bimbala-lesson-7', '1a', 'item ' || d, 'e', 'e', true, false, false "
                                            "FROM unnest('{0.5,2,10,20}'::float8[]) d") == "";
        }();
        QVERIFY(answered);
        QSettings settings = programSettings();
        if (retention)
            setReviewRetention(retention);
        else
            settings.remove("review/retention");
        const auto unset = qScopeGuard([] { programSettings().remove("review/retention"); });
        ClassServer teacher = serverOf("tanar_a");
        ClassReport report;
        const QString connection = ClassServer::connectionName("report");
        const QString read = report.read(teacher, connection, {{"bimbala-lesson-7", {"1a"}}});
        QSqlDatabase::removeDatabase(connection);
        QCOMPARE(read, "");
        const ClassReport::Memory &zeno = report.memory[std::pair<QString, QString>("zeno", "bimbala-lesson-7")];
        QCOMPARE(zeno.items, 4);
        QCOMPARE(zeno.due, due);
    }

    // All my computers counts each answer on the learner's own day, wherever the computer is: an answer given early
    // in the morning east of Greenwich or late in the evening west of it is on that day, not on the day of its UTC
    // time, whether another computer sent it (fetched from the server) or this one has it still to send.
    void allMyComputersCountsLocalDays_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QTime>("at");      // yesterday, the learner's time
        QTest::addColumn<int>("utcDay");    // the day of its UTC time, from yesterday
        QTest::newRow("Tokyo, early in the morning") << QByteArray("Asia/Tokyo") << QTime(0, 30) << -1;
        QTest::newRow("Tokyo, late in the evening") << QByteArray("Asia/Tokyo") << QTime(23, 30) << 0;
        QTest::newRow("New York, early in the morning") << QByteArray("America/New_York") << QTime(0, 30) << 0;
        QTest::newRow("New York, late in the evening") << QByteArray("America/New_York") << QTime(23, 30) << 1;
    }
    void allMyComputersCountsLocalDays()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QTime, at);
        QFETCH(int, utcDay);
        const bool hadZone = qEnvironmentVariableIsSet("TZ");
        const QByteArray zoneBefore = qgetenv("TZ");
        qputenv("TZ", zone);
        tzset();
        const auto restore = qScopeGuard([&] {
            if (hadZone)
                qputenv("TZ", zoneBefore);
            else
                qunsetenv("TZ");
            tzset();
        });
        static int rows = 0;
        const QString learner = QString("zone%1").arg(++rows), lesson = TestSupport::lesson7().id;
        QVERIFY(addLearner(learner));
        const QDate yesterday = QDate::currentDate().addDays(-1);
        const QString when = QDateTime(yesterday, at).toUTC().toString(Qt::ISODateWithMs);
        QCOMPARE(yesterday.daysTo(QDateTime::fromString(when, Qt::ISODateWithMs).date()), utcDay); // the zone is in force
        // Another computer's, on the server; this computer's, not sent yet.
        QCOMPARE(run(learner, "INSERT INTO bimbala.answers(uid, at, lesson, exercise, item, expected, given, \"right\", solution_shown, "
                              "retry) VALUES (gen_random_uuid(), ?::timestamptz, ?, '1a', 'ház', 'a háznál', 'a háznál', true, false, false)",
                     {when, lesson}),
                 "");
        QTemporaryDir dir;
        const QString path = dir.filePath("progress.sqlite");
        QSqlDatabase file = recordWith(path, 0);
        QSqlQuery add(file);
        QVERIFY(add.prepare("INSERT INTO answers(lesson, uid, at, exercise, item, expected, given, right, solution_shown, retry) "
                            "VALUES (?, ?, ?, '1a', 'fal', 'a falnál', 'a falnak', 0, 0, 0)"));
        for (const QString &value : {lesson, QUuid::createUuid().toString(QUuid::WithoutBraces), when})
            add.addBindValue(value);
        QVERIFY(add.exec());
        Record record(path);
        const ClassServer server = serverOf(learner);
        ClassSync sync(record, server);
        QSignalSpy fetched(&sync, &ClassSync::fetched);
        sync.fetchMine(lesson);
        QVERIFY(fetched.wait(20000) && fetched.last().at(1).toBool());
        const RecordData::Figures figures =
            record.figures({lesson, {"1a"}, QDate::currentDate(), 30, RecordData::Scope::AllComputers, server.key()}).result();
        QCOMPARE(figures.answersWaiting, 1);
        QStringList days; // the days with first tries: day, tries, right
        for (const RecordData::DayShare &day : figures.summaries.at(0).days)
            if (day.firstTries > 0)
                days << QString("%1 %2 %3").arg(day.day.toString(Qt::ISODate)).arg(day.firstTries).arg(day.rightAtFirstTry);
        QCOMPARE(days.join(", "), yesterday.toString(Qt::ISODate) + " 2 1");
    }

    // Two learners whose runs have the same number on their computers: both runs are on the server, each
    // the learner's own, and the answers name their run without doubt.
    void runsOfTheSameNumber()
    {
        QTemporaryDir dir;
        for (const QString learner : {"jani", "kati"}) {
            QVERIFY(addLearner(learner));
            const QString path = dir.filePath(learner);
            QSqlDatabase file = recordWith(path, 3);
            QVERIFY(QSqlQuery(file).exec("UPDATE runs SET id = 7") && QSqlQuery(file).exec("UPDATE answers SET run = 7"));
            Record record(path);
            ClassSync sending(record, serverOf(learner));
            sending.start();
            QCOMPARE(nextRound(sending).problem, "");
        }
        QCOMPARE(run(env.value("PGUSER"), "SELECT string_agg(r.learner || ' ' || (SELECT count(*) FROM bimbala.answers a WHERE "
                                          "a.run_uid = r.uid AND a.learner = r.learner), ', ' ORDER BY r.learner) FROM "
                                          "bimbala.runs r WHERE r.learner IN ('jani', 'kati') AND r.id = 7"),
                 "jani 3, kati 3");
    }

    // A second class server after the first (the learner joined another from the Class window): it gets every
    // row too, and the line says what waits for it, not what the first one has.
    void secondServer()
    {
        QVERIFY(addLearner("lili"));
        const QString second = env.value("BIMBALA_SECOND_DATABASE");
        if (second.isEmpty())
            QSKIP("The test cluster has no second database.");
        QVERIFY(!run(env.value("PGUSER") + " dbname=" + second, "SELECT bimbala.add_class('3a'); "
                                                                 "SELECT bimbala.add_learner('lili', '3a', 'lili')").startsWith("error"));
        QTemporaryDir dir;
        recordWith(dir.filePath("progress.sqlite"), 50);
        Record record(dir.filePath("progress.sqlite"));
        ClassServer first = serverOf("lili");
        {
            ClassSync sending(record, first);
            sending.start();
            QCOMPARE(nextRound(sending).problem, "");
        }
        ClassServer other = first;
        other.database = second;
        QCOMPARE(waiting(record, first), "0 0");
        QCOMPARE(waiting(record, other), "50 1");
        ClassSync sending(record, other);
        sending.start();
        QCOMPARE(nextRound(sending).problem, "");
        QCOMPARE(waiting(record, other), "0 0");
        QCOMPARE(run(env.value("PGUSER") + " dbname=" + second, "SELECT count(*) FROM bimbala.answers WHERE learner = 'lili'"), "50");
    }

    // A record that cannot note what was sent (a read-only folder; a file that refuses the marks once the
    // first batch went) stops the sync with one sentence: the same rows are not sent again and again. A
    // record that another copy holds keeps the marks until it is free, and sends nothing twice meanwhile;
    // the end waits no longer for it than for any answer.
    void recordThatCannotNote_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("batches"); // INSERT statements the server gets at most
        QTest::addColumn<QString>("said");
        QTest::newRow("read-only folder") << "read-only" << 0 << "Nothing is sent to the class server: this computer cannot note";
        QTest::newRow("marks refused") << "refused" << 1 << "The class server has the answers sent last, but this computer cannot";
        QTest::newRow("held by another copy") << "busy" << 2 << "";
    }
    void recordThatCannotNote()
    {
        QFETCH(QString, fault);
        QFETCH(int, batches);
        QFETCH(QString, said);
        const QString learner = "nora" + QString::number(QTest::currentDataTag()[0]);
        QVERIFY(addLearner(learner));
        const QString owner = env.value("PGUSER");
        QCOMPARE(run(owner, "CREATE TABLE IF NOT EXISTS bimbala.inserts(n int); CREATE OR REPLACE FUNCTION bimbala.count_insert() "
                            "RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER AS $$ BEGIN INSERT INTO bimbala.inserts VALUES (1); "
                            "RETURN NULL; END $$; DROP TRIGGER IF EXISTS counted ON bimbala.answers; CREATE TRIGGER counted AFTER "
                            "INSERT ON bimbala.answers FOR EACH STATEMENT EXECUTE FUNCTION bimbala.count_insert(); "
                            "TRUNCATE bimbala.inserts"), "");
        QTemporaryDir dir;
        const QString folder = dir.filePath("data");
        QDir().mkpath(folder);
        const QString path = folder + "/progress.sqlite";
        {
            QSqlDatabase file = recordWith(path, 700);
            if (fault == "refused")
                QVERIFY(QSqlQuery(file).exec("CREATE TRIGGER refuse BEFORE INSERT ON sent_marks BEGIN "
                                             "SELECT RAISE(ABORT, 'disk I/O error'); END"));
            if (fault == "busy")
                QVERIFY(QSqlQuery(file).exec("BEGIN IMMEDIATE")); // held until the end
            else
                file.close();
        }
        std::unique_ptr<TestSupport::ReadOnlyFolder> readOnly;
        if (fault == "read-only") {
            readOnly = std::make_unique<TestSupport::ReadOnlyFolder>(folder);
            if (!readOnly->ok)
                QSKIP("The folder cannot be made read-only here.");
        }
        QElapsedTimer ending;
        {
            Record record(path);
            ClassSync sending(record, serverOf(learner), {50, 100, 100});
            sending.start();
            const ClassSync::Status status = nextRound(sending);
            QVERIFY2(status.problem.contains(said) && status.stopped == !said.isEmpty(), qPrintable(status.problem));
            QTest::qWait(1000); // ten rounds' time
            if (fault == "busy")
                QCOMPARE(waiting(record, serverOf(learner)), "0 0"); // all on the server, though the file cannot say so yet
            else
                QCOMPARE(status.sentence(700, 1), status.problem);
            ending.start();
        }
        QVERIFY(ending.elapsed() < 2000);
        QSqlDatabase::removeDatabase(path);
        QCOMPARE(run(owner, "SELECT count(*) <= " + QString::number(batches) + " FROM bimbala.inserts"), "true");
        QCOMPARE(run(owner, "DROP TRIGGER counted ON bimbala.answers"), "");
    }

    // A server that stops answering in the middle of a round (its backend stopped, as a laptop leaving the
    // school's network finds it): the end comes within two seconds all the same, and the rows not yet
    // marked go at the next start.
    void stalledServer()
    {
        QVERIFY(addLearner("olga"));
        QTemporaryDir dir;
        const QString path = dir.filePath("progress.sqlite");
        QSqlDatabase file = recordWith(path, 10);
        auto record = std::make_unique<Record>(path);
        auto sending = std::make_unique<ClassSync>(*record, serverOf("olga"), ClassSync::Timing{100, 100, 100});
        sending->start();
        QCOMPARE(nextRound(*sending).problem, "");
        const QString backend = run(env.value("PGUSER"), "SELECT pid FROM pg_stat_activity WHERE usename = 'olga'");
        QVERIFY2(backend.toInt() > 0, qPrintable(backend));
        QCOMPARE(::kill(backend.toInt(), SIGSTOP), 0);
        const auto resume = qScopeGuard([&] { ::kill(backend.toInt(), SIGCONT); });
        for (int i = 0; i < 5; ++i)
            record->answerJudged(TestSupport::answerOf("1a", "after the stall", "e", "g", true));
        QTest::qWait(500); // the next round is sending into the stalled connection now
        QElapsedTimer took;
        took.start();
        sending.reset();
        record.reset();
        qInfo("The end took %lld ms with the server stalled.", took.elapsed());
        QVERIFY(took.elapsed() < 2000);
        QCOMPARE(QSqlQuery(QStringLiteral("SELECT count(*) FROM answers"), file).next(), true);
        Record again(path);
        QCOMPARE(waiting(again, serverOf("olga")), "5 0");
    }

    // The pause before the next try grows while the server cannot be reached, and starts again from the
    // shortest once it could be: the next outage is not waited out for minutes.
    void pauseStartsAgainAfterTheServerWasBack()
    {
        QVERIFY(addLearner("piri"));
        QTemporaryDir dir;
        recordWith(dir.filePath("progress.sqlite"), 5);
        Record record(dir.filePath("progress.sqlite"));
        const QString owner = env.value("PGUSER");
        const auto shutOut = [&](bool out) {
            run(owner, QString("ALTER ROLE piri %1LOGIN").arg(out ? "NO" : ""));
            if (out)
                run(owner, "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE usename = 'piri'");
        };
        shutOut(true);
        ClassSync sending(record, serverOf("piri"), {200, 6400, 300});
        QSignalSpy told(&sending, &ClassSync::statusChanged);
        sending.start();
        QTRY_VERIFY_WITH_TIMEOUT(told.size() >= 5, 10000); // 200, 400, 800, 1600 ms apart
        shutOut(false);
        QTRY_VERIFY_WITH_TIMEOUT(told.last().first().value<ClassSync::Status>().problem.isEmpty(), 10000);
        shutOut(true);
        record.answerJudged(TestSupport::answerOf("1a", "ház", "a háznál", "a háznak", true)); // something to send into the outage
        QTRY_VERIFY_WITH_TIMEOUT(!told.last().first().value<ClassSync::Status>().problem.isEmpty(), 5000);
        QElapsedTimer gap;
        gap.start();
        const qsizetype failed = told.size();
        QTRY_VERIFY_WITH_TIMEOUT(told.size() > failed, 5000);
        QVERIFY2(gap.elapsed() < 1000, qPrintable(QString::number(gap.elapsed())));
        shutOut(false);
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
        Record store(dir.filePath("progress.sqlite"));
        store.prepare();
        // Each answer timed from just before the one before it, the first from before `first`.
        const auto judge = [&](const std::function<void()> &first) {
            QElapsedTimer took;
            took.start();
            first();
            qint64 longest = 0;
            for (int i = 0; i < 200; ++i) {
                const qint64 before = i == 0 ? 0 : took.elapsed();
                store.answerJudged(TestSupport::answerOf("1a", QString::number(i), "a háznál", "a háznak", false));
                QCoreApplication::processEvents();
                longest = std::max(longest, took.elapsed() - before);
            }
            return std::pair{took.elapsed(), longest};
        };
        const auto [alone, longestAlone] = judge([] {});
        ClassSync sending(store, serverOf("anna", silent.port));
        const auto [withServer, longest] = judge([&] { sending.start(); });
        qInfo("200 answers judged: %lld ms alone, %lld ms with a silent server; the longest %lld ms and %lld ms",
              alone, withServer, longestAlone, longest);
        // Waiting for the server would take its whole time-out, 5 s; a busy machine's hiccups are far shorter.
        QVERIFY2(longest < 1000 && withServer < 2 * alone + 1000, "judging waited for the class server");
    }

    // All my computers: the learner's rows from another computer and this computer's, sent or not, each answer
    // and run counted once, what was fetched last while the server is out of reach; This computer: its own alone.
    // A second fetch brings only what is new.
    void allMyComputers()
    {
        QVERIFY(addLearner("fanni"));
        const auto fromAnotherComputer = [&](const QString &item) {
            return run("fanni", "INSERT INTO bimbala.runs(uid, id, lesson, exercise, variant, person, started, ended, outcome) "
                                "VALUES (gen_random_uuid(), 7, 'bimbala-lesson-7', '1a', 'basic', '', now(), now(), "
                                "'accomplished'); INSERT INTO bimbala.answers(uid, at, lesson, exercise, item, expected, given, "
                                "\"right\", solution_shown, retry) VALUES (gen_random_uuid(), now(), 'bimbala-lesson-7', '1a', '" +
                                    item + "', 'a téren', 'a tér', false, false, false)");
        };
        QCOMPARE(fromAnotherComputer("tér"), "");
        QTemporaryDir dir;
        const QString path = dir.filePath("progress.sqlite");
        Record store(path);
        const auto runOfHaz = [&store](bool right) {
            const qint64 id = store.runStarted(TestSupport::lesson7Id(), "1a", ProgressRecord::Variant::Basic, {});
            store.answerJudged(TestSupport::answerOf("1a", "ház", "a háznál", "a háznak", right, false, false, id));
            store.runEnded(id, ProgressRecord::Outcome::Accomplished);
        };
        runOfHaz(false);
        ClassServer server = serverOf("fanni");
        {
            ClassSync sending(store, server);
            sending.start();
            QCOMPARE(nextRound(sending).problem, "");
        }
        runOfHaz(true); // never sent: the sync below is not started

        RecordingFeedback feedback;
        ProgressWindow window(store, feedback);
        window.Show();
        QVERIFY(!window.control<QWidget>("computers")->isVisibleTo(window.window()));
        ClassSync sync(store, server);
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
        QTRY_COMPARE(figures(), (QStringList{"3 / 0", "33 %", "ház 1", "tér 1", "2 items"}));
        // Only what is new since: one more answer from the other computer, and what this one sent meanwhile.
        QCOMPARE(fromAnotherComputer("fal"), "");
        sync.start();
        sync.fetchMine(TestSupport::lesson7().id);
        QVERIFY(fetched.wait(10000) && fetched.last().at(1).toBool());
        const QStringList all{"4 / 0", "25 %", "fal 1", "ház 1", "tér 1", "3 items"};
        QTRY_COMPARE(figures(), all);
        server.port = 1;
        ClassSync unreachable(store, server);
        window.setClassSync(&unreachable);
        QTRY_VERIFY(window.control<QLabel>("classLine")->text().contains("All my computers shows what the class server had on"));
        QCOMPARE(figures(), all);
        window.control<QRadioButton>("thisComputer")->click();
        QTRY_COMPARE(figures(), (QStringList{"2 / 0", "50 %", "ház 1", "1 items"}));
        window.setClassSync(nullptr);
        window.Unload();
    }

    // The Class window's Test: one sentence for each way it can go wrong, and never a long wait. TLS is
    // always checked against the school's CA for the very name typed: a server without TLS is not used
    // (and is never told the password), nor one whose certificate is made out to another name.
    void testSaysWhy_data()
    {
        QTest::addColumn<QString>("learner");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("caFile"); // empty: the test CA; "copied to NAME": a copy of it under that name
        QTest::addColumn<int>("port");       // 0: the cluster's; -1: a server that never answers; -2: one without TLS
        QTest::addColumn<QString>("host");   // empty: the cluster's
        QTest::addColumn<QString>("said");
        QTest::newRow("a learner") << "anna" << "pw-anna" << "" << 0 << "" << "";
        QTest::newRow("wrong password") << "anna" << "pw-bela" << "" << 0 << "" << "The password is not right for anna";
        QTest::newRow("unreachable") << "anna" << "pw-anna" << "" << 1 << "" << "The class server 127.0.0.1:1 cannot be reached";
        QTest::newRow("certificate not trusted") << "anna" << "pw-anna" << "/etc/ssl/certs/ca-certificates.crt" << 0 << ""
                                                 << "is not trusted";
        QTest::newRow("not a learner") << "dora" << "pw-dora" << "" << 0 << "" << "dora is not a learner of a class";
        QTest::newRow("never answers") << "anna" << "pw-anna" << "" << -1 << "" << "cannot be reached";
        QTest::newRow("CA path with a blank and a quote") << "anna" << "pw-anna" << "copied to school's CA file.crt sslmode=disable"
                                                          << 0 << "" << "";
        QTest::newRow("CA path with a semicolon") << "anna" << "pw-anna" << "copied to a;b.crt" << 0 << "" << "has a ';' in its name";
        QTest::newRow("CA file missing") << "anna" << "pw-anna" << "/nonexistent/school-ca.crt" << 0 << ""
                                         << "The school's CA file /nonexistent/school-ca.crt does not exist.";
        QTest::newRow("no CA file") << "anna" << "pw-anna" << "none" << 0 << "" << "No school's CA file is set";
        QTest::newRow("not a certificate") << "anna" << "pw-anna" << "/etc/hostname" << 0 << ""
                                           << "holds no certificate that can be read";
        QTest::newRow("server without TLS") << "anna" << "pw-anna" << "" << -2 << "" << "does not offer an encrypted connection";
        QTest::newRow("another name") << "anna" << "pw-anna" << "" << 0 << "bimbala.invalid" << "is made out to another name";
    }
    void testSaysWhy()
    {
        QFETCH(QString, learner);
        QFETCH(QString, password);
        QFETCH(QString, caFile);
        QFETCH(int, port);
        QFETCH(QString, host);
        QFETCH(QString, said);
        const SilentServer silent;
        QVERIFY(silent.port != 0);
        PlainServer plain;
        QTemporaryDir dir;
        ClassServer server;
        server.server = host.isEmpty() ? env.value("PGHOST") : host;
        server.port = port == 0 ? env.value("PGPORT").toInt() : port == -1 ? silent.port : port == -2 ? plain.port : port;
        server.database = env.value("PGDATABASE");
        server.learner = learner;
        server.password = password;
        server.caFile = caFile.isEmpty() ? env.value("PGSSLROOTCERT") : caFile == "none" ? QString() : caFile;
        if (caFile.startsWith("copied to ")) {
            server.caFile = dir.filePath(caFile.mid(10));
            QVERIFY(QFile::copy(env.value("PGSSLROOTCERT"), server.caFile));
        }
        server.timeoutSeconds = 2;
        // The name is checked, but the address is the cluster's: no name server is asked.
        if (!host.isEmpty())
            qputenv("PGHOSTADDR", env.value("PGHOST").toUtf8());
        const auto unset = qScopeGuard([] { qunsetenv("PGHOSTADDR"); });
        QElapsedTimer took;
        took.start();
        // Two at once, as Test and Save may be: each has a connection of its own.
        QFuture<QString> other = QtConcurrent::run([server] { return server.test(); });
        const QString answer = server.test();
        QCOMPARE(other.result(), answer);
        QVERIFY2(said.isEmpty() ? answer.isEmpty() : answer.startsWith(said) || answer.contains(said), qPrintable(answer));
        QVERIFY(took.elapsed() < 4000);
        QVERIFY2(!plain.toldMore, "a server without TLS was spoken to in clear");
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

    // The class saved before, at the next start without a keyring: the password is asked for once, over
    // whichever window the learner is at by then, and the record goes to the server; the line follows
    // the answers given at once.
    void startAsksForThePassword_data()
    {
        QTest::addColumn<bool>("exerciseOpen");
        QTest::addColumn<QString>("learner"); // one whose password this run has not kept yet
        QTest::newRow("over the main menu") << false << "bela";
        QTest::newRow("over an exercise") << true << "cili";
    }
    void startAsksForThePassword()
    {
        QFETCH(bool, exerciseOpen);
        QFETCH(QString, learner);
        saveClass(learner);
        QTemporaryDir dir;
        Record store(dir.filePath("progress.sqlite"));
        RecordingFeedback feedback;
        feedback.passwordToGive = "pw-" + learner;
        SeededRandom random(3);
        Program program(feedback, random, &store);
        program.quit = [] {};
        program.showMainMenu(false);
        if (exerciseOpen)
            program.openFromMainMenu(Exercise{0});
        QTRY_COMPARE(feedback.messages.size(), 1);
        QVERIFY(feedback.lastText().startsWith("The password of " + learner + " on the class server"));
        program.showProgress();
        auto *line = program.progress().control<QLabel>("classLine");
        QTRY_COMPARE(line->text(), "All answers are on the class server.");
        store.answerJudged(TestSupport::answerOf("1a", "ház", "a háznál", "a háznak", true));
        QTRY_COMPARE(line->text(), "1 answer is on its way to the class server.");
        program.end();
    }
};

// With BIMBALA_SYNC_RECORD set, a child that only sends that record to the server BIMBALA_SYNC_TO names
// (host, port, database, learner, password and CA, a line each) until it is killed.
int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("BIMBALA_SYNC_RECORD")) {
        QCoreApplication application(argc, argv);
        const QStringList to = qEnvironmentVariable("BIMBALA_SYNC_TO").split('\n');
        Record record(qEnvironmentVariable("BIMBALA_SYNC_RECORD"));
        ClassSync sending(record, {to[0], to[1].toInt(), to[2], to[3], to[4], to[5]});
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
