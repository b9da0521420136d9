#include "WindowSet.h"

#include "alap.h"
#include "hatter.h"
#include "sobre.h"
#include "exercises/b07d1/b07d1.h"
#include "exercises/b07d3/b07d3.h"
#include "exercises/b07d4/b07d4.h"
#include "exercises/b07d6/b07d6.h"
#include "editor/LessonEditor.h"
#include "lesson/LessonSource.h"
#include "progress/ProgressWindow.h"

#include <algorithm>
#include <iterator>

namespace {

// The windows made so far, of those given.
template <typename Window>
std::vector<Window *> madeOnes(std::initializer_list<Window *> windows)
{
    std::vector<Window *> made;
    std::copy_if(windows.begin(), windows.end(), std::back_inserter(made), [](Window *window) { return window; });
    return made;
}

} // namespace

WindowSet::WindowSet(Services services, Record &record, MenuActions &actions)
    : services(services), record(record), actions(actions)
{
}

WindowSet::~WindowSet() = default;

template <typename Window, typename... Arguments>
Window &WindowSet::made(std::unique_ptr<Window> &window, Arguments &&...arguments)
{
    if (!window) {
        window = std::make_unique<Window>(std::forward<Arguments>(arguments)...);
        window->afterUnload = [this] {
            if (afterUnload)
                afterUnload();
        };
    }
    return *window;
}

sobre &WindowSet::about()
{
    return made(aboutWindow, services, actions);
}

alap &WindowSet::mainMenu()
{
    return made(mainMenuWindow, services, actions);
}

hatter &WindowSet::background()
{
    return made(backgroundWindow);
}

ProgressWindow &WindowSet::progress()
{
    if (!progressWindow) {
        made(progressWindow, record, services.feedback, &services.lesson);
        if (progressMade)
            progressMade(*progressWindow);
    }
    return *progressWindow;
}

LessonEditor &WindowSet::editor()
{
    return made(editorWindow, services.feedback, services.shared);
}

ExerciseWindow *WindowSet::windowFor(Exercise exercise)
{
    const std::vector<LessonModel::Exercise> &exercises = services.lesson.lesson().exercises;
    if (exercise.place < 0 || exercise.place >= int(exercises.size()))
        return nullptr;
    switch (exercises[std::size_t(exercise.place)].shape) {
    case LessonModel::Shape::SuffixDrill: return &made(suffixDrill, services, actions);
    case LessonModel::Shape::Sentences: return &made(sentences, services, actions);
    case LessonModel::Shape::PersonStory: return &made(personStory, services, actions);
    case LessonModel::Shape::PictureStory: return &made(pictureStory, services, actions);
    }
    return nullptr;
}

std::vector<Form *> WindowSet::forms() const
{
    std::vector<Form *> all = madeOnes<Form>({aboutWindow.get(), mainMenuWindow.get(), backgroundWindow.get(),
                                              suffixDrill.get(), sentences.get(), personStory.get(),
                                              pictureStory.get(), progressWindow.get(), editorWindow.get()});
    if (others) {
        for (Form *other : others())
            if (other)
                all.push_back(other);
    }
    return all;
}

std::vector<ExerciseWindow *> WindowSet::exerciseWindows() const
{
    return madeOnes<ExerciseWindow>({suffixDrill.get(), sentences.get(), personStory.get(), pictureStory.get()});
}

bool WindowSet::anyLoaded() const
{
    const std::vector<Form *> all = forms();
    return std::any_of(all.begin(), all.end(), [](const Form *form) { return form->isLoaded(); });
}

Form *WindowSet::openForm() const
{
    for (Form *form : forms()) {
        if (form != backgroundWindow.get() && form->isLoaded() && form->window()->isActiveWindow())
            return form;
    }
    for (Form *form : {static_cast<Form *>(mainMenuWindow.get()), static_cast<Form *>(progressWindow.get())}) {
        if (form && form->isLoaded())
            return form;
    }
    for (ExerciseWindow *window : exerciseWindows()) {
        if (window->isLoaded())
            return window;
    }
    return nullptr;
}
