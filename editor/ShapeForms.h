#pragma once

#include "lesson/Lesson.h"

#include <QCoreApplication>
#include <QString>

#include <functional>

class QFormLayout;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QWidget;
class TextTable;

// What a teacher fills in for one shape of exercise, beside the fields every exercise has.
// A form shows an exercise as the lesson has it, and says each change the teacher makes as
// what it does to the exercise.
class ShapeForm
{
public:
    virtual ~ShapeForm() = default;
    // Made once, its fields in their places.
    virtual QWidget *widget() = 0;
    virtual void show(const LessonModel::Exercise &exercise, const LessonModel::Lesson &lesson) = 0;
    // Gives the focus to the field a problem names (a key of the lesson file) at `row`
    // (an item, a sentence, a gap), and selects it; false when the form has no such field.
    virtual bool focus(const QString &key, int row) = 0;

    // A change: named for the Edit menu, what it does, and a key that makes the steps of one
    // field typed in one after another one step.
    using Edit = std::function<void(const QString &what, const std::function<void(LessonModel::Exercise &)> &change, int key)>;
    Edit edited;

protected:
    void tell(const QString &what, int key, const std::function<void(LessonModel::Exercise &)> &change)
    {
        if (edited)
            edited(what, change, key);
    }
};

// A suffix drill: its number, suffix, basic run and the table of words with their answers.
class DrillForm final : public ShapeForm
{
    Q_DECLARE_TR_FUNCTIONS(DrillForm)

public:
    QWidget *widget() override;
    void show(const LessonModel::Exercise &exercise, const LessonModel::Lesson &lesson) override;
    bool focus(const QString &key, int row) override;

private:
    QWidget *form = nullptr;
    QLineEdit *number = nullptr;
    QLineEdit *suffix = nullptr;
    QSpinBox *basic = nullptr;
    TextTable *items = nullptr;
};

// Sentence exercises: the basic run and the table of sentences, each with its pictogram.
class SentenceForm final : public ShapeForm
{
    Q_DECLARE_TR_FUNCTIONS(SentenceForm)

public:
    QWidget *widget() override;
    void show(const LessonModel::Exercise &exercise, const LessonModel::Lesson &lesson) override;
    bool focus(const QString &key, int row) override;

private:
    QWidget *form = nullptr;
    QSpinBox *basic = nullptr;
    TextTable *rows = nullptr;
};

// A story: its persons, its text with each gap in brackets, and per gap its kind and an
// answer for each person (in step with the brackets of the text); a picture story's pictures.
class StoryForm final : public ShapeForm
{
    Q_DECLARE_TR_FUNCTIONS(StoryForm)

public:
    QWidget *widget() override;
    void show(const LessonModel::Exercise &exercise, const LessonModel::Lesson &lesson) override;
    bool focus(const QString &key, int row) override;

    // Asked for a picture file to add: its path, or empty when none was chosen.
    std::function<QString()> choosePicture;

private:
    void personsEdited();
    void textEdited();
    void gapsEdited(const std::vector<QStringList> &rows);
    void picturesEdited(const std::vector<QStringList> &rows);
    void addPicture();
    void showGaps(const LessonModel::Story &story);

    QWidget *form = nullptr;
    QLineEdit *persons = nullptr;
    QPlainTextEdit *text = nullptr;
    TextTable *gaps = nullptr;
    QWidget *pictureBox = nullptr;
    TextTable *pictures = nullptr;
    QStringList shownPersons;
    bool pictureStory = false;
    bool laidOut = false;
    bool showing = false;
};
