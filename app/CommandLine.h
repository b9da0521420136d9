#pragma once

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

    // `arguments` as main gets them, the program's name first; `hasDisplay` says
    // whether a graphical session (or a platform that needs none) is there.
    static CommandLine decide(const QStringList &arguments, bool hasDisplay);
    // DISPLAY or WAYLAND_DISPLAY set, or a platform chosen that needs no display.
    static bool displayAvailable();
};
