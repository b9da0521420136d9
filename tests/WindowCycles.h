#pragma once

#include "app/Program.h"
#include "app/sobre.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QCoreApplication>
#include <QPushButton>

// One round of a learner going through the whole program: every exercise
// opened from the main menu, started and closed again, then the About window
// opened and closed. The main menu must be on show.
inline void OpenAndCloseEveryWindow(Program &program)
{
    const auto settle = [] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    };
    for (Exercise exercise : Lesson7::All) {
        program.openFromMainMenu(exercise);
        ExerciseWindow *window = program.windowFor(exercise);
        window->control<QPushButton>(QStringLiteral("Command1"))->click();
        window->control<QPushButton>(QStringLiteral("Command3"))->click();
        settle();
    }
    program.showAbout();
    program.about().control<QPushButton>(QStringLiteral("Command1"))->click();
    settle();
}
