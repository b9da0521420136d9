#include "Trial.h"

#include "exercises/b07d1/b07d1.h"
#include "exercises/b07d3/b07d3.h"
#include "exercises/b07d4/b07d4.h"
#include "exercises/b07d6/b07d6.h"


Trial::Trial(Feedback &feedback, RandomSource &random, Speech &speech)
    : services{values, feedback, random, nowhere, lesson, speech}
{
}

Trial::~Trial() = default;

template <typename Window>
static Window &made(std::unique_ptr<Window> &window, Services services, ExerciseOpener &opener, std::function<void()> after)
{
    if (!window) {
        window = std::make_unique<Window>(services, opener);
        window->afterUnload = std::move(after);
    }
    return *window;
}

ExerciseWindow *Trial::windowFor(Exercise exercise)
{
    const auto after = [this] { afterUnload(); };
    switch (lesson.exercise(exercise.place).shape) {
    case LessonModel::Shape::SuffixDrill: return &made(suffixDrill, services, *this, after);
    case LessonModel::Shape::Sentences: return &made(sentences, services, *this, after);
    case LessonModel::Shape::PersonStory: return &made(personStory, services, *this, after);
    case LessonModel::Shape::PictureStory: return &made(pictureStory, services, *this, after);
    }
    return nullptr;
}

ExerciseWindow *Trial::playing() const
{
    for (ExerciseWindow *window : std::initializer_list<ExerciseWindow *>{suffixDrill.get(), sentences.get(),
                                                                         personStory.get(), pictureStory.get()}) {
        if (window && window->isLoaded())
            return window;
    }
    return nullptr;
}

void Trial::play(const LessonModel::Lesson &tried, int place)
{
    end();
    lesson.open(LessonReader::Reading{tried, {}}, {});
    if (place < 0 || place >= int(tried.exercises.size()))
        return;
    ExerciseWindow *window = windowFor(Exercise{place});
    values.ExerciseNo = place + 1;
    window->aimAt(Exercise{place});
    window->Show();
    window->prepareFor(Exercise{place}, true);
}

void Trial::openExercise(Exercise target, Form &opener)
{
    ExerciseWindow *window = windowFor(target);
    changing = true;
    if (window == &opener)
        opener.Unload();
    values.ExerciseNo = target.place + 1;
    window->aimAt(target);
    window->Show();
    window->prepareFor(target, false);
    if (window != &opener)
        opener.Unload();
    changing = false;
}

// Close goes back to the editor, once the window has gone (afterUnload).
void Trial::showMainMenu(bool)
{
}

void Trial::afterUnload()
{
    if (!changing && !playing() && ended)
        ended();
}

void Trial::end()
{
    if (ExerciseWindow *window = playing())
        window->Unload();
}
