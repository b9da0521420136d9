#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class Feedback;
class LessonSource;
class Module1;
class Record;
class ReviewWindow;

// The daily review across the lessons: what is due, said in the main menu's caption,
// and a run of it in the Review window, its answers recorded in their own lessons.
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

    // Made when first asked for; `afterUnload` is given to it then.
    ReviewWindow &window();
    ReviewWindow *made() const { return reviewWindow.get(); }
    std::function<void()> afterUnload;

private:
    Record &record;
    LessonSource &lessons;
    Feedback &feedback;
    const Module1 &shared;
    std::unique_ptr<ReviewWindow> reviewWindow;
    bool captionAsked = false;
    bool captionStale = false;
    // What the record and the lesson reader answer reaches the review while it lives.
    QObject alive;
};
