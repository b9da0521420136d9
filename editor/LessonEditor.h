#pragma once

#include "EditedLesson.h"
#include "ShapeForms.h"
#include "common/Form.h"
#include "lesson/LessonPlace.h"
#include "lesson/LessonProblem.h"

#include <QCoreApplication>
#include <QTimer>

#include <functional>
#include <memory>

class Feedback;
class Module1;
class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QStackedWidget;

// The lesson editor: the lesson's own fields, the list of its exercises, the form of the
// exercise chosen, and the problems the lesson has as it stands, checked on a thread of
// their own after each pause in typing. Every change can be undone; Try it plays the
// exercise being edited; the lesson is saved as a lesson file, whole or not at all.
class LessonEditor final : public Form
{
    Q_DECLARE_TR_FUNCTIONS(LessonEditor)

public:
    LessonEditor(Feedback &feedback, const Module1 &shared);
    ~LessonEditor() override;

    EditedLesson &edited() { return lesson; }
    // Opens a new lesson, or this lesson of this file (empty: a copy to save elsewhere).
    void startNew();
    void openLesson(const LessonModel::Lesson &played, const QString &file);

    // Plays the exercise in its place of the lesson as it stands, unsaved; the editor stays.
    std::function<void(const LessonModel::Lesson &, int place)> tryIt;
    // A saved lesson the learner may want to play.
    std::function<void(const QString &file)> savedAs;

    // What the editor shows as problems now (for the tests and the status line).
    const LessonProblems &problems() const { return shownProblems; }
    // Checks the lesson as it stands now, without waiting for a pause.
    void checkNow();
    // Asks whether to save the changes first, where there are any; false when the teacher cancelled.
    bool changesSettled();

private:
    void build(FormWidget &window) override;
    void releaseControls() override;
    void closeRequested() override;

    void buildMenus(FormWidget &window);
    QWidget *buildLessonFields(QWidget *parent);
    QWidget *buildExerciseList(QWidget *parent);
    QWidget *buildExerciseFields(QWidget *parent);
    // Everything shown anew from the lesson as it stands.
    void showLesson(int exercise);
    void showExercise();
    ShapeForm &formFor(LessonModel::Shape shape);
    void changeExercise(const QString &what, const std::function<void(LessonModel::Exercise &)> &edit, int key);
    void changeLesson(const QString &what, const std::function<void(LessonModel::Lesson &)> &edit, int key);
    void checked(const LessonProblems &found, const LessonLines &lines);
    void problemChosen(int row);
    bool save(const QString &file);
    bool saveAs();

    Feedback &feedback;
    const Module1 &shared;
    EditedLesson lesson;
    int current = 0;
    QTimer pause;
    int checksAsked = 0;
    LessonProblems shownProblems;
    std::vector<LessonPlace> problemPlaces; // per problem shown, where it is
    DrillForm drill;
    SentenceForm sentences;
    StoryForm story;
    QObject alive;

    struct Widgets
    {
        QLineEdit *title = nullptr, *authors = nullptr, *licence = nullptr, *language = nullptr, *words = nullptr;
        QSpinBox *number = nullptr;
        QLabel *id = nullptr;
        QListWidget *exercises = nullptr;
        QLineEdit *exerciseId = nullptr, *caption = nullptr, *heading = nullptr, *description = nullptr, *ending = nullptr;
        QStackedWidget *shapes = nullptr;
        QListWidget *problems = nullptr;
        QLabel *said = nullptr;
        QPushButton *tryIt = nullptr;
    };
    std::unique_ptr<Widgets> ui;
};
