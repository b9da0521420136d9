#pragma once

#include "TestSupport.h"

#include "app/Program.h"
#include "app/alap.h"
#include "app/hatter.h"
#include "common/Colour.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

// The fixture of the window tests: every test function (and every data row) gets a
// program of its own, with its messages recorded, its random numbers scripted and
// its end counted; at the end no window may be left open.
class ExerciseSession : public QObject
{
    Q_OBJECT

protected:
    RecordingFeedback feedback;
    ScriptedRandom random;
    std::unique_ptr<Program> program;
    int quits = 0;
    Exercise current = Lesson7::Ex1a;

    // The window that runs the exercise last opened.
    ExerciseWindow *window() const { return program->windowFor(current); }
    // Opens an exercise from the main menu as a learner does, and waits until its window is active.
    void open(Exercise exercise);
    // A control of the open window by its designer name; a missing control ends the test run.
    template<typename T>
    T *find(const QString &name) const
    {
        T *control = window()->control<T>(name);
        if (!control)
            qFatal("%s has no control %s", qPrintable(window()->name()), qPrintable(name));
        return control;
    }
    QPushButton *button(const QString &name) const { return find<QPushButton>(name); }
    void click(const QString &name) const { button(name)->click(); }
    // The frame's buttons, whatever each window named them.
    QPushButton *startButton() const { return button(QStringLiteral("Command1")); }
    QPushButton *nextButton() const { return button(QStringLiteral("Command2")); }
    QPushButton *closeButton() const { return button(QStringLiteral("Command3")); }
    QPushButton *solutionButton() const { return captioned(QStringLiteral("Sol&ution")); }
    QPushButton *charButton() const { return captioned(QStringLiteral("&Char")); }
    QPushButton *plusButton() const { return captioned(QStringLiteral("&Plus")); }
    QPushButton *goTo(Exercise exercise) const { return window()->goToButton(exercise); }
    // The one message shown since the last clear: its text and style, the window's title as caption.
    void expectMessage(const QString &text, Feedback::Style style = Feedback::Exclamation) const;
    // The beep and the wrong-answer warning, nothing else.
    void expectWrong() const;

private:
    QPushButton *captioned(const QString &caption) const;

protected Q_SLOTS:
    void init();
    void cleanup();
};

// A story window (b07d6, b07d3) and its gaps, seen through the shared story table.
class StorySession : public ExerciseSession
{
    Q_OBJECT

protected:
    StorySession(Exercise exercise, QString personField) : exercise(exercise), personField(std::move(personField)) {}

    void open() { ExerciseSession::open(exercise); }
    // Lesson 7's story this window tells.
    const LessonModel::Story &lessonStory() const { return TestSupport::storyOf(exercise); }
    int gapCount() const { return int(lessonStory().gaps.size()); }
    const LessonModel::StoryGap &gapItem(int gap) const { return lessonStory().gaps[std::size_t(gap)]; }
    QString answerOf(int gap, int who) const { return gapItem(gap).answers[who]; }
    QString baseOf(int gap) const { return gapItem(gap).offer; }
    QLineEdit *gapBox(int n) const { return find<QLineEdit>(QStringLiteral("Text1_%1").arg(n)); }
    QLineEdit *piece(int n) const { return find<QLineEdit>(QStringLiteral("Text2_%1").arg(n)); }
    QComboBox *person() const { return find<QComboBox>(personField); }

    // What both story tables keep to: a known kind, base and answers without blanks at the ends,
    // double blanks or old letters, in NFC; a phrase (not a verb) is its base, a final a or e
    // lengthened, plus a suffix, the same for every person.
    void checkGapTable() const;
    // Picks a person in the green field with the keyboard; the focus goes back where it was.
    void choosePerson(int index);
    // Clicks into a gap and puts the text in as a learner does (the rest typed after the word
    // on show when the text goes on from it, the whole text retyped otherwise), then Enter.
    void answer(int gap, const QString &text);
    // Answers every gap but `left` (-1: all) right for the person, in story order.
    void solveAllBut(int left, int who);
    // Locked: read-only white text on the kind's strong colour; open: editable black on its pale one.
    bool isLocked(int gap) const { return looks(gap, true); }
    bool isOpen(int gap) const { return looks(gap, false); }
    // The story's boxes (gaps and pieces), row by row, each row from left to right.
    QList<QLineEdit *> storyBoxes() const;
    // The story as a reader sees it.
    QString story() const;

private:
    bool looks(int gap, bool locked) const;
    Exercise exercise;
    QString personField;
};
