#include "ClassReportCommand.h"

#include "class/ClassPassword.h"
#include "class/report/ClassReport.h"

#include <QEventLoop>
#include <QSqlDatabase>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

#include <termios.h>
#include <unistd.h>

namespace {

// Asked on the terminal, not echoed; empty where there is no terminal to ask on.
QString askPassword(const ClassServer &server)
{
    if (!isatty(STDIN_FILENO))
        return {};
    std::fprintf(stderr, "Password of %s on the class server %s: ", qPrintable(server.learner), qPrintable(server.server));
    termios shown{};
    tcgetattr(STDIN_FILENO, &shown);
    termios hidden = shown;
    hidden.c_lflag &= ~tcflag_t(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    std::string typed;
    std::getline(std::cin, typed);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &shown);
    std::fputs("\n", stderr);
    return QString::fromStdString(typed);
}

} // namespace

int printClassReport(const QString &lesson, bool csv)
{
    ClassServer teacher = ClassServer::fromSettings();
    if (teacher.server.isEmpty() || teacher.learner.isEmpty()) {
        std::fputs("bimbala: no class server is saved; a teacher saves theirs in the Class window first.\n", stderr);
        return 1;
    }
    // The keyring answers through the event loop. Without a password from it or the terminal,
    // libpq looks in PGPASSWORD and ~/.pgpass, as for any PostgreSQL client.
    QEventLoop waiting;
    bool answered = false;
    ClassPassword::read(ClassPassword::key(teacher), &waiting, [&](const QString &password, const QString &) {
        teacher.password = password;
        answered = true;
        waiting.quit();
    });
    if (!answered)
        waiting.exec();
    if (teacher.password.isEmpty() && qEnvironmentVariableIsEmpty("PGPASSWORD"))
        teacher.password = askPassword(teacher);

    // The lessons of this program: lesson 7 and those of the lesson history.
    const std::vector<ClassReport::Lesson> known = ClassReport::knownLessons();
    if (!lesson.isEmpty() && std::none_of(known.begin(), known.end(), [&](const ClassReport::Lesson &each) { return each.id == lesson; })) {
        std::fprintf(stderr, "bimbala: the lesson %s is none of those this program knows (lesson 7 and the lessons opened lately); "
                             "open it in the program once.\n", qPrintable(lesson));
        return 1;
    }
    ClassReport report;
    const QString problem = report.read(teacher, QStringLiteral("bimbala-class-report"), known);
    QSqlDatabase::removeDatabase(QStringLiteral("bimbala-class-report"));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "bimbala: %s\n", qPrintable(problem));
        return 1;
    }
    const QByteArray printed = csv ? report.csv(lesson) : report.text(lesson).toUtf8();
    std::fwrite(printed.constData(), 1, size_t(printed.size()), stdout);
    return 0;
}
