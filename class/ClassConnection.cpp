#include "ClassConnection.h"

#include "ClassPassword.h"
#include "common/Settings.h"
#include "record/Record.h"

void ClassConnection::rejoin(std::function<QString(const ClassServer &)> askPassword)
{
    if (rejoined)
        return;
    rejoined = true;
    ClassServer server = ClassServer::fromSettings();
    // A teacher signs in for their report from the Class window; they have no record to send.
    if (server.server.isEmpty() || server.learner.isEmpty() || programSettings().value(QStringLiteral("class/teacher")).toBool())
        return;
    ClassPassword::read(ClassPassword::key(server), &alive,
                        [this, server, askPassword = std::move(askPassword)](const QString &password,
                                                                             const QString &noKeyring) mutable {
        server.password = password;
        // Without a keyring the password is asked for once at each start.
        if (password.isEmpty() && !noKeyring.isEmpty())
            server.password = askPassword(server);
        if (server.password.isEmpty())
            return;
        // Kept for the rest of this run, so that the Class window has it too.
        if (password.isEmpty())
            ClassPassword::write(ClassPassword::key(server), server.password, &alive, [](const QString &) {});
        join(server);
    });
}

void ClassConnection::join(const ClassServer &server)
{
    classSync.reset();
    // A record only in memory has nothing to keep on a server.
    if (record.path() != u":memory:")
        classSync = std::make_unique<ClassSync>(record, server);
    if (syncChanged)
        syncChanged(classSync.get());
    if (classSync)
        classSync->start();
}
