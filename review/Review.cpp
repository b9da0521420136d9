#include "Review.h"

#include "ReviewWindow.h"
#include "common/InBackground.h"
#include "common/Logging.h"
#include "common/WhenDone.h"
#include "lesson/LessonFiles.h"
#include "lesson/LessonSource.h"
#include "record/Record.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>
#include <utility>

Review::Review(Record &record, LessonSource &lessons, Feedback &feedback, const Module1 &shared)
    : record(record), lessons(lessons), feedback(feedback), shared(shared), run(record)
{
}

Review::~Review() = default;

ReviewWindow &Review::window()
{
    if (!reviewWindow) {
        reviewWindow = std::make_unique<ReviewWindow>(run, feedback, shared);
        reviewWindow->afterUnload = afterUnload;
        reviewWindow->retentionChosen = [this](int percent) { setRetention(percent); };
    }
    return *reviewWindow;
}

double Review::retention() const
{
    return reviewRetention();
}

void Review::setRetention(int percent)
{
    setReviewRetention(percent);
    refreshCaption();
    if (reviewWindow && reviewWindow->isLoaded()) {
        plan([this](ReviewPlan plan) {
            run.replan(std::move(plan));
            if (reviewWindow->isLoaded())
                reviewWindow->showRun();
        });
    }
    if (retentionChanged)
        retentionChanged();
}

void Review::plan(std::function<void(ReviewPlan)> planned)
{
    // Of plans asked one after another (the aim changed twice), the last counts.
    const int asked = ++plansAsked;
    // Every due item: those of lessons the program cannot open are left out before the
    // run's length is taken, so that a lesson file gone never keeps the others from being asked.
    whenDone(record.dueItems({}, retention(), -1), &alive, [this, asked, planned](RecordData::DueItems due) {
        // Planned on a thread of its own, however many items are due: the lesson played is at
        // hand; the others the program knows a file of (lesson 7 and the Lesson menu's) are
        // read there, when a due item needs them.
        const RecordData::ReadFailure failure = due.failure;
        const auto planning = [due = std::move(due), played = lessons.lesson(), file = lessons.file()] {
            std::vector<LessonModel::Lesson> found{played};
            if (std::any_of(due.begin(), due.end(), [&](const auto &item) { return item.lesson != played.id; })) {
                std::vector<LessonModel::Lesson> others = LessonFiles::knownLessons(file);
                std::move(others.begin(), others.end(), std::back_inserter(found));
            }
            return ReviewPlan::of(due, found);
        };
        whenDone(inBackground(planning), &alive, [this, asked, planned, failure](ReviewPlan plan) {
            if (asked != plansAsked)
                return;
            if (failure != RecordData::ReadFailure::None) {
                plan.problem = QCoreApplication::translate("Review", "What is due for review cannot be shown: your "
                                                                     "progress could not be read.");
                qCWarning(logReview, "%s", qUtf8Printable(plan.problem));
            }
            if (!plan.leftOut.isEmpty())
                qCInfo(logReview).noquote() << plan.leftOut;
            planned(std::move(plan));
        });
    });
}

void Review::open()
{
    window().showRetention(qRound(retention() * 100));
    plan([this](ReviewPlan plan) {
        run.begin(std::move(plan));
        window().showRun();
    });
}

void Review::refreshCaption()
{
    // Answers given while a question is on its way are counted by the next.
    if (captionAsked) {
        captionStale = true;
        return;
    }
    captionAsked = true;
    const qint64 now = record.clock().toMSecsSinceEpoch();
    whenDone(record.reviewFigures({}, retention()), &alive, [this, now](const RecordData::ReviewFigures &figures) {
        captionAsked = false;
        if (captionChanged)
            captionChanged(reviewCaption(figures, now));
        if (std::exchange(captionStale, false))
            refreshCaption();
    });
}
