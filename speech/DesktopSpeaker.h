#pragma once

#include "speech/Speaker.h"

#include <QtGlobal>

class QObject;
class QThread;
class QTimer;
class SpeechWorker;

// The desktop's speech service: speech-dispatcher through libspeechd, in the voice it
// gives for the language "hu" (voice names differ from one synthesizer to the next).
// The connection lives on a thread of its own, because speech-dispatcher can take
// seconds to answer, or never answer; the calls here return at once.
//
// `ready` is told within 10 s, or that the service does not answer (and again when it
// answers late). say() and
// stop() do nothing until `ready` was told an empty string, nor after speaking
// failed. speech-dispatcher tells no client that its sound output failed (it goes
// on "speaking" and stops answering), so a failure is found by the time an
// utterance takes, and `ready` is told again then.
class DesktopSpeaker final : public Speaker
{
public:
    // `address` is the service's socket; empty: the session's own, spawned when it does
    // not run. A test names one where nothing listens.
    explicit DesktopSpeaker(const QString &address = {});
    ~DesktopSpeaker() override;
    Q_DISABLE_COPY_MOVE(DesktopSpeaker)

    void start() override;
    void say(const QString &text, bool slowly) override;
    void stop() override;


private:
    // The service's own answer as it opened.
    void answer(const QString &missing);
    // Whether the speaker speaks now, and why not, told to `ready`.
    void tell(const QString &missing);
    void fail();

    QString m_address;
    QThread *m_thread = nullptr;
    SpeechWorker *m_worker = nullptr;
    // Lives on start's thread: what the worker tells arrives there, and the two
    // timers run there, so that they fire even while the worker is stuck.
    QObject *m_home = nullptr;
    QTimer *m_noAnswer = nullptr;
    QTimer *m_tooLong = nullptr;
    bool m_canSpeak = false;
    // An utterance took too long: speaking failed, until it ends after all.
    bool m_failed = false;
};
