#pragma once

#include "class/ClassSync.h"
#include "class/ClassWindow.h"
#include "class/report/ClassReportWindow.h"
#include "record/RecordExport.h"
#include "record/RecordTypes.h"
#include "common/Form.h"
#include "exercises/frame/Exercise.h"

#include <QCoreApplication>
#include <QDate>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class Feedback;
class LessonSource;
class QComboBox;
class Record;
class QLabel;
class QPushButton;
class QTableWidget;

// The learner's progress: per exercise the runs accomplished, the last of them,
// the share right at the first try over the last 30 days with a chart of it per
// day, the items missed most often, and ways to export, forget and practise
// the mistakes. Everything it shows of the record is plain text, and it shows
// what the record holds now: when it comes to the front and whenever the record
// changes while it is open. It asks the record and shows the answer when it comes,
// so that it never waits for the file.
class ProgressWindow final : public Form
{
    Q_DECLARE_TR_FUNCTIONS(ProgressWindow)

public:
    // `lesson`: the lesson whose exercises it lists; without one, the built-in lesson.
    ProgressWindow(Record &record, Feedback &feedback, LessonSource *lesson = nullptr);
    // An export still running is cancelled: it leaves no file.
    ~ProgressWindow() override;

    // Asked of the program: open the exercise and run these items of it.
    std::function<void(Exercise, const QStringList &)> practise;

    // The class the learner saved in the Class window.
    std::function<void(const ClassServer &)> &classJoined() { return classWindow.joined; }
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
    void Form_Activate() override { refresh(); }
    void releaseControls() override { ui.reset(); }

    void buildExerciseGrid(QWidget &box);
    // Asks the record for the figures; they are shown when they come.
    void refresh();
    void fill(const RecordData::Figures &figures);
    // What the problem line says: how the record stands, and why the figures are not shown.
    QString problemSentence(RecordData::ReadFailure failure) const;
    void showProblem(const QString &problem);
    // Figures that could not be read are not shown as zeros: the cells are left empty.
    void clearFigures();
    // A read that found the file busy is asked again in a moment.
    void readAgainSoon(RecordData::ReadFailure failure);
    void fillExercise(int place, int mistakes);
    // The lesson's exercises by id, in its order.
    QStringList exerciseIds();
    void fitWrappedLines();
    void showClassLine(int answersWaiting, int runsWaiting);
    void chooseComputers(bool all);
    // The figures count every computer's answers while a class is joined and the learner chose so.
    RecordData::Scope scope() const;
    void fetchServerCopy();
    void serverCopyFetched(const QString &lessonId, bool ok);
    void showChart(int row);
    // The review's figures of the lesson and of all lessons, and the forecast of all.
    void fillReview(const RecordData::ReviewFigures &lessonFigures, const RecordData::ReviewFigures &all);
    void showForecast();
    // Writes the export on the record's thread behind a progress dialog that can cancel;
    // nothing else of the program is used meanwhile, and the window goes on when it ends.
    void exportClicked();
    void exportDone(const QString &file, const RecordData::Exported &exported);
    void forgetClicked();
    void practiseClicked(Exercise exercise);

    Record &record;
    Feedback &feedback;
    LessonSource &lesson;
    std::vector<RecordData::Summary> shown;
    std::vector<int> forecast; // items falling due on each of the next 30 days, all lessons
    QTimer refreshSoon; // one question for many changes
    bool asking = false; // a question is on its way; another change asks again when it is answered
    bool askAgain = false;
    QDateTime serverCopyTime;
    QPointer<ClassSync> sync;
    bool allComputers; // the learner's choice, remembered in the settings
    bool serverCopyFailed = false; // the last fetch of the open lesson's rows
    bool readAgainAsked = false;   // a busy read is asked again in a moment
    std::shared_ptr<RecordExport::Progress> exportProgress; // while an export runs
    // Answers reach the window only while the object lives; what the record says, only while it is loaded.
    QObject alive;
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
        QLabel *review = nullptr; // what is due for review, and how much would be recalled now
        QComboBox *chartChoice = nullptr;
        QWidget *chart = nullptr; // a chart view from the chart module
        QTableWidget *missed = nullptr;
        QPushButton *exportButton = nullptr;
        QPushButton *forgetButton = nullptr;
        QPushButton *classButton = nullptr;
    };
    std::unique_ptr<Widgets> ui;
};
