#pragma once

#include "exercises/run/AnswerJudge.h"
#include "lesson/Lesson.h"

#include <QString>
#include <QStringList>

#include <optional>

// A due item made askable as a sentence with one gap, whatever the shape of its
// exercise: a drill's word, a sentence, or a story's gap with the text around it.
struct ReviewPrompt
{
    // As recorded: where the item is and its key.
    QString lesson;
    QString exercise;
    QString item;

    QString heading; // the lesson's title and the exercise's heading
    QString cue;     // shown above the gap: the drill's suffix, the sentence's cue, the story's person
    QString before;  // the text before the gap
    QString offer;   // in the gap when it is asked: the drill's word, as the drill puts it there
    QString after;   // the text after the gap
    QStringList answers; // the right answer first; the lesson takes the others too
    // Judged by the rule of the item's own exercise.
    AnswerJudge judge;

    // The item of the lesson's exercise, if the lesson still has them.
    static std::optional<ReviewPrompt> of(const LessonModel::Lesson &lesson, const QString &exercise, const QString &item);
    // Whether the lesson still has the item, without making it askable.
    static bool exists(const LessonModel::Lesson &lesson, const QString &exercise, const QString &item);
};
