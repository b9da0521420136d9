#pragma once

#include "speech/Speaker.h"

#include <QtGlobal>

class QObject;
class QThread;
class QTimer;
class SpeechWorker;

// The desktop's speech service: Qt TextToSpeech with the speech-dispatcher engine,
// in the voice speech-dispatcher gives for Hungarian (chosen by locale, since voice
// names differ from one synthesizer to the next). The engine lives on a thread of
// its own, because speech-dispatcher can take seconds to answer, or never answer;
// the calls here return at once.
//
// `ready` is told within 10 s, or that the service does not answer. say() and
// stop() do nothing until `ready` was told an empty string, nor after speaking
// failed. speech-dispatcher tells no client that its sound output failed (it goes
// on "speaking" and stops answering), so a failure is found by the time an
// utterance takes, and `ready` is told again then.
class DesktopSpeaker final : public Speaker
{
public:
    // `engine` is the Qt TextToSpeech plugin by name; a test names one that does
    // not exist to stand for a machine without the plugin.
    explicit DesktopSpeaker(const QString &engine = QStringLiteral("speechd"));
    ~DesktopSpeaker() override;
    Q_DISABLE_COPY_MOVE(DesktopSpeaker)

    void start() override;
    void say(const QString &text, bool slowly) override;
    void stop() override;


private:
    void answer(const QString &missing);
    void fail();

    QString m_engine;
    QThread *m_thread = nullptr;
    SpeechWorker *m_worker = nullptr;
    // Lives on start's thread: what the worker tells arrives there, and the two
    // timers run there, so that they fire even while the worker is stuck.
    QObject *m_home = nullptr;
    QTimer *m_noAnswer = nullptr;
    QTimer *m_tooLong = nullptr;
    bool m_told = false;
    bool m_canSpeak = false;
};
