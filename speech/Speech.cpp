#include "Speech.h"

#include <QAccessible>
#include <QSettings>

namespace {

const QString SpeakKey = QStringLiteral("speech/speak");
const QString SlowlyKey = QStringLiteral("speech/slowly");

QSettings settings()
{
    return QSettings(QStringLiteral("bimbala"), QStringLiteral("bimbala"));
}

} // namespace

Speech::Speech()
{
    // A screen reader speaks through the same service and reads each new word and
    // message itself; speaking them as well would talk over it. So while one runs,
    // Speak starts off (Listen and Read the story still speak when asked), unless
    // the learner has chosen otherwise.
    speakChosen = settings().value(SpeakKey, !QAccessible::isActive()).toBool();
    slowChosen = settings().value(SlowlyKey, false).toBool();
}

Speech::~Speech() = default;

void Speech::use(std::unique_ptr<Speaker> chosen)
{
    speaker = std::move(chosen);
    speaker->ready = [this](const QString &why) {
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
    settings().setValue(SpeakKey, on);
    if (!on)
        stop();
    Q_EMIT changed();
}

void Speech::setSlowly(bool on)
{
    slowChosen = on;
    settings().setValue(SlowlyKey, on);
    Q_EMIT changed();
}
