#pragma once

#include "common/Module1.h"
#include "common/ProgressRecord.h"
#include "common/Services.h"
#include "exercises/frame/ExerciseOpener.h"
#include "lesson/LessonSource.h"

#include <functional>
#include <memory>

class b07d1;
class b07d3;
class b07d4;
class b07d6;
class ExerciseWindow;
class Feedback;
class RandomSource;
class Speech;

// A lesson tried as it stands in the editor, unsaved: its exercises play in windows of their
// own, as the program plays them, and nothing is recorded. Its go-to buttons go from one of
// its exercises to another; Close (or the last of its windows closed) ends the trial.
class Trial final : public ExerciseOpener
{
public:
    Trial(Feedback &feedback, RandomSource &random, Speech &speech);
    ~Trial() override;

    // Plays the exercise in its place of the lesson.
    void play(const LessonModel::Lesson &lesson, int place);
    // Told when the trial ends: the editor comes back where it was.
    std::function<void()> ended;
    // The window playing now, if any.
    ExerciseWindow *playing() const;
    void end();

    void openExercise(Exercise target, Form &opener) override;
    // Close goes back to the editor.
    void showMainMenu(bool focusEndButton) override;
    void showAbout() override {}
    void showProgress() override {}

private:
    // Nothing a trial does is recorded.
    struct Nowhere final : ProgressRecord
    {
        void answerJudged(const Answer &) override {}
        qint64 runStarted(const QString &, const QString &, Variant, const QString &) override { return 0; }
        void runEnded(qint64, Outcome) override {}
    };

    ExerciseWindow *windowFor(Exercise exercise);
    void afterUnload();

    Module1 values;
    Nowhere nowhere;
    LessonSource lesson;
    Services services;
    std::unique_ptr<b07d1> suffixDrill;
    std::unique_ptr<b07d4> sentences;
    std::unique_ptr<b07d6> personStory;
    std::unique_ptr<b07d3> pictureStory;
    bool changing = false;
};
