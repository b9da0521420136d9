#include "ReviewPlan.h"

#include "common/Settings.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>

#include <algorithm>

ReviewPlan ReviewPlan::of(const std::vector<RecordData::DueItem> &due, const std::vector<LessonModel::Lesson> &lessons)
{
    ReviewPlan plan;
    int lessonGone = 0;
    int itemGone = 0;
    for (const RecordData::DueItem &item : due) {
        const auto lesson = std::find_if(lessons.begin(), lessons.end(), [&](const auto &l) { return l.id == item.lesson; });
        if (lesson == lessons.end()) {
            ++lessonGone;
            continue;
        }
        // Beyond the run's length only whether the lesson still has the item counts.
        if (int(plan.prompts.size()) >= RunLength) {
            itemGone += !ReviewPrompt::exists(*lesson, item.exercise, item.item);
        } else if (std::optional<ReviewPrompt> prompt = ReviewPrompt::of(*lesson, item.exercise, item.item)) {
            plan.prompts.push_back(std::move(*prompt));
        } else {
            ++itemGone;
        }
    }
    QStringList said;
    if (lessonGone == 1)
        said << QCoreApplication::translate("ReviewPlan", "1 due item is left out: its lesson file cannot be found "
                                            "(moved or deleted); open it from the Lesson menu to review it.");
    else if (lessonGone > 1)
        said << QCoreApplication::translate("ReviewPlan", "%1 due items are left out: their lesson file cannot be found "
                                            "(moved or deleted); open it from the Lesson menu to review them.")
                    .arg(lessonGone);
    if (itemGone == 1)
        said << QCoreApplication::translate("ReviewPlan", "1 due item is left out: its lesson no longer has it.");
    else if (itemGone > 1)
        said << QCoreApplication::translate("ReviewPlan", "%1 due items are left out: their lesson no longer has them.")
                    .arg(itemGone);
    plan.leftOut = said.join(u' ');
    return plan;
}

double reviewRetention()
{
    return std::clamp(programSettings().value(QStringLiteral("review/retention"), 90).toInt(), 70, 97) / 100.0;
}

void setReviewRetention(int percent)
{
    programSettings().setValue(QStringLiteral("review/retention"), percent);
}

QString reviewSummary(const RecordData::ReviewFigures &lesson, const RecordData::ReviewFigures &all)
{
    const auto figures = [](const RecordData::ReviewFigures &f) {
        return QStringLiteral("%1 due now, %2 within 7 days; you would recall about %3 % of the %4 items now")
            .arg(f.dueNow)
            .arg(f.dueInWeek)
            .arg(qRound(f.recall * 100))
            .arg(f.items);
    };
    if (all.items == 0)
        return QStringLiteral("Review: nothing answered yet.");
    return QStringLiteral("Review of this lesson: %1. All lessons: %2.")
        .arg(lesson.items == 0 ? QStringLiteral("nothing answered yet") : figures(lesson), figures(all));
}

QString reviewCaption(const RecordData::ReviewFigures &figures, qint64 nowMs)
{
    // Never "nothing yet" for a record that could not be read; the entry still opens the review.
    if (figures.failure != RecordData::ReadFailure::None)
        return QCoreApplication::translate("ReviewPlan", "Review: cannot read the record");
    if (figures.dueNow > 0)
        return QStringLiteral("Review: %1 due").arg(figures.dueNow);
    if (figures.nextDueMs == 0)
        return QStringLiteral("Review: nothing yet");
    const QDateTime next = QDateTime::fromMSecsSinceEpoch(figures.nextDueMs);
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(nowMs);
    if (next.date() == now.date())
        return QStringLiteral("Review: next at %1").arg(QLocale().toString(next.time(), QLocale::ShortFormat));
    if (next.date() == now.date().addDays(1))
        return QStringLiteral("Review: next tomorrow");
    return QStringLiteral("Review: next on %1").arg(QLocale().toString(next.date(), QLocale::ShortFormat));
}
