#pragma once

#include "Speaker.h"

#include <QObject>
#include <QString>

#include <memory>

// What the program says aloud, and how: the learner's options (Speak, Speak
// slowly, kept in the settings file), the last thing said (for Listen), and
// whether there is a Hungarian voice at all. The windows tell it what they would
// say; it decides whether to. Until a speaker is ready the program is silent.
class Speech final : public QObject
{
    Q_OBJECT

public:
    Speech();
    ~Speech() override;

    // The speaker to use from now on; it is started at once.
    void use(std::unique_ptr<Speaker> speaker);

    // What a window says by itself (a word drawn, an answer judged right): said
    // when Speak is on, and kept for Listen either way.
    void say(const QString &text);
    // Said because the learner asked for it (Listen, Read the story), Speak on or off.
    void sayAsked(const QString &text);
    void listen() { sayAsked(lastSaid); }
    void stop();

    bool canSpeak() const { return speaker && missing.isEmpty(); }
    // Why the program cannot speak, in one sentence; empty when it can.
    QString whyNot() const;
    const QString &last() const { return lastSaid; }

    bool speakOn() const { return speakChosen; }
    void setSpeakOn(bool on);
    bool slowly() const { return slowChosen; }
    void setSlowly(bool on);

Q_SIGNALS:
    // Whether it can speak, the options or the last thing said have changed.
    void changed();

private:
    void speak(const QString &text);

    std::unique_ptr<Speaker> speaker;
    QString missing = QStringLiteral("The speech service has not started yet.");
    QString lastSaid;
    bool speakChosen = true;
    bool slowChosen = false;
};
