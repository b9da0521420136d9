#include "CommandLine.h"

#include <QCommandLineParser>

namespace {

const QString Description = QStringLiteral(
    "Bimbala! Lesson 7 of a course of Hungarian as a foreign language, as eight typing drills.");
const QString Usage = QStringLiteral("Usage: bimbala [options]\n");

// The toolkit's own options (-platform xcb, -style fusion, -reverse ...): accepted
// and left to Qt, not shown in the help.
void acceptToolkitOptions(QCommandLineParser &parser)
{
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                             "qwindowicon", "qwindowtitle", "style", "stylesheet", "display", "geometry", "title",
                             "name", "session"}) {
        QCommandLineOption option(QString::fromLatin1(name), {}, QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

} // namespace

CommandLine CommandLine::decide(const QStringList &arguments, bool hasDisplay)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and ends."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and ends."));
    parser.addOption(help);
    parser.addOption(version);
    acceptToolkitOptions(parser);
    // Without an application object the parser cannot know the program's name.
    const QString helpText = QString(parser.helpText()).replace(QStringLiteral("<executable_name>"), QStringLiteral("bimbala"));

    if (!parser.parse(arguments))
        return {false, 2, {},
                QStringLiteral("bimbala: %1\n%2Try 'bimbala --help' for more.\n").arg(parser.errorText(), Usage)};
    if (!parser.positionalArguments().isEmpty())
        return {false, 2, {},
                QStringLiteral("bimbala: this program takes no file or other argument: %1\n%2"
                               "Try 'bimbala --help' for more.\n")
                    .arg(parser.positionalArguments().first(), Usage)};
    if (parser.isSet(help))
        return {false, 0, helpText, {}};
    if (parser.isSet(version))
        return {false, 0, QStringLiteral("bimbala %1\n").arg(QStringLiteral(BIMBALA_VERSION)), {}};
    if (!hasDisplay)
        return {false, 1, {},
                QStringLiteral("Bimbala needs a graphical session to show its windows, and none was found "
                               "(neither DISPLAY nor WAYLAND_DISPLAY is set).\n")};
    return {};
}

bool CommandLine::displayAvailable()
{
    // A platform plugin that draws without a display (tests run offscreen) needs none.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool needsNone = platform.startsWith("offscreen") || platform.startsWith("minimal") ||
                           platform.startsWith("vnc") || platform.startsWith("eglfs") || platform.startsWith("linuxfb");
    return needsNone || !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
