// The Progress window finds its chart module only by its path from the program's
// folder: from tests/ in the build tree and from bin/ once installed (cmake --install
// into a staging folder), and it refuses, in one sentence, a module it cannot load
// or one built for another version. Each case runs in a child process, as the
// module is loaded once per run.
#include "TestSupport.h"

#include "progress/ProgressStore.h"
#include "progress/ProgressWindow.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

const char ShowChart[] = "--show-chart";

// In the child: opens Progress and prints the class of what stands where the chart
// goes, then its text when it is a label.
int showChart(int argc, char **argv)
{
    QApplication app(argc, argv);
    ProgressStore store(QStringLiteral(":memory:"));
    RecordingFeedback feedback;
    ProgressWindow progress(store, feedback);
    progress.Show();
    auto *chart = progress.window()->findChild<QWidget *>(QStringLiteral("chart"));
    auto *label = qobject_cast<QLabel *>(chart);
    QTextStream(stdout) << chart->metaObject()->className() << '\n' << (label ? label->text() : QString()) << '\n';
    progress.Unload();
    return 0;
}

} // namespace

class tst_ChartModule : public QObject
{
    Q_OBJECT

    QTemporaryDir staging;
    QString installedProgram; // a copy of this test in the staging folder's bin/
    QString installedModule;
    QString ownModule;        // the module as installed, kept aside
    QString notAModule;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(staging.isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(qEnvironmentVariable("CMAKE_COMMAND"),
                      {QStringLiteral("--install"), qEnvironmentVariable("BIMBALA_BUILD_TREE"), QStringLiteral("--prefix"),
                       staging.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0, install.readAll().constData());
        QVERIFY(QFile::exists(staging.filePath(QStringLiteral("bin/bimbala"))));
        // Wherever the install put it: the program must find it there.
        QDirIterator found(staging.path(), {QStringLiteral("bimbala-chart.so")}, QDir::Files, QDirIterator::Subdirectories);
        QVERIFY(found.hasNext());
        installedModule = found.next();
        QVERIFY(!found.hasNext());
        ownModule = staging.filePath(QStringLiteral("own-chart.so"));
        QVERIFY(QFile::copy(installedModule, ownModule));
        notAModule = staging.filePath(QStringLiteral("not-a-module.so"));
        QFile text(notAModule);
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write(QByteArray(4096, 'x')) == 4096);
        text.close();
        installedProgram = staging.filePath(QStringLiteral("bin/tst_chart_module"));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), installedProgram));
    }

    void chartOrWhyNot_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("module"); // what is put where the module was installed
        QTest::addColumn<QByteArray>("shown");
        QTest::addColumn<QString>("says");
        QTest::newRow("build tree") << false << QString() << QByteArray("QChartView") << QString();
        QTest::newRow("installed") << true << ownModule << QByteArray("QChartView") << QString();
        QTest::newRow("another version") << true << qEnvironmentVariable("BIMBALA_OTHER_CHART") << QByteArray("QLabel")
                                         << QStringLiteral("was built for Bimbala 0.9 (chart interface 1), not for this");
        QTest::newRow("missing") << true << QString() << QByteArray("QLabel")
                                 << QStringLiteral("cannot open shared object file: No such file or directory");
        QTest::newRow("not a module") << true << notAModule << QByteArray("QLabel")
                                      << QStringLiteral("invalid ELF header");
    }

    void chartOrWhyNot()
    {
        QFETCH(bool, installed);
        QFETCH(QString, module);
        QFETCH(QByteArray, shown);
        QFETCH(QString, says);
        QFile::remove(installedModule);
        if (!module.isEmpty())
            QVERIFY(QFile::copy(module, installedModule));
        QProcess child;
        child.start(installed ? installedProgram : QCoreApplication::applicationFilePath(), {QString::fromLatin1(ShowChart)});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, child.readAllStandardError().constData());
        const QStringList lines = QString::fromUtf8(child.readAllStandardOutput()).split(u'\n');
        QCOMPARE(lines.value(0).toUtf8(), shown);
        const QString sentence = lines.value(1);
        QVERIFY2(sentence.contains(says), qPrintable(sentence));
        if (!says.isEmpty()) {
            QVERIFY2(sentence.startsWith(QStringLiteral("The chart cannot be shown: ")) && sentence.endsWith(u'.'),
                     qPrintable(sentence));
        }
    }
};

int main(int argc, char **argv)
{
    if (argc == 2 && qstrcmp(argv[1], ShowChart) == 0)
        return showChart(argc, argv);
    QCoreApplication app(argc, argv);
    tst_ChartModule test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_chart_module.moc"
