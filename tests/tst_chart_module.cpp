// Progress finds its chart module by its path from the program's folder, from tests/
// in the build tree and from bin/ of a staged install, and says in one sentence why a
// module it cannot load, or one of another version, gives no chart. Each case runs in
// a child process, as a run loads the module once. The installed program reads lessons
// through its reader module, found the same way.
#include "TestSupport.h"

#include "progress/ChartModule.h"
#include "progress/ProgressWindow.h"
#include "record/Record.h"
#include "speech/SpeechModule.h"

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QValueAxis>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>

// In the child: prints what stands where the chart goes, and its text if a label.
static int showChart(int argc, char **argv)
{
    QApplication app(argc, argv);
    Record store(QStringLiteral(":memory:"));
    RecordingFeedback feedback;
    ProgressWindow progress(store, feedback);
    progress.Show();
    auto *chart = progress.window()->findChild<QWidget *>(QStringLiteral("chart"));
    auto *label = qobject_cast<QLabel *>(chart);
    printf("%s\n%s\n", chart->metaObject()->className(), label ? qPrintable(label->text()) : "");
    progress.Unload();
    return 0;
}

// What the speaker made as the program makes it says as it starts: nothing, or why it cannot speak.
static int speakerSays(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::unique_ptr<Speaker> speaker = SpeechModule::makeDesktopSpeaker();
    bool told = false;
    speaker->ready = [&told](const QString &why) {
        if (!std::exchange(told, true))
            printf("%s\n", qPrintable(why));
    };
    speaker->start();
    QElapsedTimer waited;
    waited.start();
    while (!told && waited.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    printf("%s\n", told ? "told" : "silent");
    return 0;
}

class tst_ChartModule : public QObject
{
    Q_OBJECT

    QTemporaryDir staging;
    QString installedModule;

    QString path(const char *name) const { return staging.filePath(QString::fromLatin1(name)); }

private Q_SLOTS:
    void initTestCase()
    {
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(qEnvironmentVariable("CMAKE_COMMAND"), {QStringLiteral("--install"), qEnvironmentVariable("BIMBALA_BUILD_TREE"),
                                                              QStringLiteral("--prefix"), staging.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0, install.readAll().constData());
        // Wherever the install put it, the program must look there.
        QDirIterator found(staging.path(), {QStringLiteral("bimbala-chart.so")}, QDir::Files, QDirIterator::Subdirectories);
        QVERIFY(found.hasNext());
        installedModule = found.next();
        // Every module the program loads is installed beside the chart's.
        for (const char *module : {"bimbala-reader.so", "bimbala-speech.so", "bimbala-keyring.so"})
            QVERIFY2(QFileInfo(installedModule).dir().exists(QLatin1String(module)), module);
        QVERIFY(QFile::copy(installedModule, path("own.so")));
        QFile text(path("text.so"));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write(QByteArray(4096, 'x')) == 4096);
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), path("bin/tst_chart_module")));
    }

    void chartOrWhyNot_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("module"); // put where the module was installed; none if empty
        QTest::addColumn<QString>("says");   // empty: a chart is shown
        QTest::newRow("build tree") << false << QString() << QString();
        QTest::newRow("installed") << true << path("own.so") << QString();
        QTest::newRow("another version") << true << qEnvironmentVariable("BIMBALA_OTHER_CHART")
                                         << "its module " + installedModule +
                                                QStringLiteral(" was built for Bimbala 0.9 (chart interface %1), not for this")
                                                    .arg(ShareChart::Interface);
        QTest::newRow("another interface") << true << qEnvironmentVariable("BIMBALA_FOREIGN_CHART")
                                           << QStringLiteral("was built for Bimbala %1 (chart interface 999), not for this "
                                                             "Bimbala %1 (chart interface %2)")
                                                  .arg(QStringLiteral(BIMBALA_VERSION))
                                                  .arg(ShareChart::Interface);
        QTest::newRow("missing") << true << QString() << "cannot open shared object file: No such file or directory";
        QTest::newRow("not a module") << true << path("text.so") << "bimbala-chart.so: invalid ELF header";
    }

    void chartOrWhyNot()
    {
        QFETCH(bool, installed);
        QFETCH(QString, module);
        QFETCH(QString, says);
        QFile::remove(installedModule);
        QVERIFY(module.isEmpty() || QFile::copy(module, installedModule));
        QProcess child;
        child.start(installed ? path("bin/tst_chart_module") : QCoreApplication::applicationFilePath(), {"--show-chart"});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, child.readAllStandardError().constData());
        const QStringList shown = QString::fromUtf8(child.readAllStandardOutput()).split(u'\n');
        QCOMPARE(shown.value(0), QLatin1String(says.isEmpty() ? "QChartView" : "QLabel"));
        if (!says.isEmpty()) {
            QVERIFY2(shown.value(1).startsWith("The chart cannot be shown: ") && shown.value(1).contains(says) &&
                         shown.value(1).endsWith(u'.'),
                     qPrintable(shown.value(1)));
        }
    }

    // The items falling due per day are counts: a bar a day, and the count axis has whole
    // ticks from 0 to at least the most, whatever the most is.
    void countsOnWholeTicks_data()
    {
        QTest::addColumn<int>("most");
        for (const int most : {0, 1, 6, 11, 40, 1234})
            QTest::addRow("at most %d", most) << most;
    }

    void countsOnWholeTicks()
    {
        QFETCH(int, most);
        const ChartModule &module = chartModule();
        QVERIFY2(module.showCounts, qPrintable(module.missing));
        std::vector<int> counts(30, 0);
        counts[0] = most / 2;
        counts[9] = most;
        counts[29] = most / 3;
        const std::unique_ptr<QWidget> view(module.makeView(nullptr));
        const qint64 firstDay = QDateTime(QDate(2026, 3, 2), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch();
        module.showCounts(view.get(), QStringLiteral("Items falling due per day"), counts.data(), int(counts.size()), firstDay);
        QChart *chart = qobject_cast<QChartView *>(view.get())->chart();
        QCOMPARE(chart->series().size(), 1);
        auto *bars = qobject_cast<QBarSeries *>(chart->series().first());
        QVERIFY(bars);
        QCOMPARE(bars->count(), 1);
        QCOMPARE(bars->barSets().first()->count(), 30);
        QCOMPARE(bars->barSets().first()->at(9), double(most));

        const QList<QAbstractAxis *> vertical = chart->axes(Qt::Vertical, bars);
        QCOMPARE(vertical.size(), 1);
        auto *count = qobject_cast<QValueAxis *>(vertical.first());
        QVERIFY(count);
        QCOMPARE(count->labelFormat(), QStringLiteral("%d"));
        QCOMPARE(count->min(), 0.0);
        QVERIFY(count->max() >= most && count->max() > 0);
        // Where the axis puts its ticks, by its own kind of ticks.
        std::vector<double> ticks;
        if (count->tickType() == QValueAxis::TicksDynamic) {
            QVERIFY(count->tickInterval() > 0);
            for (double tick = count->tickAnchor(); tick <= count->max() + 1e-9; tick += count->tickInterval())
                if (tick >= count->min() - 1e-9)
                    ticks.push_back(tick);
        } else {
            for (int i = 0; i < count->tickCount(); ++i)
                ticks.push_back(count->min() + i * (count->max() - count->min()) / (count->tickCount() - 1));
        }
        QVERIFY2(ticks.size() >= 2 && ticks.size() <= 8, qPrintable(QString::number(ticks.size())));
        for (const double tick : ticks)
            QVERIFY2(std::abs(tick - std::round(tick)) < 1e-9, qPrintable(QString::number(tick)));
        QCOMPARE(ticks.back(), count->max()); // the top is a tick too
        view->resize(600, 300);
        QVERIFY(!view->grab().isNull());
    }

    // Without its speech module the program says why it is silent.
    void speechSaysWhyWithoutItsModule()
    {
        const QString speech = QFileInfo(installedModule).dir().filePath(QStringLiteral("bimbala-speech.so"));
        QVERIFY(QFile::rename(speech, speech + ".away"));
        QProcess child;
        child.start(path("bin/tst_chart_module"), {"--speaker-says"});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY(QFile::rename(speech + ".away", speech));
        const QStringList said = QString::fromUtf8(child.readAllStandardOutput()).split(u'\n');
        QVERIFY2(said.value(0).startsWith(u"Bimbala! cannot speak: its module could not be loaded"), qPrintable(said.value(0)));
        QCOMPARE(said.value(1), QStringLiteral("told"));
    }

    void installedProgramReadsLessons_data()
    {
        QTest::addColumn<bool>("withReader");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::newRow("with its reader") << true << 0 << QStringLiteral("/lesson7.yaml: 8 exercises, no problems");
        QTest::newRow("reader removed") << false << 1 << QStringLiteral("lessons cannot be read: its module could not be loaded");
    }

    void installedProgramReadsLessons()
    {
        QFETCH(bool, withReader);
        QFETCH(int, status);
        QFETCH(QString, says);
        const QString reader = QFileInfo(installedModule).dir().filePath(QStringLiteral("bimbala-reader.so"));
        QVERIFY(QFile::exists(reader) || QFile::exists(reader + ".away"));
        if (!withReader)
            QVERIFY(QFile::rename(reader, reader + ".away"));
        QProcess program;
        program.setEnvironment({QStringLiteral("BIMBALA_DICTIONARY=/nowhere")});
        program.start(path("bin/bimbala"), {QStringLiteral("--check"), path("share/bimbala/lessons/lesson7/lesson7.yaml")});
        QVERIFY(program.waitForFinished(60000));
        if (!withReader)
            QVERIFY(QFile::rename(reader + ".away", reader));
        const QString output = QString::fromUtf8(program.readAllStandardOutput());
        QCOMPARE(program.exitCode(), status);
        QVERIFY2(output.contains(says) && output.count(u'\n') == 1, qPrintable(output));
    }
};

int main(int argc, char **argv)
{
    if (argc == 2 && qstrcmp(argv[1], "--show-chart") == 0)
        return showChart(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], "--speaker-says") == 0)
        return speakerSays(argc, argv);
    QApplication app(argc, argv);
    tst_ChartModule test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_chart_module.moc"
