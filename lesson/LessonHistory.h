#pragma once

#include <QString>
#include <QStringList>

// The lessons the learner opened, kept in the program's settings: the one chosen
// last, opened again at the next start, and the few most recent for the Lesson menu.
// Lesson 7, built in, is chosen as an empty name and is never among the recent ones.
// A recent lesson's title is kept with it, so that the menu names it without reading it.
class LessonHistory
{
public:
    static constexpr int MostRecent = 5;

    QString last() const;
    QStringList recent() const;
    // The title the lesson had when it was last opened; empty when unknown.
    QString title(const QString &file) const;
    // The learner chose this lesson (empty: lesson 7), which has this title.
    void chose(const QString &file, const QString &title);
    // The lesson cannot be read any more: it leaves the list, and is no longer opened at start.
    void forget(const QString &file);
};
