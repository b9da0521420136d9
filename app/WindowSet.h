#pragma once

#include "common/Services.h"
#include "exercises/frame/Exercise.h"

#include <functional>
#include <memory>
#include <vector>

class alap;
class b07d1;
class b07d3;
class b07d4;
class b07d6;
class ExerciseOpener;
class ExerciseWindow;
class Form;
class hatter;
class LessonEditor;
class MenuActions;
class ProgressWindow;
class Record;
class sobre;

// The program's windows, each made when first asked for (the splash shows before the
// others exist), and what can be asked of them all together.
class WindowSet
{
public:
    WindowSet(Services services, Record &record, MenuActions &actions);
    ~WindowSet();

    sobre &about();
    alap &mainMenu();
    hatter &background();
    ProgressWindow &progress();
    LessonEditor &editor();
    // The window that runs an exercise of the lesson played.
    ExerciseWindow *windowFor(Exercise exercise);
    // The windows made so far, and of them the exercise windows; `more` beside them (the review's).
    std::vector<Form *> forms() const;
    std::vector<ExerciseWindow *> exerciseWindows() const;
    bool anyLoaded() const;
    // Over whichever window is on screen: the active one, else the main menu or Progress, else an exercise.
    Form *openForm() const;

    // Told after every window's unload; told to each window as it is made.
    std::function<void()> afterUnload;
    // Windows beside these that count as open (the review's, a trial's), and told to the progress window when made.
    std::function<std::vector<Form *>()> others;
    std::function<void(ProgressWindow &)> progressMade;

private:
    template <typename Window, typename... Arguments>
    Window &made(std::unique_ptr<Window> &window, Arguments &&...arguments);

    Services services;
    Record &record;
    MenuActions &actions;
    std::unique_ptr<b07d1> suffixDrill;
    std::unique_ptr<b07d4> sentences;
    std::unique_ptr<b07d6> personStory;
    std::unique_ptr<b07d3> pictureStory;
    std::unique_ptr<hatter> backgroundWindow;
    std::unique_ptr<alap> mainMenuWindow;
    std::unique_ptr<sobre> aboutWindow;
    std::unique_ptr<ProgressWindow> progressWindow;
    std::unique_ptr<LessonEditor> editorWindow;
};
