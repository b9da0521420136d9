#include "Review.h"

#include "ReviewPlan.h"
#include "ReviewWindow.h"
#include "common/WhenDone.h"
#include "lesson/LessonFiles.h"
#include "lesson/LessonSource.h"
#include "record/Record.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <utility>

namespace {

// A run asks at most this many items: a sitting's worth.
constexpr int RunLength = 50;

} // namespace

Review::Review(Record &record, LessonSource &lessons, Feedback &feedback, const Module1 &shared)
    : record(record), lessons(lessons), feedback(feedback), shared(shared)
{
}

Review::~Review() = default;

ReviewWindow &Review::window()
{
    if (!reviewWindow) {
        reviewWindow = std::make_unique<ReviewWindow>(feedback, shared);
        reviewWindow->afterUnload = afterUnload;
        // Each answer is recorded in the lesson of its item, then the lesson played is again.
        reviewWindow->judged = [this](const ReviewPrompt &prompt, const ProgressRecord::Answer &answer) {
            record.setLesson(prompt.lesson);
            record.answerJudged(answer);
            record.setLesson(lessons.lesson().id);
        };
    }
    return *reviewWindow;
}

void Review::open()
{
    whenDone(record.dueItems({}, reviewRetention(), RunLength), &alive, [this](std::vector<RecordData::DueItem> due) {
        // The lesson played is at hand; the others the program knows a file of (lesson 7 and
        // the Lesson menu's) are read on a thread of their own, when a due item needs them.
        const QString played = lessons.lesson().id;
        const bool othersDue = std::any_of(due.begin(), due.end(), [&](const auto &item) { return item.lesson != played; });
        const auto others = [othersDue, file = lessons.file()] {
            return othersDue ? LessonFiles::knownLessons(file) : std::vector<LessonModel::Lesson>();
        };
        whenDone(QtConcurrent::run(others), &alive, [this, due](std::vector<LessonModel::Lesson> found) {
            found.insert(found.begin(), lessons.lesson());
            ReviewPlan plan = ReviewPlan::of(due, found);
            window().begin(std::move(plan.prompts), plan.leftOut);
        });
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
    whenDone(record.reviewFigures({}, reviewRetention()), &alive, [this, now](const RecordData::ReviewFigures &figures) {
        captionAsked = false;
        if (captionChanged)
            captionChanged(reviewCaption(figures, now));
        if (std::exchange(captionStale, false))
            refreshCaption();
    });
}
