#pragma once

#include "app/Program.h"
#include "app/sobre.h"
#include "exercises/frame/ExerciseWindow.h"
#include "lesson/LessonSource.h"

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
    const int exercises = int(program.lesson().lesson().exercises.size());
    for (int place = 0; place < exercises; ++place) {
        const Exercise exercise{place};
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
