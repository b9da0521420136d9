#pragma once

#include "ReviewRun.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class Feedback;
class LessonSource;
class Module1;
class Record;
class ReviewWindow;

// The daily review across the lessons: the recall to aim for, what is due at it (said in
// the main menu's caption and asked in the Review window), its answers recorded in their
// own lessons. What is due is asked again whenever the answers or the aim change.
class Review
{
public:
    Review(Record &record, LessonSource &lessons, Feedback &feedback, const Module1 &shared);
    ~Review();

    // Asks the record for the due items, finds their lessons and shows the window asking them.
    void open();
    // Asks the record what is due now and tells `captionChanged`, one question at a time.
    void refreshCaption();
    std::function<void(const QString &caption)> captionChanged;

    // The chance of recall an item falls due at (0.70 to 0.97), kept in the settings.
    double retention() const;
    // The learner aims for another recall: what is due is asked anew, by the caption, the
    // window (the items yet to come) and whoever listens to `retentionChanged`.
    void setRetention(int percent);
    std::function<void()> retentionChanged;

    // Made when first asked for; `afterUnload` is given to it then.
    ReviewWindow &window();
    ReviewWindow *made() const { return reviewWindow.get(); }
    std::function<void()> afterUnload;

private:
    // The due items at the aim, of every lesson the program can open, as a plan; then `planned`.
    void plan(std::function<void(ReviewPlan)> planned);

    Record &record;
    LessonSource &lessons;
    Feedback &feedback;
    const Module1 &shared;
    ReviewRun run;
    std::unique_ptr<ReviewWindow> reviewWindow;
    bool captionAsked = false;
    bool captionStale = false;
    int plansAsked = 0;
    // What the record and the lesson reader answer reaches the review while it lives.
    QObject alive;
};
