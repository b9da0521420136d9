// The desktop speaker against a private speech-dispatcher, spawned with HOME and
// XDG_RUNTIME_DIR in the test's folder, where it logs what it is asked and finds a silent PulseAudio.
#include "speech/DesktopSpeaker.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <optional>

using namespace Qt::StringLiterals;

class tst_SpeechEngine : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    QProcess pulse;
    std::optional<QString> ready;

    QByteArray read(const QString &name) const
    {
        QFile file(home.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void start(DesktopSpeaker &speaker)
    {
        ready.reset();
        speaker.ready = [this](const QString &missing) { ready = QThread::currentThread() == thread() ? missing : u"elsewhere"_s; };
        speaker.start();
        QTRY_VERIFY_WITH_TIMEOUT(ready, 15000);
    }

private Q_SLOTS:
    void cleanup()
    {
        if (const int pid = read(u"speech-dispatcher/pid/speech-dispatcher.pid"_s).trimmed().toInt(); pid > 0)
            ::kill(pid, SIGTERM);
        pulse.close();
    }

    void noService()
    {
        qputenv("PULSE_SERVER", "unix:" + home.filePath(u"pulse/native"_s).toLocal8Bit());
        DesktopSpeaker speaker(home.filePath(u"nobody-listens"_s));
        start(speaker);
        qunsetenv("PULSE_SERVER");
        QVERIFY2(ready->contains(u"does not run"_s) && ready->contains(u"speech-dispatcher gives it"_s), qPrintable(*ready));
    }

    // Into a private PulseAudio's null sink, in the Hungarian voice, slower when asked, to the end.
    void speaksHungarian()
    {
        if (!QFile::exists(u"/usr/bin/speech-dispatcher"_s) || !QFile::exists(u"/usr/bin/pulseaudio"_s)
            || !QFile::exists(u"/usr/lib/speech-dispatcher-modules/sd_espeak-ng"_s))
            QSKIP("This needs speech-dispatcher, speech-dispatcher-espeak-ng and pulseaudio.");
        for (const char *name : {"HOME", "XDG_RUNTIME_DIR"})
            qputenv(name, home.path().toLocal8Bit());
        QVERIFY(QDir(home.path()).mkpath(u".config/speech-dispatcher"_s));
        QFile conf(home.filePath(u".config/speech-dispatcher/speechd.conf"_s));
        QVERIFY(conf.open(QIODevice::WriteOnly) && conf.write("LogLevel 5\n") > 0 && conf.flush());
        pulse.start(u"pulseaudio"_s, {u"-n"_s, u"--daemonize=no"_s, u"--exit-idle-time=-1"_s, u"-Lmodule-null-sink"_s,
                                      u"-Lmodule-native-protocol-unix auth-anonymous=1"_s});
        QTRY_VERIFY(QFile::exists(home.filePath(u"pulse/native"_s)));
        DesktopSpeaker speaker;
        start(speaker);
        // A busy machine may start the service late: the speaker speaks once it answers.
        QTRY_COMPARE_WITH_TIMEOUT(*ready, QString(), 60000);
        speaker.say(u"Jó reggelt!"_s, false);
        speaker.say(u"Jó napot kívánok!"_s, true); // cuts the first off, as a second click does
        // What the server was asked: Hungarian; the first sentence cut off before the second
        // is said; the slower rate for the second sentence only, set before it is said.
        const QRegularExpression asked(
            u"(?s)LANGUAGE hu(?:(?!RATE -).)*\\|Jó reggelt!.*CANCEL.*RATE -\\d+.*\\|Jó napot kívánok!"_s);
        QTRY_VERIFY_WITH_TIMEOUT(QString::fromUtf8(read(u"speech-dispatcher/log/speech-dispatcher.log"_s)).contains(asked), 30000);
        // Longer than saying it takes: an utterance that never ended is told as failed, and
        // one that ended (late, on a busy machine) leaves the speaker speaking.
        QTest::qWait(10000);
        QTRY_COMPARE_WITH_TIMEOUT(*ready, QString(), 60000);
        // The next start finds the Hungarian voice known: the list of every voice is not asked again.
        DesktopSpeaker again;
        start(again);
        QTRY_COMPARE_WITH_TIMEOUT(*ready, QString(), 60000);
        QCOMPARE(read(u"speech-dispatcher/log/speech-dispatcher.log"_s).count("LIST SYNTHESIS_VOICES"), 1);
    }
};

QTEST_MAIN(tst_SpeechEngine)
#include "tst_speech_engine.moc"
