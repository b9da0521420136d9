#pragma once

#include <QString>

#include <functional>

class QObject;

// The desktop keyring (QtKeychain), service "bimbala". It lives in a module of its own,
// bimbala-keyring, loaded when a class server's password is first needed.
namespace Keyring {

// Raised whenever a function below changes.
inline constexpr int Interface = 1;
inline constexpr char ReadName[] = "bimbala_keyring_read";
inline constexpr char WriteName[] = "bimbala_keyring_write";

// How the keyring answered: with the entry, without one, or not at all (no D-Bus
// session, no secret service, a refusal).
enum class Answer { Done, NoEntry, Missing };

// Both return at once; `done` is told on the GUI thread, and not at all once `context` is gone.
using Read = void (*)(const QString &key, QObject *context, std::function<void(Answer, const QString &password)> done);
using Write = void (*)(const QString &key, const QString &password, QObject *context, std::function<void(Answer)> done);

} // namespace Keyring
