#include "ClassPassword.h"

#include "ClassServer.h"
#include "common/ProgramModule.h"
#include "keyring/Keyring.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>

namespace {

// Passwords the keyring could not take, for this run only (GUI thread).
QHash<QString, QString> &keptInMemory()
{
    static QHash<QString, QString> kept;
    return kept;
}

QString memoryNote()
{
    return QStringLiteral("There is no desktop keyring to keep the password in, so Bimbala! keeps it only until it ends.");
}

const ProgramModule &keyringModule()
{
    static const ProgramModule module("bimbala-keyring", "keyring", Keyring::Interface,
                                      {Keyring::ReadName, Keyring::WriteName});
    return module;
}

} // namespace

QString ClassPassword::key(const ClassServer &server)
{
    return server.key();
}

void ClassPassword::read(const QString &key, QObject *context,
                         std::function<void(const QString &password, const QString &note)> done)
{
    const auto answered = [key, done = std::move(done)](Keyring::Answer answer, const QString &password) {
        if (answer == Keyring::Answer::Done)
            done(password, {});
        else
            done(keptInMemory().value(key), answer == Keyring::Answer::Missing ? memoryNote() : QString());
    };
    if (const auto readKeyring = keyringModule().function<Keyring::Read>(0))
        readKeyring(key, context, answered);
    else // without the module, as without a keyring; told after the caller returns, as the keyring would
        QMetaObject::invokeMethod(context, [answered] { answered(Keyring::Answer::Missing, {}); }, Qt::QueuedConnection);
}

void ClassPassword::write(const QString &key, const QString &password, QObject *context,
                          std::function<void(const QString &note)> done)
{
    // Kept here even when the window that saved it has closed meanwhile: the answer
    // comes to the application, and goes on to `done` while its context lives.
    const auto answered = [key, password, context = QPointer<QObject>(context), done = std::move(done)](Keyring::Answer answer) {
        if (answer == Keyring::Answer::Missing)
            keptInMemory().insert(key, password);
        else
            keptInMemory().remove(key);
        if (context)
            done(answer == Keyring::Answer::Missing ? memoryNote() : QString());
    };
    if (const auto writeKeyring = keyringModule().function<Keyring::Write>(1))
        writeKeyring(key, password, QCoreApplication::instance(), answered);
    else
        QMetaObject::invokeMethod(QCoreApplication::instance(), [answered] { answered(Keyring::Answer::Missing); },
                                  Qt::QueuedConnection);
}
