#pragma once

#include "exercises/frame/ExerciseOpener.h"

#include <QString>

class LessonHistory;

// What the main menu asks of the program, beyond what every window may ask: an
// exercise opened from the menu, a lesson to play, the background, the end.
class MenuActions : public ExerciseOpener
{
public:
    virtual void openFromMainMenu(Exercise target) = 0;
    // Plays the lesson in the file from now on, or says why it cannot.
    virtual void openLesson(const QString &file) = 0;
    virtual LessonHistory &lessonHistory() = 0;
    // The grey background behind the windows, shown again.
    virtual void showBackground() = 0;
    // The review of what is due across the lessons.
    virtual void openReview() = 0;
    // The lesson editor, with a new lesson or the lesson played.
    virtual void editLesson(bool fresh) = 0;
    virtual void end() = 0;
};
