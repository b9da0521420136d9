#pragma once

#include "class/ClassSync.h"
#include "class/ClassWindow.h"
#include "record/ProgressStore.h"
#include "class/report/ClassReportWindow.h"
#include "common/Form.h"
#include "exercises/frame/Exercise.h"

#include <QDate>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class Feedback;
class LessonSource;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// The learner's progress: per exercise the runs accomplished, the last of them,
// the share right at the first try over the last 30 days with a chart of it per
// day, the items missed most often, and ways to export, forget and practise
// the mistakes. Everything it shows of the record is plain text, and it shows
// what the record holds now: when it comes to the front and whenever the record
// changes while it is open.
class ProgressWindow final : public Form
{
public:
    // `lesson`: the lesson whose exercises it lists; without one, the built-in lesson.
    ProgressWindow(ProgressStore &store, Feedback &feedback, LessonSource *lesson = nullptr);

    // Asked of the program: open the exercise and run its mistakes; false when
    // there was nothing to practise after all.
    std::function<bool(Exercise)> practise;

    // The class the learner saved in the Class window.
    std::function<void(const ClassServer &)> &classJoined() { return classWindow.joined; }
    // How the record stands with the class server, in one line; empty: no class server.
    void setClassLine(const QString &line);
    // The class joined (none: nullptr): its line, and the choice between this computer's
    // answers and all the learner's computers', with the class server's rows fetched for it.
    void setClassSync(ClassSync *joined);

    static constexpr int Days = 30;
    // The learner's day the figures end with; today unless a test says otherwise.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

private:
    void build(FormWidget &window) override;
    void Form_Load() override;
    void Form_Unload() override;
    void Form_Activate() override { fill(); }
    void releaseControls() override { ui.reset(); }

    void buildExerciseGrid(QWidget &box);
    void fill();
    void fillExercise(int place);
    // The lesson's exercises by id, in its order.
    QStringList exerciseIds();
    void fitWrappedLines();
    void showClassLine();
    void chooseComputers(bool all);
    // The figures count every computer's answers while a class is joined and the learner chose so.
    void applyScope();
    void fetchServerCopy();
    void serverCopyFetched(const QString &lessonId, bool ok);
    void showChart(int row);
    void exportClicked();
    // Writes the export on a thread of its own behind a progress dialog that can cancel.
    enum class Written { Yes, No, Cancelled };
    Written writeExport(const QString &file);
    void forgetClicked();
    void practiseClicked(Exercise exercise);

    ProgressStore &store;
    Feedback &feedback;
    LessonSource &lesson;
    std::vector<ProgressStore::Summary> shown;
    QTimer refresh; // one refill for many changes
    QString classText;
    QPointer<ClassSync> sync;
    bool allComputers; // the learner's choice, remembered in the settings
    bool serverCopyFailed = false; // the last fetch of the open lesson's rows
    // Opened from here and closed with this window, so it never outlives the windows the program counts.
    ClassWindow classWindow;
    // A teacher's, opened when they sign in there, in its place.
    ClassReportWindow classReport;

    struct Widgets
    {
        QLabel *problem = nullptr;
        QLabel *classLine = nullptr; // how the class server stands; hidden without one
        QWidget *computers = nullptr; // This computer / All my computers; hidden without a class
        struct ExerciseRow
        {
            QLabel *runs = nullptr;
            QLabel *last = nullptr;
            QLabel *share = nullptr;
            QPushButton *practise = nullptr; // only where mistakes can be practised
        };
        std::vector<ExerciseRow> rows; // in the lesson's order
        QComboBox *chartChoice = nullptr;
        QWidget *chart = nullptr; // a chart view from the chart module
        QTableWidget *missed = nullptr;
        QPushButton *exportButton = nullptr;
        QPushButton *forgetButton = nullptr;
        QPushButton *classButton = nullptr;
    };
    std::unique_ptr<Widgets> ui;
};
