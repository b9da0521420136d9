#pragma once

#include <QString>

#include <vector>

// One thing wrong with a lesson file, where it is: FILE:LINE:COLUMN: message, as
// compilers write it, so that an editor jumps to the place.
struct LessonProblem
{
    QString file;
    int line = 1;   // from 1
    int column = 1; // from 1
    QString message;

    QString text() const { return QStringLiteral("%1:%2:%3: %4").arg(file).arg(line).arg(column).arg(message); }
};

using LessonProblems = std::vector<LessonProblem>;
