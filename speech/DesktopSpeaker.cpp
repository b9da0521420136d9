#include "speech/DesktopSpeaker.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QTextToSpeech>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// speech-dispatcher's first start spawns the server and its synthesizer (about 2 s
// here); five times that is still an answer, more is a server that hangs.
constexpr int AnswerWithinMs = 10'000;
// espeak-ng says about 9 characters a second at the slow rate: twice that time,
// plus 5 s for a busy server to begin, and an utterance still speaking is stuck.
constexpr int UtteranceBaseMs = 5'000;
constexpr int UtterancePerCharacterMs = 200;
constexpr double SlowRate = -0.4;
// How long the program's exit waits for a worker that is inside the service.
constexpr int ExitWaitMs = 2'000;

// Where speech-dispatcher's sound can go: the session's PulseAudio server (PipeWire
// serves the same socket) or one named in PULSE_SERVER, or an ALSA playback device.
// Without one, speech-dispatcher accepts the text and then hangs on it.
bool soundOutputFound()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return qEnvironmentVariableIsSet("PULSE_SERVER")
        || (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/pulse/native")))
        || !QDir(QStringLiteral("/dev/snd")).entryList({QStringLiteral("pcm*p")}, QDir::System).isEmpty();
}

} // namespace

// Owns the QTextToSpeech on the speaker's thread; every call here may wait on
// speech-dispatcher.
class SpeechWorker final : public QObject
{
    Q_OBJECT

public:
    explicit SpeechWorker(const QString &engine) : m_engine(engine) {}

    void open()
    {
        if (!QTextToSpeech::availableEngines().contains(m_engine))
            return emit opened(QStringLiteral("The speech service is missing: the Debian packages "
                                              "qt6-speech-speechd-plugin and speech-dispatcher give it."));
        if (!soundOutputFound())
            return emit opened(QStringLiteral("There is no sound output to speak through: the Debian package "
                                              "pulseaudio (or pipewire-pulse) gives one."));
        // Kept only once it can speak: an engine in error would try to reach the
        // server again (and spawn it) at every later call.
        auto speech = std::make_unique<QTextToSpeech>(m_engine);
        if (speech->errorReason() == QTextToSpeech::ErrorReason::Initialization)
            return emit opened(QStringLiteral("The speech service does not run (%1): the Debian package "
                                              "speech-dispatcher gives it.").arg(speech->errorString()));
        // A service with no synthesizer but the dummy one is in error too, and lists
        // no locale at all.
        const QList<QLocale> locales = speech->availableLocales();
        const auto hungarian = std::find_if(locales.begin(), locales.end(), [](const QLocale &locale) {
            return locale.language() == QLocale::Hungarian;
        });
        if (hungarian == locales.end())
            return emit opened(QStringLiteral("The speech service has no Hungarian voice: the Debian package "
                                              "speech-dispatcher-espeak-ng gives one."));
        speech->setLocale(*hungarian);
        m_speech = std::move(speech);
        connect(m_speech.get(), &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State state) {
            if (state == QTextToSpeech::Ready)
                emit spoken();
        });
        connect(m_speech.get(), &QTextToSpeech::errorOccurred, this, [this](QTextToSpeech::ErrorReason reason) {
            if (reason == QTextToSpeech::ErrorReason::Playback)
                emit outputFailed();
        });
        emit opened({});
    }

    void say(const QString &text, double rate)
    {
        m_speech->stop();
        m_speech->setRate(rate);
        m_speech->say(text);
    }

    void stop()
    {
        if (m_speech)
            m_speech->stop();
    }

Q_SIGNALS:
    void opened(const QString &missing);
    void spoken();
    void outputFailed();

private:
    QString m_engine;
    std::unique_ptr<QTextToSpeech> m_speech;
};

DesktopSpeaker::DesktopSpeaker(const QString &engine) : m_engine(engine) {}

DesktopSpeaker::~DesktopSpeaker()
{
    if (!m_thread)
        return;
    delete m_home; // nothing more is told, and the timers stop
    QMetaObject::invokeMethod(m_worker, &SpeechWorker::stop);
    m_thread->quit();
    // A worker inside a speech-dispatcher call that never returns must not keep the
    // program from ending, and deleting a QThread that still runs aborts. So after a
    // short wait the thread is left as it is: should the call ever return, the
    // thread ends and deletes the worker and itself (connected in start()).
    if (m_thread->wait(QDeadlineTimer(ExitWaitMs)))
        delete m_thread;
}

void DesktopSpeaker::start()
{
    if (m_thread)
        return;
    m_home = new QObject;
    m_thread = new QThread;
    m_worker = new SpeechWorker(m_engine);
    m_worker->moveToThread(m_thread);
    QObject::connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    QObject::connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    QObject::connect(m_worker, &SpeechWorker::opened, m_home, [this](const QString &missing) { answer(missing); });
    QObject::connect(m_worker, &SpeechWorker::outputFailed, m_home, [this] { fail(); });

    m_noAnswer = new QTimer(m_home);
    m_noAnswer->setSingleShot(true);
    QObject::connect(m_noAnswer, &QTimer::timeout, m_home, [this] {
        answer(QStringLiteral("The speech service (speech-dispatcher) does not answer."));
    });
    m_tooLong = new QTimer(m_home);
    m_tooLong->setSingleShot(true);
    QObject::connect(m_tooLong, &QTimer::timeout, m_home, [this] { fail(); });
    QObject::connect(m_worker, &SpeechWorker::spoken, m_tooLong, &QTimer::stop);

    m_thread->start();
    QMetaObject::invokeMethod(m_worker, &SpeechWorker::open);
    m_noAnswer->start(AnswerWithinMs);
}

void DesktopSpeaker::say(const QString &text, bool slowly)
{
    if (!m_canSpeak)
        return;
    m_tooLong->start(UtteranceBaseMs + UtterancePerCharacterMs * int(text.size()));
    const double rate = slowly ? SlowRate : 0.0;
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, text, rate] { worker->say(text, rate); });
}

void DesktopSpeaker::stop()
{
    if (!m_canSpeak)
        return;
    // Nothing is being said from here on, so nothing is timed.
    m_tooLong->stop();
    QMetaObject::invokeMethod(m_worker, &SpeechWorker::stop);
}

void DesktopSpeaker::answer(const QString &missing)
{
    if (std::exchange(m_told, true))
        return;
    m_noAnswer->stop();
    m_canSpeak = missing.isEmpty();
    if (ready)
        ready(missing);
}

void DesktopSpeaker::fail()
{
    if (!std::exchange(m_canSpeak, false))
        return;
    m_tooLong->stop();
    if (ready)
        ready(QStringLiteral("Speaking failed because the sound output does not play it: the Debian package "
                              "pulseaudio (or pipewire-pulse) gives one that works."));
}

#include "DesktopSpeaker.moc"
