#pragma once

#include <QString>

#include <functional>

// Where the program's spoken Hungarian goes: the desktop's speech service, or in
// tests a record of what would have been said. Nothing here waits: a speaker
// that is still starting, or cannot speak at all, says so through `ready`.
class Speaker
{
public:
    virtual ~Speaker() = default;

    // Begins looking for the engine and a Hungarian voice; `ready` is told the
    // outcome on the thread that called start: empty when the speaker can speak,
    // otherwise one sentence saying what is missing (and which Debian package
    // gives it). Should speaking fail later, `ready` is told again, with what
    // failed, and the speaker stays silent until the service shows it works after
    // all (a late answer, an utterance that ends late), when `ready` is told so.
    virtual void start() = 0;
    // Says the text in the Hungarian voice, cutting off whatever was being said;
    // `slowly` at a slower rate for beginners. Returns at once.
    virtual void say(const QString &text, bool slowly) = 0;
    // Stops what is being said, if anything.
    virtual void stop() = 0;

    std::function<void(const QString &missing)> ready;
};
