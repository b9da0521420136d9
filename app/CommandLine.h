#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What the command line asks for, decided before any window or display is needed:
// run the program, or print something and end with an exit code.
struct CommandLine
{
    bool run = true;
    int exitCode = 0;
    QString output; // for standard output
    QString error;  // for standard error
    QString lessonFile; // the lesson to play; empty: the one chosen last
    // Print a teacher's class report instead, without a display: of this lesson
    // (empty: all), as a table or as CSV.
    bool classReport = false;
    QString reportLesson;
    bool reportCsv = false;

    // Not to run: print and end with the code.
    static CommandLine ending(int exitCode, const QString &output, const QString &error)
    {
        CommandLine line;
        line.run = false;
        line.exitCode = exitCode;
        line.output = output;
        line.error = error;
        return line;
    }
    // `arguments` as main gets them, the program's name first; `environment` is where
    // the platform and display are looked up when the command line names none.
    static CommandLine decide(const QStringList &arguments, const QProcessEnvironment &environment);
    // Empty when the platform Qt will start has something to show the windows on
    // (a display, or none needed); otherwise what is missing, in a few words.
    static QString missingSession(const QStringList &arguments, const QProcessEnvironment &environment);
};
