// The program as started from a terminal: --help, --version, a wrong option and no
// graphical session all answer in plain text and end, without a display.
#include <QProcess>
#include <QTest>

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
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: bimbala [options]" << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << "--version" << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "bimbala 1." << "";
        QTest::newRow("unknown option") << QStringList{"--colour"} << 2 << ""
                                        << "bimbala: Unknown option 'colour'.\nUsage: bimbala [options]";
        QTest::newRow("an argument") << QStringList{"notes.txt"} << 2 << "" << "takes no file";
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
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(BIMBALA_EXECUTABLE), arguments);
        QVERIFY(program.waitForFinished(10000));
        const QString printed = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString complained = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        QVERIFY2(out.isEmpty() ? printed.isEmpty() : printed.contains(out), qPrintable(printed));
        QVERIFY2(err.isEmpty() ? complained.isEmpty() : complained.contains(err), qPrintable(complained));
        if (exitCode == 1)
            QCOMPARE(complained.count(u'\n'), 1); // one plain sentence
    }
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_command_line.moc"
