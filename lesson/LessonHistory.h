#pragma once

#include <QString>
#include <QStringList>

// The lessons the learner opened, kept in the program's settings: the one chosen last,
// opened again at the next start, and the few most recent for the Lesson menu. Lesson
// 7, built in, is chosen as an empty name and is never among the recent ones. A recent
// lesson's title is kept with it, so that the menu names it without reading it; one
// whose file was not found stays among them, marked, so that the learner still finds it
// there (and opens it again once its file is back).
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
    // The lesson's file is not there any more: it is no longer opened at start, and the
    // Lesson menu marks it as not found.
    void notFound(const QString &file);
    bool isMissing(const QString &file) const;
};
