#pragma once

#include "ClassReport.h"
#include "common/Form.h"

#include <QObject>
#include <QFuture>

#include <functional>
#include <memory>

class Feedback;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// A teacher's Class report: the learners of their classes against the exercises
// of a lesson (or of all), with the runs accomplished, the share right at the
// first try over the last 30 days and the day last practised, and the items most
// learners of the class missed, with their right answers; exported as CSV. It is
// read from the server on a thread of its own, so the window goes on meanwhile.
// The lessons it knows are the one the program plays, lesson 7 and those of the
// lesson history (ClassReport::knownLessons).
class ClassReportWindow final : public Form
{
public:
    explicit ClassReportWindow(Feedback &feedback);

    // Opens the window signed in as `teacher` and reads the report.
    void showFor(const ClassServer &teacher);

    // The lesson the program plays, shown first, and its exercises in its order.
    std::function<QString()> playedLesson = [] { return QString(); };
    std::function<QStringList()> playedExercises = [] { return QStringList(); };

private:
    void build(FormWidget &window) override;
    void Form_Load() override;
    void releaseControls() override { ui.reset(); }

    void refreshClicked();
    void exportClicked();
    void showLesson();
    QString chosenLesson() const;

    Feedback &feedback;
    ClassServer teacher;
    ClassReport report;
    // One read at a time, since each takes the same connection name.
    struct Read
    {
        QString said;
        ClassReport report;
    };
    QFuture<Read> reading;
    // Results reach the window only while it lives.
    QObject alive;

    struct Widgets
    {
        QLabel *classes = nullptr;
        QComboBox *lesson = nullptr;
        QTableWidget *table = nullptr;
        QTableWidget *missed = nullptr;
        QLabel *said = nullptr; // reading, or why the report could not be read
        QPushButton *refresh = nullptr;
        QPushButton *exportButton = nullptr;
    };
    std::unique_ptr<Widgets> ui;
};
