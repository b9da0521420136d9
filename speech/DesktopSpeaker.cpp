#include "speech/DesktopSpeaker.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <libspeechd.h>

namespace {

// speech-dispatcher's first start spawns the server and its synthesizer (about 2 s
// here); five times that is still an answer, more is a server that hangs.
constexpr int AnswerWithinMs = 10'000;
// espeak-ng says about 9 characters a second at the slow rate: twice that time,
// plus 5 s for a busy server to begin, and an utterance still speaking is stuck.
constexpr int UtteranceBaseMs = 5'000;
constexpr int UtterancePerCharacterMs = 200;
// speech-dispatcher's rates run from -100 to 100.
constexpr int SlowRate = -40;
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

// The lines of a list the service answers with, taken over from libspeechd.
QList<QByteArray> listReply(SPDConnection *connection, const char *command)
{
    QList<QByteArray> lines;
    char **reply = spd_execute_command_with_list_reply(connection, command);
    for (char **line = reply; line && *line; ++line) {
        lines << QByteArray(*line);
        free(*line);
    }
    free(reply);
    return lines;
}

// Whether one of the synthesizers has a Hungarian voice. The list of every voice is
// 13,000 lines with espeak-ng, and libspeechd takes a second of CPU to receive it;
// the answer is kept beside the output modules it was found with, so that it is
// asked again only when they change.
bool hasHungarianVoice(SPDConnection *connection)
{
    const QByteArray modules = listReply(connection, "LIST OUTPUT_MODULES").join('\n');
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
                          + QStringLiteral("/bimbala/hungarian-voice");
    if (QFile known(cache); !modules.isEmpty() && known.open(QIODevice::ReadOnly) && known.readAll() == modules)
        return true;
    const QList<QByteArray> voices = listReply(connection, "LIST SYNTHESIS_VOICES");
    // A line is "name<TAB>language<TAB>variant".
    const bool found = std::any_of(voices.begin(), voices.end(), [](const QByteArray &voice) {
        const QList<QByteArray> fields = voice.split('\t');
        return fields.size() > 1 && (fields[1] == "hu" || fields[1].startsWith("hu-"));
    });
    if (found && !modules.isEmpty() && QDir().mkpath(QFileInfo(cache).path())) {
        QSaveFile known(cache);
        if (known.open(QIODevice::WriteOnly) && known.write(modules) == modules.size())
            known.commit();
    }
    return found;
}

} // namespace

// Owns the connection to speech-dispatcher on the speaker's thread; every call here
// may wait on the service.
class SpeechWorker final : public QObject
{
    Q_OBJECT

public:
    explicit SpeechWorker(const QString &address) : m_address(address) {}
    ~SpeechWorker() override
    {
        if (!m_connection)
            return;
        // spd_close joins libspeechd's reader thread, so no event comes after it.
        spd_close(m_connection);
        s_told = nullptr;
    }

    void open()
    {
        if (!soundOutputFound())
            return emit opened(QStringLiteral("There is no sound output to speak through: the Debian package "
                                              "pulseaudio (or pipewire-pulse) gives one."));
        char *error = nullptr;
        SPDConnectionAddress *address = nullptr;
        if (!m_address.isEmpty()) {
            address = static_cast<SPDConnectionAddress *>(calloc(1, sizeof(SPDConnectionAddress)));
            address->method = SPD_METHOD_UNIX_SOCKET;
            address->unix_socket_name = strdup(m_address.toLocal8Bit().constData());
        }
        // The default address spawns the service when it does not run yet.
        SPDConnection *connection = spd_open2("bimbala", "main", nullptr, SPD_MODE_THREADED, address,
                                              address == nullptr, &error);
        if (address)
            SPDConnectionAddress__free(address);
        if (!connection) {
            const QString why = QString::fromLocal8Bit(error ? error : "no answer").trimmed();
            free(error);
            return emit opened(QStringLiteral("The speech service does not run (%1): the Debian package "
                                              "speech-dispatcher gives it.").arg(why));
        }
        m_connection = connection;
        if (!hasHungarianVoice(m_connection))
            return emit opened(QStringLiteral("The speech service has no Hungarian voice: the Debian package "
                                              "speech-dispatcher-espeak-ng gives one."));
        spd_set_language(m_connection, "hu");
        // The end of an utterance, or its being cut off, tells that it did not hang.
        s_told = this;
        m_connection->callback_end = m_connection->callback_cancel = [](size_t, size_t, SPDNotificationType) {
            if (SpeechWorker *worker = s_told.load())
                emit worker->spoken();
        };
        spd_set_notification_on(m_connection, SPD_END);
        spd_set_notification_on(m_connection, SPD_CANCEL);
        emit opened({});
    }

    // Two requests an utterance, three when the rate changes.
    void say(const QString &text, int rate)
    {
        spd_cancel(m_connection);
        if (rate != std::exchange(m_rate, rate))
            spd_set_voice_rate(m_connection, rate);
        spd_say(m_connection, SPD_TEXT, text.toUtf8().constData());
    }

    void stop()
    {
        if (m_connection)
            spd_cancel(m_connection);
    }

Q_SIGNALS:
    void opened(const QString &missing);
    void spoken();

private:
    // libspeechd's callbacks carry no context; one speaker speaks at a time.
    static inline std::atomic<SpeechWorker *> s_told = nullptr;
    QString m_address;
    SPDConnection *m_connection = nullptr;
    int m_rate = INT_MIN; // the service's own default may be any
};

DesktopSpeaker::DesktopSpeaker(const QString &address) : m_address(address) {}

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
    m_worker = new SpeechWorker(m_address);
    m_worker->moveToThread(m_thread);
    QObject::connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    QObject::connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    QObject::connect(m_worker, &SpeechWorker::opened, m_home, [this](const QString &missing) { answer(missing); });

    // Both timers only say what the learner should know meanwhile: a service that answers
    // late (a busy machine) or an utterance that ends after all makes the speaker speak again.
    m_noAnswer = new QTimer(m_home);
    m_noAnswer->setSingleShot(true);
    QObject::connect(m_noAnswer, &QTimer::timeout, m_home, [this] {
        tell(QStringLiteral("The speech service (speech-dispatcher) does not answer."));
    });
    m_tooLong = new QTimer(m_home);
    m_tooLong->setSingleShot(true);
    QObject::connect(m_tooLong, &QTimer::timeout, m_home, [this] { fail(); });
    QObject::connect(m_worker, &SpeechWorker::spoken, m_home, [this] {
        m_tooLong->stop();
        if (std::exchange(m_failed, false))
            tell({});
    });

    m_thread->start();
    QMetaObject::invokeMethod(m_worker, &SpeechWorker::open);
    m_noAnswer->start(AnswerWithinMs);
}

void DesktopSpeaker::say(const QString &text, bool slowly)
{
    if (!m_canSpeak)
        return;
    m_tooLong->start(UtteranceBaseMs + UtterancePerCharacterMs * int(text.size()));
    const int rate = slowly ? SlowRate : 0;
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
    m_noAnswer->stop();
    tell(missing);
}

void DesktopSpeaker::tell(const QString &missing)
{
    m_canSpeak = missing.isEmpty();
    if (ready)
        ready(missing);
}

void DesktopSpeaker::fail()
{
    if (!m_canSpeak)
        return;
    m_failed = true;
    tell(QStringLiteral("Speaking failed because the sound output does not play it: the Debian package "
                        "pulseaudio (or pipewire-pulse) gives one that works."));
}

#include "DesktopSpeaker.moc"
