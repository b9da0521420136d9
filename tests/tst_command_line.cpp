// The program as started from a terminal: --help, --version, a wrong option and no
// graphical session all answer in plain text and end, without a display; a platform
// that needs no display starts.
#include "TestSupport.h"
#include "app/CommandLine.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A command as typed in a shell (NAME=value settings, then the arguments), given
// without the caller's session (DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM).
std::pair<QStringList, QProcessEnvironment> typed(const QString &line)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    for (QString setting; !words.isEmpty() && words.first().contains(u'=');) {
        setting = words.takeFirst();
        environment.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    }
    return {words, environment};
}

} // namespace

class tst_CommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersAndEnds_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: bimbala [options] [FILE]" << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << "--version" << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "bimbala 1." << "";
        QTest::newRow("--help-all, Qt's options too") << QStringList{"--help-all"} << 0 << "--platform <name" << "";
        QTest::newRow("unknown option") << QStringList{"--colour"} << 2 << ""
                                        << "bimbala: Unknown option 'colour'.\nUsage: bimbala [options]";
        QTest::newRow("two lessons") << QStringList{"a.yaml", "b.yaml"} << 2 << "" << "one lesson file at a time, not also b.yaml";
        // Lessons are checked as the program reads them, each problem where editors find it.
        QTest::newRow("--check") << QStringList{"--check", "/no/lesson.yaml"} << 1
                                 << "/no/lesson.yaml:1:1: the file cannot be read" << "";
        // A new lesson from a teacher's file, without a display.
        QTest::newRow("--import without --to") << QStringList{"--import", "w.csv"} << 2 << "" << "--import takes one file, and --to";
        QTest::newRow("--to without --import") << QStringList{"--to", "l.yaml"} << 2 << "" << "--to and --from-language go with --import";
        QTest::newRow("--import, no file") << QStringList{"--import", "/no/words.csv", "--to", "/no/lesson.yaml"} << 1 << ""
                                           << "/no/words.csv: the file cannot be read (No such file or directory)";
        QTest::newRow("--import, unknown kind") << QStringList{"--import", "/no/words.doc", "--to", "/no/lesson.yaml"} << 1 << ""
                                               << "/no/words.doc: the kind of file is not known by its name";
        QTest::newRow("no graphical session") << QStringList{} << 1 << "" << "needs a graphical session";
        QTest::newRow("Qt's own option, no session") << QStringList{"-style", "fusion"} << 1 << ""
                                                     << "needs a graphical session";
    }

    void answersAndEnds()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess program;
        program.setProcessEnvironment(typed({}).second);
        program.start(QStringLiteral(BIMBALA_EXECUTABLE), arguments);
        QVERIFY(program.waitForFinished(10000));
        const QString printed = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString complained = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        QVERIFY2(out.isEmpty() ? printed.isEmpty() : printed.contains(out), qPrintable(printed));
        QVERIFY2(err.isEmpty() ? complained.isEmpty() : complained.contains(err), qPrintable(complained));
        if (exitCode == 1 && !err.isEmpty())
            QCOMPARE(complained.count(u'\n'), 1); // one plain sentence
    }

    // --check goes through every file named, prints each one's problems whole (a control
    // character in a name shown, not sent to the terminal), spells the Hungarian, says of
    // each file it could play how many exercises it has, and ends with 1 when any file has
    // a problem, 0 when there are only warnings.
    void checkEveryFile()
    {
        QTemporaryDir dir;
        QFile small(QStringLiteral(BIMBALA_TEST_LESSONS "/small/small.yaml"));
        QVERIFY(small.open(QIODevice::ReadOnly));
        const QByteArray clean = small.readAll();
        const auto write = [&dir](const QString &name, const QByteArray &text) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        };
        for (const char *svg : {"a.svg", "b.svg"})
            QVERIFY(QFile::copy(QStringLiteral(BIMBALA_TEST_LESSONS "/small/") + QLatin1String(svg), dir.filePath(QLatin1String(svg))));
        const QString broken = QStringLiteral("bro\x1bken.yaml");
        write(broken, QByteArray(clean).replace("id: \"2\"", "id: \"1\""));
        write(QStringLiteral("clean.yaml"), clean);
        write(QStringLiteral("misspelt.yaml"), QByteArray(clean).replace("\"orvosnál\"]", "\"orvosnnál\"]"));
        const QString one = QStringLiteral("o\x1bne.yaml"); // a lesson of one exercise
        write(one, clean.left(clean.indexOf("  - id: \"2\"")));
        const auto check = [&dir](const QStringList &files, const QString &dictionary = {}) {
            QProcess program;
            QProcessEnvironment environment = typed({}).second;
            if (!dictionary.isEmpty())
                environment.insert(QStringLiteral("BIMBALA_DICTIONARY"), dictionary);
            program.setProcessEnvironment(environment);
            program.setWorkingDirectory(dir.path());
            program.start(QStringLiteral(BIMBALA_EXECUTABLE), QStringList{"--check"} + files);
            program.waitForFinished(10000);
            return std::tuple(program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
                              QString::fromUtf8(program.readAllStandardError()));
        };
        const QString misspelt = QStringLiteral(
            "misspelt.yaml:15:20: warning: unknown word \"orvosnnál\" (if it is right, add it to \"words\" of the lesson)\n"
            "misspelt.yaml: 3 exercises, no problems\n");
        const QString cleanSaid = QStringLiteral("clean.yaml: 3 exercises, no problems\n");
        auto [status, out, err] = check({broken, QStringLiteral("clean.yaml"), QStringLiteral("misspelt.yaml")});
        QCOMPARE(status, 1);
        QCOMPARE(out, QStringLiteral("broU+001Bken.yaml:16:9: a second exercise \"1\" (the first is on line 7)\n") + cleanSaid +
                          misspelt);
        std::tie(status, out, err) = check({QStringLiteral("clean.yaml"), QStringLiteral("misspelt.yaml"), one});
        QCOMPARE(status, 0);
        QCOMPARE(out, cleanSaid + misspelt + QStringLiteral("oU+001Bne.yaml: 1 exercise, no problems\n"));
        QCOMPARE(err, QString());
        // A word of the lesson's own list is right.
        write(QStringLiteral("listed.yaml"), QByteArray(clean).replace("\"orvosnál\"]", "\"orvosnnál\"]")
                                                 .replace("  title: \"T. lecke\"\n", "  title: \"T. lecke\"\n  words: [orvosnnál]\n"));
        QCOMPARE(check({QStringLiteral("listed.yaml")}), std::tuple(0, QStringLiteral("listed.yaml: 3 exercises, no problems\n"), QString()));
        // Without the dictionary: said once, and the rest is checked.
        std::tie(status, out, err) = check({broken, QStringLiteral("misspelt.yaml")}, dir.filePath(QStringLiteral("hu_HU")));
        QCOMPARE(status, 1);
        QVERIFY2(out.startsWith(u"broU+001Bken.yaml:16:9:") && out.count(u'\n') == 2 &&
                     out.endsWith(u"\nmisspelt.yaml: 3 exercises, no problems\n"),
                 qPrintable(out));
        QVERIFY2(err.contains(u"the spelling is not checked") && err.count(u'\n') == 1, qPrintable(err));
    }

    // --import writes a new lesson of the file's words or questions, which --check then finds
    // clean, and prints what it took and left out; a lesson there already or a folder that
    // cannot be written is said in a sentence and left as it was.
    void importMakesALesson_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("a word list") << "--import words.csv --to lesson.yaml" << 0
                                     << "words.csv: read as UTF-8, fields separated by \";\".\n"
                                        "words.csv:1: the header row, skipped\n"
                                        "words.csv:3: \"=1+1\" is taken as text, though a spreadsheet would take it for a formula\n"
                                        "words.csv:4: left out: \"kert\" has no answer\n"
                                        "words.csv: 3 words taken into lesson.yaml, lesson words-"
                                     << "";
        QTest::newRow("a vocabulary, from German") << "--import v.kvtml --to v.yaml --from-language de" << 0
                                                   << "v.kvtml: words from de to hu.\nv.kvtml: 1 word taken into v.yaml, lesson v-" << "";
        QTest::newRow("questions with nothing to take") << "--import q.gift --to q.yaml" << 1
                                                        << "q.gift: read as UTF-8.\nq.gift:1: left out: the question has no gap, such as {=answer}\n"
                                                        << "q.gift: nothing in the file could be taken\n";
        QTest::newRow("a lesson there already") << "--import words.csv --to there.yaml" << 1 << ""
                                                << "bimbala: there.yaml is there already; --import writes a new lesson file.\n";
        QTest::newRow("a read-only folder") << "--import words.csv --to ro/lesson.yaml" << 1 << "words.csv: read as UTF-8"
                                            << "The lesson was not saved: ro/lesson.yaml cannot be written (";
    }

    void importMakesALesson()
    {
        QFETCH(QString, line);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        const auto write = [&dir](const QString &name, const QByteArray &text) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        };
        write(QStringLiteral("words.csv"), "szó;válasz\nház;házban\n=1+1;2\nkert\nkút;kútnál\n");
        write(QStringLiteral("v.kvtml"), "<kvtml version=\"2.0\"><identifiers>"
                                         "<identifier id=\"0\"><locale>en</locale></identifier>"
                                         "<identifier id=\"1\"><locale>hu</locale></identifier>"
                                         "<identifier id=\"2\"><locale>de</locale></identifier></identifiers>"
                                         "<entries><entry id=\"0\"><translation id=\"1\"><text>ház</text></translation>"
                                         "<translation id=\"2\"><text>Haus</text></translation></entry></entries></kvtml>");
        write(QStringLiteral("q.gift"), "Nincs rés.\n");
        write(QStringLiteral("there.yaml"), "# a teacher's lesson\n");
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ro")));
        std::optional<TestSupport::ReadOnlyFolder> readOnly;
        if (line.contains(u"ro/")) {
            readOnly.emplace(dir.filePath(QStringLiteral("ro")));
            if (!readOnly->ok)
                QSKIP("The folder cannot be made read-only here.");
        }
        const auto run = [&dir](const QStringList &arguments) {
            QProcess program;
            program.setProcessEnvironment(typed({}).second);
            program.setWorkingDirectory(dir.path());
            program.start(QStringLiteral(BIMBALA_EXECUTABLE), arguments);
            program.waitForFinished(10000);
            return std::tuple(program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
                              QString::fromUtf8(program.readAllStandardError()));
        };
        const QStringList arguments = line.split(u' ');
        const auto [exitCode, printed, complained] = run(arguments);
        QCOMPARE(exitCode, status);
        QVERIFY2(out.isEmpty() ? printed.isEmpty() : printed.startsWith(out), qPrintable(printed));
        QVERIFY2(err.isEmpty() ? complained.isEmpty() : complained.startsWith(err) && complained.count(u'\n') == 1,
                 qPrintable(complained));
        const QString target = arguments.at(arguments.indexOf(QStringLiteral("--to")) + 1);
        if (status == 0) {
            const auto [checked, said, spelling] = run({QStringLiteral("--check"), target});
            QVERIFY2(said.endsWith(target + QStringLiteral(": 1 exercise, no problems\n")), qPrintable(said));
        } else {
            QCOMPARE(QFile(dir.filePath(QStringLiteral("there.yaml"))).size(), qint64(21));
            QCOMPARE(QDir(dir.filePath(QStringLiteral("ro"))).isEmpty(), true);
            QCOMPARE(QFile::exists(dir.filePath(target)), target == u"there.yaml");
        }
    }

    // Whether there is something to show the windows on, as Qt will look for it.
    void session_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("found");
        QTest::newRow("nothing") << "" << false;
        QTest::newRow("the option before the setting") << "QT_QPA_PLATFORM=xcb --platform minimal" << true;
        QTest::newRow("xcb, Wayland only") << "WAYLAND_DISPLAY=w QT_QPA_PLATFORM=offscreen -platform xcb" << false;
        QTest::newRow("--display") << "--display :5" << true;
        QTest::newRow("wayland, then xcb") << "DISPLAY=:0 QT_QPA_PLATFORM=wayland;xcb" << true;
        QTest::newRow("after --, none of Qt's") << "-- -display :5" << false;
    }

    void session()
    {
        QFETCH(QString, line);
        QFETCH(bool, found);
        const auto [arguments, environment] = typed(line);
        const QString missing = CommandLine::missingSession(QStringList{"bimbala"} + arguments, environment);
        QVERIFY2(missing.isEmpty() == found, qPrintable(missing));
    }

    // On a platform that needs no display the program starts, and runs until it is stopped.
    void startsWithoutDisplay_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("QT_QPA_PLATFORM=offscreen") << "QT_QPA_PLATFORM=offscreen";
        QTest::newRow("-platform offscreen") << "-platform offscreen";
    }

    void startsWithoutDisplay()
    {
        QFETCH(QString, line);
        QTemporaryDir home; // what it records stays out of the user's files
        const auto [arguments, environment] =
            typed(QStringLiteral("XDG_DATA_HOME=%1 XDG_CONFIG_HOME=%1 ").arg(home.path()) + line);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(BIMBALA_EXECUTABLE), arguments);
        QVERIFY(program.waitForStarted(10000));
        QVERIFY2(!program.waitForFinished(1500), program.readAllStandardError().constData());
        const QByteArray complained = program.readAllStandardError();
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
        QVERIFY2(!complained.contains("session"), complained.constData());
    }
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_command_line.moc"
