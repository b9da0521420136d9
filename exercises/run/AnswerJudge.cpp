#include "AnswerJudge.h"

#include "common/HungarianText.h"


AnswerJudge AnswerJudge::forShape(LessonModel::Shape shape)
{
    switch (shape) {
    case LessonModel::Shape::Sentences:
    case LessonModel::Shape::PictureStory: return AnswerJudge(InnerBlanks::Collapsed);
    case LessonModel::Shape::SuffixDrill:
    case LessonModel::Shape::PersonStory: break;
    }
    return AnswerJudge(InnerBlanks::Kept);
}

QString AnswerJudge::untrimmed(const QString &typed) const
{
    const QString letters = HungarianText::normalised(typed);
    return collapsesBlanks() ? HungarianText::collapseBlanks(letters) : letters;
}

QString AnswerJudge::read(const QString &typed) const
{
    return HungarianText::trimBlanks(untrimmed(typed));
}

AnswerJudge::Verdict AnswerJudge::judge(const QString &typed, const QString &expected, const QStringList &alsoRight) const
{
    const QString answer = read(typed);
    if (answer.isEmpty())
        return Verdict::Empty;
    if (answer == read(expected))
        return Verdict::Right;
    // The other answers a lesson takes are taken exactly as typed, blanks at the ends included.
    return alsoRight.contains(untrimmed(typed)) ? Verdict::Right : Verdict::Wrong;
}
