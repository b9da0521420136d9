#include "Speech.h"

#include "common/Logging.h"
#include "common/Settings.h"

#include <QAccessible>

namespace {

const QString SpeakKey = QStringLiteral("speech/speak");
const QString SlowlyKey = QStringLiteral("speech/slowly");

} // namespace

Speech::Speech()
{
    // A screen reader speaks through the same service and reads each new word and
    // message itself; speaking them as well would talk over it. So while one runs,
    // Speak starts off (Listen and Read the story still speak when asked), unless
    // the learner has chosen otherwise.
    speakChosen = programSettings().value(SpeakKey, !QAccessible::isActive()).toBool();
    slowChosen = programSettings().value(SlowlyKey, false).toBool();
}

Speech::~Speech() = default;

void Speech::use(std::unique_ptr<Speaker> chosen)
{
    speaker = std::move(chosen);
    speaker->ready = [this](const QString &why) {
        if (!why.isEmpty() && why != missing)
            qCWarning(logSpeech, "%s", qUtf8Printable(why));
        missing = why;
        Q_EMIT changed();
    };
    speaker->start();
}

void Speech::say(const QString &text)
{
    if (text.isEmpty())
        return;
    lastSaid = text;
    if (speakChosen)
        speak(text);
    Q_EMIT changed();
}

void Speech::sayAsked(const QString &text)
{
    if (text.isEmpty())
        return;
    lastSaid = text;
    speak(text);
    Q_EMIT changed();
}

void Speech::speak(const QString &text)
{
    if (canSpeak())
        speaker->say(text, slowChosen);
}

void Speech::stop()
{
    if (canSpeak())
        speaker->stop();
}

QString Speech::whyNot() const
{
    return speaker ? missing : QStringLiteral("This copy of the program has no speech.");
}

void Speech::setSpeakOn(bool on)
{
    speakChosen = on;
    programSettings().setValue(SpeakKey, on);
    if (!on)
        stop();
    Q_EMIT changed();
}

void Speech::setSlowly(bool on)
{
    slowChosen = on;
    programSettings().setValue(SlowlyKey, on);
    Q_EMIT changed();
}
