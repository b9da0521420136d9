#pragma once

#include <QString>

#include <vector>

// One thing wrong with a lesson file, where it is: FILE:LINE:COLUMN: message, as
// compilers write it, so that an editor jumps to the place. The column counts
// characters, as editors do, not bytes.
struct LessonProblem
{
    QString file;
    int line = 1;   // from 1
    int column = 1; // from 1
    QString message;
    // A warning (an unknown word) does not keep the lesson from being played.
    bool warning = false;

    QString text() const
    {
        return visible(QStringLiteral("%1:%2:%3: %4%5")
                           .arg(file)
                           .arg(line)
                           .arg(column)
                           .arg(warning ? QStringLiteral("warning: ") : QString(), message));
    }

    // A control character from a file (a NUL, an escape) shown as U+0000 instead of
    // acting on the terminal or cutting the line short.
    static QString visible(const QString &text)
    {
        QString shown;
        shown.reserve(text.size());
        for (const QChar c : text) {
            if (c.category() == QChar::Other_Control)
                shown += QStringLiteral("U+") + QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
            else
                shown += c;
        }
        return shown;
    }
};

using LessonProblems = std::vector<LessonProblem>;
