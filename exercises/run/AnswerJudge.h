#pragma once

#include "lesson/Lesson.h"

#include <QString>
#include <QStringList>

// Whether a typed answer is right: the one rule every exercise and the review judge
// by. The answer is read as the learner meant it (the old letters õ û Õ Û as ő ű Ő Ű,
// letters in composed form, and in the exercises that shrink them, every run of blanks
// inside made one), then compared exactly, case and accents included: without the
// blanks at its ends with the answer expected, and as typed, ends and all, with any
// other answer the lesson also takes.
class AnswerJudge
{
public:
    // Right, wrong, or nothing typed (a wrong answer to the learner, but no try of the item).
    enum class Verdict { Right, Wrong, Empty };
    enum class InnerBlanks { Kept, Collapsed };

    explicit AnswerJudge(InnerBlanks inner = InnerBlanks::Kept) : inner(inner) {}
    // The rule of an exercise of this shape: the sentences and the picture story shrink
    // runs of blanks inside an answer, the suffix drill and the person story keep them.
    static AnswerJudge forShape(LessonModel::Shape shape);

    bool collapsesBlanks() const { return inner == InnerBlanks::Collapsed; }
    // The answer as it is judged, and recorded as given.
    QString read(const QString &typed) const;
    Verdict judge(const QString &typed, const QString &expected, const QStringList &alsoRight = {}) const;
    bool isRight(const QString &typed, const QString &expected, const QStringList &alsoRight = {}) const
    {
        return judge(typed, expected, alsoRight) == Verdict::Right;
    }

private:
    // The letters and inner blanks as judged, the ends as typed.
    QString untrimmed(const QString &typed) const;

    InnerBlanks inner;
};
