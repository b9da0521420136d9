#include "CommandLine.h"

#include "ImportCommand.h"
#include "common/Counted.h"
#include "lesson/LessonFiles.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

const QString Description = QStringLiteral(
    "Bimbala! Typing exercises for learners of Hungarian as a foreign language: lesson 7 of a course, "
    "built in, or a lesson written by a teacher.");
const QString Usage = QStringLiteral("Usage: bimbala [options] [FILE]\n       bimbala --check FILE...\n"
                                     "       bimbala --class-report [--lesson ID] [--csv]\n"
                                     "       bimbala --import FILE --to LESSON [--from-language CODE]\n");

struct ToolkitOption
{
    const char *name;
    const char *value; // nullptr: a switch
    const char *description;
};

// The toolkit's own options: accepted and left to Qt, shown by --help-all only.
constexpr ToolkitOption ToolkitOptions[] = {
    {"platform", "name[:options]", "The platform plugin to show the windows with (xcb, wayland, offscreen, ...)."},
    {"platformpluginpath", "path", "Where to look for platform plugins."},
    {"platformtheme", "theme", "The platform theme."},
    {"plugin", "plugin", "Loads another plugin, such as one for an input device."},
    {"qwindowgeometry", "geometry", "The first window's geometry, as WIDTHxHEIGHT+X+Y."},
    {"qwindowicon", "icon", "The windows' icon."},
    {"qwindowtitle", "title", "The first window's title."},
    {"style", "style", "The widget style (fusion, windows, ...)."},
    {"stylesheet", "file", "A style sheet for every window."},
    {"display", "display", "The X display to use instead of DISPLAY (xcb)."},
    {"geometry", "geometry", "As --qwindowgeometry (xcb)."},
    {"title", "title", "As --qwindowtitle (xcb)."},
    {"name", "name", "The name the X resources are looked up under (xcb)."},
    {"session", "session", "Restores an earlier session."},
    {"reverse", nullptr, "Lays the windows out from right to left."},
    {"widgetcount", nullptr, "Prints how many widgets are left at the end."},
    {"nograb", nullptr, "Never grabs the mouse or the keyboard."},
    {"dograb", nullptr, "Grabs even where running under a debugger would stop it."},
    {"sync", nullptr, "Talks to the X server synchronously, for debugging (xcb)."},
};

// The value Qt itself takes for one of its options: the argument after "-name" or
// "--name" (the last one given), options ending at "--".
QString toolkitValue(const QStringList &arguments, const char *name)
{
    const QString option = QLatin1Char('-') + QLatin1String(name);
    QString value;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--")
            break;
        if ((argument == option || argument == u'-' + option) && i + 1 < arguments.size())
            value = arguments[++i];
    }
    return value;
}

// A file that can be played says so, so that a teacher sees the check has read it whole.
QString noProblems(const QString &file, const LessonModel::Lesson &lesson)
{
    return counted("CommandLine", QT_TRANSLATE_N_NOOP("CommandLine", "%1: %n exercise, no problems"),
                   QT_TRANSLATE_N_NOOP("CommandLine", "%1: %n exercises, no problems"), int(lesson.exercises.size()))
        .arg(LessonProblem::visible(file));
}

// Lessons checked as the program reads them, without a window, and spelt: the status
// is 1 when any file has a problem, 0 when there are only warnings.
CommandLine checkLessons(const QStringList &files, const QProcessEnvironment &environment)
{
    if (files.isEmpty())
        return CommandLine::ending(2, {}, QStringLiteral("bimbala: --check needs the lesson files to check.\n%1").arg(Usage));
    CommandLine result = CommandLine::ending(0, {}, {});
    LessonFiles::Checker checker(environment.value(QStringLiteral("BIMBALA_DICTIONARY"), LessonFiles::Dictionary));
    if (!checker.missing().isEmpty())
        result.error = QStringLiteral("bimbala: %1\n").arg(checker.missing());
    for (const QString &file : files) {
        const LessonReader::Reading reading = checker.read(file);
        for (const LessonProblem &problem : reading.problems) {
            result.output += problem.text() + u'\n';
            if (!problem.warning)
                result.exitCode = 1;
        }
        if (reading.lesson)
            result.output += noProblems(file, *reading.lesson) + u'\n';
    }
    return result;
}

} // namespace

CommandLine CommandLine::decide(const QStringList &arguments, const QProcessEnvironment &environment)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and ends."));
    const QCommandLineOption helpAll(QStringLiteral("help-all"),
                                     QStringLiteral("Shows this help with the options of the Qt toolkit, and ends."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and ends."));
    const QCommandLineOption check(QStringLiteral("check"),
                                   QStringLiteral("Checks the lesson files given, prints each problem as "
                                                  "FILE:LINE:COLUMN: message "
                                                  "(unknown Hungarian words as warnings), and ends: 0 when no file has a problem."));
    const QCommandLineOption classReport(QStringLiteral("class-report"),
                                         QStringLiteral("Prints the class report of the teacher saved in the Class window "
                                                        "(the password from the keyring, the terminal, PGPASSWORD or "
                                                        "~/.pgpass), and ends."));
    const QCommandLineOption reportLesson(QStringLiteral("lesson"),
                                          QStringLiteral("With --class-report: only the lesson of this id."),
                                          QStringLiteral("ID"));
    const QCommandLineOption reportCsv(QStringLiteral("csv"),
                                       QStringLiteral("With --class-report: prints it as CSV, a line per learner and exercise."));
    const QCommandLineOption import(
        QStringLiteral("import"),
        QCoreApplication::translate("CommandLine",
                                    "Makes a new lesson file of one exercise from a word list (.csv, .tsv, .txt), a KVTML "
                                    "vocabulary (.kvtml) or GIFT questions (.gift, .txt with braces), prints what it took "
                                    "and what it left out, and ends: 0 when the lesson is written."),
        QStringLiteral("FILE"));
    const QCommandLineOption importTo(QStringLiteral("to"),
                                      QCoreApplication::translate("CommandLine", "With --import: the new lesson file to write."),
                                      QStringLiteral("LESSON"));
    const QCommandLineOption fromLanguage(
        QStringLiteral("from-language"),
        QCoreApplication::translate("CommandLine", "With --import of a vocabulary: the language to Hungarian from, by its "
                                                   "locale (en) or name; the first besides Hungarian unless given."),
        QStringLiteral("CODE"));
    const QList<QCommandLineOption> own{help,   helpAll,  version,     check, classReport, reportLesson,
                                        reportCsv, import, importTo, fromLanguage};
    parser.addOptions(own);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A lesson file to play instead of the one chosen last."),
                                 QStringLiteral("[FILE]"));
    // The toolkit's options twice over: hidden in the parser that reads the line,
    // shown in the one that writes the full help.
    QCommandLineParser fullHelp;
    fullHelp.setApplicationDescription(Description);
    fullHelp.addOptions(own);
    for (const ToolkitOption &toolkit : ToolkitOptions) {
        QCommandLineOption option(QString::fromLatin1(toolkit.name), QString::fromLatin1(toolkit.description),
                                  toolkit.value ? QString::fromLatin1(toolkit.value) : QString());
        fullHelp.addOption(option);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    // Without an application object the parser cannot know the program's name.
    const auto named = [](const QCommandLineParser &p) {
        return QString(p.helpText()).replace(QStringLiteral("<executable_name>"), QStringLiteral("bimbala"));
    };

    if (!parser.parse(arguments))
        return ending(2, {},
                QStringLiteral("bimbala: %1\n%2Try 'bimbala --help' for more.\n").arg(parser.errorText(), Usage));
    if (parser.isSet(check))
        return checkLessons(parser.positionalArguments(), environment);
    if ((parser.isSet(importTo) || parser.isSet(fromLanguage)) && !parser.isSet(import))
        return ending(2, {}, QCoreApplication::translate("CommandLine", "bimbala: --to and --from-language go with --import.") +
                                 u'\n' + Usage);
    if (parser.isSet(import) && (!parser.isSet(importTo) || !parser.positionalArguments().isEmpty()))
        return ending(2, {},
                      QCoreApplication::translate("CommandLine", "bimbala: --import takes one file, and --to the new lesson file "
                                                                 "to write.") +
                          u'\n' + Usage);
    if (parser.isSet(import))
        return importLesson(parser.value(import), parser.value(importTo), parser.value(fromLanguage));
    if ((parser.isSet(reportLesson) || parser.isSet(reportCsv)) && !parser.isSet(classReport))
        return ending(2, {}, QStringLiteral("bimbala: --lesson and --csv go with --class-report.\n%1").arg(Usage));
    if (parser.positionalArguments().size() > 1)
        return ending(2, {},
                QStringLiteral("bimbala: one lesson file at a time, not also %1\n%2"
                               "Try 'bimbala --help' for more.\n")
                    .arg(parser.positionalArguments().at(1), Usage));
    if (parser.isSet(helpAll))
        return ending(0, named(fullHelp), {});
    if (parser.isSet(help))
        return ending(0, named(parser), {});
    if (parser.isSet(version))
        return ending(0, QStringLiteral("bimbala %1\n").arg(QStringLiteral(BIMBALA_VERSION)), {});
    if (parser.isSet(classReport)) {
        CommandLine report;
        report.classReport = true;
        report.reportLesson = parser.value(reportLesson);
        report.reportCsv = parser.isSet(reportCsv);
        return report;
    }
    const QString missing = missingSession(arguments, environment);
    if (!missing.isEmpty())
        return ending(1, {},
                QStringLiteral("Bimbala needs a graphical session to show its windows, and none was found (%1).\n")
                    .arg(missing));
    CommandLine result;
    result.lessonFile = parser.positionalArguments().value(0);
    return result;
}

QString CommandLine::missingSession(const QStringList &arguments, const QProcessEnvironment &environment)
{
    // As Qt picks them: -platform before QT_QPA_PLATFORM, which may list several to try
    // in turn; for xcb, -display before DISPLAY.
    QString platforms = toolkitValue(arguments, "platform");
    if (platforms.isEmpty())
        platforms = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    const bool x11 = !environment.value(QStringLiteral("DISPLAY")).isEmpty() ||
                     !toolkitValue(arguments, "display").isEmpty();
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    if (platforms.isEmpty())
        return x11 || wayland ? QString() : QStringLiteral("neither DISPLAY nor WAYLAND_DISPLAY is set");

    QStringList missing;
    for (const QString &candidate : platforms.split(u';', Qt::SkipEmptyParts)) {
        const QString name = candidate.section(u':', 0, 0);
        if (name == u"xcb" && !x11)
            missing << QStringLiteral("the platform xcb needs DISPLAY or -display");
        else if (name.startsWith(u"wayland") && !wayland)
            missing << QStringLiteral("the platform %1 needs WAYLAND_DISPLAY").arg(name);
        else
            return {}; // a display is there, none is needed, or Qt will say itself what it lacks
    }
    return missing.join(QStringLiteral(", and "));
}
