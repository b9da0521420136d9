#include "ProgressWindow.h"

#include "ChartModule.h"
#include "common/PlainControls.h"

#include "common/Feedback.h"
#include "common/Logging.h"
#include "common/Module2.h"
#include "common/Settings.h"
#include "common/Topmost.h"
#include "common/WhenDone.h"
#include "lesson/LessonSource.h"
#include "record/Record.h"
#include "review/ReviewPlan.h"

#include <QComboBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QTimer>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <numeric>

namespace {

// The drills whose mistakes can be practised, each in its window: a story is
// practised as a whole.
bool practisable(const LessonModel::Exercise &exercise)
{
    return exercise.shape == LessonModel::Shape::SuffixDrill || exercise.shape == LessonModel::Shape::Sentences;
}

QString percent(int part, int whole)
{
    return whole == 0 ? QStringLiteral("–") : QStringLiteral("%1 %").arg(qRound(100.0 * part / whole));
}

const QString AllComputersKey = QStringLiteral("progress/allComputers");

QString shortDate(const QDateTime &when)
{
    return when.isValid() ? QLocale().toString(when.toLocalTime().date(), QLocale::ShortFormat) : QStringLiteral("never");
}

} // namespace

namespace {

LessonSource &builtInLesson()
{
    static LessonSource source;
    return source;
}

} // namespace

ProgressWindow::ProgressWindow(Record &record, Feedback &feedback, LessonSource *lesson)
    : Form(QStringLiteral("progress")), record(record), feedback(feedback), lesson(lesson ? *lesson : builtInLesson()),
      allComputers(programSettings().value(AllComputersKey, false).toBool()), classWindow(feedback),
      classReport(feedback)
{
    classWindow.teacherSignedIn = [this](const ClassServer &teacher) {
        classWindow.Unload();
        classReport.showFor(teacher);
    };
    classReport.playedLesson = [this] { return this->lesson.lesson().id; };
    classReport.playedExercises = [this] { return exerciseIds(); };
    refreshSoon.setSingleShot(true);
    refreshSoon.setInterval(0);
    QObject::connect(&refreshSoon, &QTimer::timeout, &alive, [this] { refresh(); });
    // While open, the window follows the record: many changes make one question.
    QObject::connect(&record, &Record::changed, &alive, [this] {
        if (isLoaded())
            refreshSoon.start();
    });
    QObject::connect(&record, &Record::statusChanged, &alive, [this] {
        if (isLoaded())
            refreshSoon.start();
    });
}

ProgressWindow::~ProgressWindow()
{
    if (exportProgress)
        exportProgress->cancel = true;
}

void ProgressWindow::build(FormWidget &window)
{
    ui = std::make_unique<Widgets>();
    window.setWindowTitle(QStringLiteral("  Bimbala!   ---   Your progress"));
    auto *client = new QWidget(&window);
    window.setCentralWidget(client);
    auto *layout = new QVBoxLayout(client);

    ui->problem = PlainControls::sentence(QStringLiteral("problem"), client);
    ui->problem->setStyleSheet(QStringLiteral("color: #8b0000; font-weight: bold"));
    // Shown only with a problem to tell, so that an empty line takes no room.
    ui->problem->hide();
    layout->addWidget(ui->problem);
    ui->classLine = PlainControls::sentence(QStringLiteral("classLine"), client);
    layout->addWidget(ui->classLine);
    ui->computers = new QWidget(client);
    ui->computers->setObjectName(QStringLiteral("computers"));
    auto *computersRow = new QHBoxLayout(ui->computers);
    computersRow->setContentsMargins({});
    computersRow->addWidget(PlainControls::label(QStringLiteral("Answers given on:"), ui->computers));
    // T and A: the window's other access keys are C, E, F, S and L.
    auto *thisComputer = new QRadioButton(QStringLiteral("&This computer"), ui->computers);
    thisComputer->setObjectName(QStringLiteral("thisComputer"));
    auto *allComputersButton = new QRadioButton(QStringLiteral("&All my computers"), ui->computers);
    allComputersButton->setObjectName(QStringLiteral("allComputers"));
    (allComputers ? allComputersButton : thisComputer)->setChecked(true);
    computersRow->addWidget(thisComputer);
    computersRow->addWidget(allComputersButton);
    computersRow->addStretch();
    layout->addWidget(ui->computers);
    QObject::connect(allComputersButton, &QRadioButton::toggled, client, [this](bool all) { chooseComputers(all); });
    showClassLine(0, 0);

    const LessonModel::Lesson &open = lesson.lesson();
    // A lesson without a number is named by its title.
    auto *exerciseBox = new QGroupBox(open.number > 0 ? QStringLiteral("Exercises of lesson %1").arg(open.number)
                                                      : QStringLiteral("Exercises of %1").arg(open.title),
                                      client);
    buildExerciseGrid(*exerciseBox);
    layout->addWidget(exerciseBox);
    ui->review = PlainControls::sentence(QStringLiteral("review"), client);
    layout->addWidget(ui->review);

    auto *chartRow = new QHBoxLayout;
    QLabel *chartLabel = PlainControls::label(QStringLiteral("&Chart of exercise:"), client);
    ui->chartChoice = new QComboBox(client);
    ui->chartChoice->setObjectName(QStringLiteral("chartChoice"));
    ui->chartChoice->addItems(exerciseIds());
    ui->chartChoice->addItem(QStringLiteral("Items due per day"));
    chartLabel->setBuddy(ui->chartChoice);
    chartRow->addWidget(chartLabel);
    chartRow->addWidget(ui->chartChoice);
    chartRow->addStretch();
    layout->addLayout(chartRow);
    ui->chart = chartModule().makeView(client);
    ui->chart->setObjectName(QStringLiteral("chart"));
    // Named after its chart once the figures are in.
    ui->chart->setAccessibleName(QStringLiteral("Chart of the exercise chosen"));
    ui->chart->setMinimumHeight(180);
    // The view takes the focus, named after its chart, so a screen reader reads the figures.
    for (QWidget *inner : ui->chart->findChildren<QWidget *>())
        inner->setFocusPolicy(Qt::NoFocus);
    ui->chart->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(ui->chart);
    QObject::connect(ui->chartChoice, &QComboBox::currentIndexChanged, client, [this](int row) { showChart(row); });

    layout->addWidget(PlainControls::label(QStringLiteral("The items missed most often:"), client));
    ui->missed = PlainControls::readOnlyTable(QStringLiteral("missed"), QStringLiteral("Items missed most often"), client);
    ui->missed->setColumnCount(4);
    ui->missed->setHorizontalHeaderLabels(
        {QStringLiteral("Exercise"), QStringLiteral("Item"), QStringLiteral("Right answer"), QStringLiteral("Missed")});
    ui->missed->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui->missed->verticalHeader()->hide();
    ui->missed->horizontalHeader()->setStretchLastSection(true);
    ui->missed->setMinimumHeight(140);
    layout->addWidget(ui->missed);

    auto *buttons = new QHBoxLayout;
    ui->exportButton = new QPushButton(QStringLiteral("&Export..."), client);
    ui->exportButton->setObjectName(QStringLiteral("export"));
    ui->forgetButton = new QPushButton(QStringLiteral("&Forget my progress..."), client);
    ui->forgetButton->setObjectName(QStringLiteral("forget"));
    // C is the chart's access key already, L Close's.
    ui->classButton = new QPushButton(QStringLiteral("Cla&ss..."), client);
    ui->classButton->setObjectName(QStringLiteral("class"));
    ui->classButton->setAccessibleName(QStringLiteral("Class server settings"));
    auto *close = new QPushButton(QStringLiteral("C&lose"), client);
    close->setObjectName(QStringLiteral("close"));
    buttons->addWidget(ui->exportButton);
    buttons->addWidget(ui->forgetButton);
    buttons->addWidget(ui->classButton);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    QObject::connect(ui->exportButton, &QPushButton::clicked, client, [this] { exportClicked(); });
    QObject::connect(ui->forgetButton, &QPushButton::clicked, client, [this] { forgetClicked(); });
    QObject::connect(ui->classButton, &QPushButton::clicked, client, [this] { classWindow.Show(); });
    QObject::connect(close, &QPushButton::clicked, client, [this] { Unload(); });
}

void ProgressWindow::buildExerciseGrid(QWidget &box)
{
    auto *grid = new QGridLayout(&box);
    const QStringList headings{QStringLiteral("Exercise"), QStringLiteral("Runs accomplished\n(basic / Plus)"),
                               QStringLiteral("Last accomplished"),
                               QStringLiteral("Right at the first try\n(last %1 days)").arg(Days)};
    for (int column = 0; column < headings.size(); ++column) {
        QLabel *heading = PlainControls::label(headings[column], &box);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        grid->addWidget(heading, 0, column);
    }
    const std::vector<LessonModel::Exercise> &exercises = lesson.lesson().exercises;
    for (int place = 0; place < int(exercises.size()); ++place) {
        const Exercise exercise{place};
        const QString &code = exercises[std::size_t(place)].id;
        const int row = place + 1;
        Widgets::ExerciseRow labels{PlainControls::label({}, &box), PlainControls::label({}, &box), PlainControls::label({}, &box), nullptr};
        grid->addWidget(PlainControls::label(code, &box), row, 0);
        grid->addWidget(labels.runs, row, 1);
        grid->addWidget(labels.last, row, 2);
        grid->addWidget(labels.share, row, 3);
        if (practisable(exercises[std::size_t(place)])) {
            labels.practise = new QPushButton(QStringLiteral("Practise my mistakes"), &box);
            labels.practise->setObjectName(QStringLiteral("practise") + code);
            labels.practise->setAccessibleName(QStringLiteral("Practise my mistakes of exercise ") + code);
            QObject::connect(labels.practise, &QPushButton::clicked, labels.practise,
                             [this, exercise] { practiseClicked(exercise); });
            grid->addWidget(labels.practise, row, 4);
        }
        ui->rows.push_back(labels);
    }
}

void ProgressWindow::setClassSync(ClassSync *joined)
{
    if (sync)
        QObject::disconnect(sync, nullptr, &alive, nullptr);
    sync = joined;
    serverCopyFailed = false;
    if (sync) {
        QObject::connect(sync, &ClassSync::statusChanged, &alive, [this](const ClassSync::Status &status) {
            // The server is back: what it has now comes over.
            if (serverCopyFailed && status.problem.isEmpty())
                fetchServerCopy();
            if (isLoaded())
                refreshSoon.start();
        });
        QObject::connect(sync, &ClassSync::fetched, &alive,
                         [this](const QString &lessonId, bool ok) { serverCopyFetched(lessonId, ok); });
    }
    if (isLoaded()) {
        fetchServerCopy();
        refresh();
    }
}

RecordData::Scope ProgressWindow::scope() const
{
    return sync && allComputers ? RecordData::Scope::AllComputers : RecordData::Scope::ThisComputer;
}

void ProgressWindow::chooseComputers(bool all)
{
    allComputers = all;
    programSettings().setValue(AllComputersKey, all);
    fetchServerCopy();
    refresh();
}

// Asked of the class sync's thread: the window goes on meanwhile with what was fetched before.
void ProgressWindow::fetchServerCopy()
{
    if (sync && allComputers)
        sync->fetchMine(lesson.lesson().id);
}

void ProgressWindow::serverCopyFetched(const QString &lessonId, bool ok)
{
    if (lessonId != lesson.lesson().id)
        return;
    serverCopyFailed = !ok;
    if (isLoaded())
        refresh();
}

// Hidden without a class server, so that it takes no room. It follows the record:
// what waits for the server is counted with the figures. While the server's rows
// cannot be fetched, it also says what All my computers shows instead.
void ProgressWindow::showClassLine(int answersWaiting, int runsWaiting)
{
    QStringList sentences;
    if (sync)
        sentences << sync->status().sentence(answersWaiting, runsWaiting);
    if (sync && allComputers && serverCopyFailed) {
        sentences << (serverCopyTime.isValid()
                          ? QStringLiteral("All my computers shows what the class server had on %1, when it was last "
                                           "reached.").arg(QLocale().toString(serverCopyTime.toLocalTime(), QLocale::ShortFormat))
                          : QStringLiteral("All my computers shows this computer's answers only: the class server has "
                                           "not been reached yet."));
    }
    const QString text = sentences.join(u' ');
    ui->computers->setVisible(!sync.isNull());
    if (text == ui->classLine->text() && ui->classLine->isVisibleTo(window()) == !text.isEmpty())
        return;
    ui->classLine->setText(text);
    ui->classLine->setVisible(!text.isEmpty());
    if (window()->isVisible())
        fitWrappedLines();
}

void ProgressWindow::Form_Load()
{
    fetchServerCopy();
    refresh();
    // Laid out once for the label's width, then again for its height at that width.
    window()->adjustSize();
    window()->layout()->activate();
    fitWrappedLines();
    window()->adjustSize();
    followReadingOrder(*window());
    CentreForm(window());
    // The exercise windows stay on top; the window opened from them must show above them.
    SetTopmost(window(), true);
}

void ProgressWindow::Form_Unload()
{
    refreshSoon.stop();
    classWindow.Unload();
    classReport.Unload();
}

void ProgressWindow::refresh()
{
    if (!isLoaded())
        return;
    if (asking) {
        askAgain = true;
        return;
    }
    asking = true;
    askAgain = false;
    RecordData::FiguresQuestion question{lesson.lesson().id, exerciseIds(), today(), Days, scope(),
                                         sync ? sync->serverKey() : QString()};
    whenDone(record.figures(question), &alive, [this](const RecordData::Figures &figures) {
        asking = false;
        // Shown even when the record changed meanwhile (answers may come faster than figures),
        // then asked again.
        fill(figures);
        if (askAgain)
            refresh();
    });
    const QString lessonId = lesson.lesson().id;
    whenDone(record.reviewFigures(lessonId, reviewRetention()), &alive, [this](const RecordData::ReviewFigures &own) {
        whenDone(record.reviewFigures({}, reviewRetention()), &alive,
                 [this, own](const RecordData::ReviewFigures &all) { fillReview(own, all); });
    });
}

void ProgressWindow::fillReview(const RecordData::ReviewFigures &lessonFigures, const RecordData::ReviewFigures &all)
{
    if (!isLoaded())
        return;
    const bool failed = lessonFigures.failure != RecordData::ReadFailure::None || all.failure != RecordData::ReadFailure::None;
    const QString said = failed ? tr("What is due for review cannot be shown: your progress could not be read.")
                                : reviewSummary(lessonFigures, all);
    if (said != ui->review->text()) {
        ui->review->setText(said);
        if (window()->isVisible())
            fitWrappedLines();
    }
    readAgainSoon(lessonFigures.failure == RecordData::ReadFailure::Busy ? lessonFigures.failure : all.failure);
    forecast = failed ? std::vector<int>() : all.forecast;
    if (ui->chartChoice->currentIndex() == ui->chartChoice->count() - 1)
        showForecast();
}

void ProgressWindow::showForecast()
{
    const ShareChart::ShowCounts show = chartModule().showCounts;
    if (!show || forecast.empty())
        return;
    const QDate today = QDate::currentDate();
    const int days = int(forecast.size());
    const QString title = tr("Items falling due per day, all lessons, the next %1 days").arg(days);
    show(ui->chart, title, forecast.data(), days, QDateTime(today, QTime(12, 0), Qt::UTC).toMSecsSinceEpoch());
    ui->chart->setAccessibleName(title);
    const int all = std::accumulate(forecast.begin(), forecast.end(), 0);
    ui->chart->setAccessibleDescription(forecast.front() == 1
                                            ? tr("1 item falls due today, %1 in the next %2 days").arg(all).arg(days)
                                            : tr("%1 items fall due today, %2 in the next %3 days")
                                                  .arg(forecast.front()).arg(all).arg(days));
}

void ProgressWindow::fill(const RecordData::Figures &figures)
{
    // Figures of a lesson the window no longer shows (another opened meanwhile) are not its own.
    if (!isLoaded() || figures.question.lesson != lesson.lesson().id ||
        figures.question.exercises.size() != qsizetype(ui->rows.size()))
        return;
    showProblem(problemSentence(figures.failure));
    if (figures.failure != RecordData::ReadFailure::None) {
        clearFigures();
        readAgainSoon(figures.failure);
        return;
    }
    serverCopyTime = figures.serverCopyTime;
    showClassLine(figures.answersWaiting, figures.runsWaiting);
    shown = figures.summaries;
    for (int place = 0; place < int(shown.size()); ++place)
        fillExercise(place, figures.mistakes[std::size_t(place)]);

    ui->missed->setRowCount(int(figures.missed.size()));
    for (int row = 0; row < int(figures.missed.size()); ++row) {
        const RecordData::Missed &item = figures.missed[std::size_t(row)];
        const QStringList cells{item.exercise, item.item, item.expected, QString::number(item.misses)};
        for (int column = 0; column < cells.size(); ++column)
            ui->missed->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    showChart(ui->chartChoice->currentIndex());
}

QString ProgressWindow::problemSentence(RecordData::ReadFailure failure) const
{
    QStringList said;
    if (const QString status = record.status().problem; !status.isEmpty())
        said << status;
    switch (failure) {
    case RecordData::ReadFailure::None:
        break;
    case RecordData::ReadFailure::NotOpen:
        // The record's own sentence says why it cannot be opened.
        if (said.isEmpty())
            said << tr("Your progress cannot be shown: the file %1 cannot be opened.").arg(record.path());
        break;
    case RecordData::ReadFailure::Busy:
        said << tr("Your progress cannot be shown just now: another copy of Bimbala is using %1. It is read again in a "
                   "moment.").arg(record.path());
        break;
    case RecordData::ReadFailure::Failed:
        said << tr("Your progress cannot be shown: reading %1 failed, and the file is left as it is.").arg(record.path());
        break;
    }
    return said.join(u' ');
}

void ProgressWindow::showProblem(const QString &problem)
{
    if (problem == ui->problem->text())
        return;
    ui->problem->setText(problem);
    ui->problem->setVisible(!problem.isEmpty());
    if (window()->isVisible())
        fitWrappedLines();
}

void ProgressWindow::clearFigures()
{
    shown.clear();
    for (const Widgets::ExerciseRow &row : ui->rows) {
        for (QLabel *cell : {row.runs, row.last, row.share})
            cell->clear();
        if (row.practise) {
            row.practise->setEnabled(false);
            row.practise->setToolTip({});
        }
    }
    ui->missed->setRowCount(0);
}

void ProgressWindow::readAgainSoon(RecordData::ReadFailure failure)
{
    if (failure != RecordData::ReadFailure::Busy || readAgainAsked)
        return;
    readAgainAsked = true;
    QTimer::singleShot(1000, &alive, [this] {
        readAgainAsked = false;
        refresh();
    });
}

void ProgressWindow::fitWrappedLines()
{
    PlainControls::fitSentences(*window(), {ui->problem, ui->classLine, ui->review});
}

QStringList ProgressWindow::exerciseIds()
{
    QStringList ids;
    for (const LessonModel::Exercise &exercise : lesson.lesson().exercises)
        ids << exercise.id;
    return ids;
}

void ProgressWindow::fillExercise(int place, int mistakes)
{
    const RecordData::Summary &summary = shown[std::size_t(place)];
    const Widgets::ExerciseRow &row = ui->rows[std::size_t(place)];
    row.runs->setText(QStringLiteral("%1 / %2").arg(summary.basicRuns).arg(summary.plusRuns));
    row.last->setText(shortDate(summary.lastAccomplished));
    row.share->setText(percent(summary.rightAtFirstTry, summary.firstTries));
    if (!row.practise)
        return;
    const QString code = summary.exercise;
    row.practise->setEnabled(mistakes > 0);
    row.practise->setToolTip(
        mistakes == 0 ? QStringLiteral("No mistakes of exercise %1 are waiting to be practised.").arg(code)
                      : QStringLiteral("%1 items of exercise %2 to practise again.").arg(mistakes).arg(code));
}

void ProgressWindow::practiseClicked(Exercise exercise)
{
    const QString code = lesson.exercise(exercise.place).id;
    whenDone(record.mistakes(lesson.lesson().id, code, scope()), &alive, [this, exercise, code](const RecordData::Mistakes &items) {
        if (items.failure != RecordData::ReadFailure::None) {
            if (isLoaded())
                showMessage(feedback,
                            items.failure == RecordData::ReadFailure::Busy
                                ? tr("Your mistakes of exercise %1 cannot be read just now: another copy of Bimbala is "
                                     "using %2. Try again in a moment.").arg(code, record.path())
                                : tr("Your mistakes of exercise %1 cannot be read: reading %2 failed.").arg(code, record.path()),
                            Feedback::Exclamation, tr("Practise my mistakes"));
            return;
        }
        // Nothing left after all (practised meanwhile in another copy): the button says so.
        if (items.isEmpty())
            refresh();
        else if (practise)
            practise(exercise, items);
    });
}

void ProgressWindow::showChart(int row)
{
    // The last choice is the forecast, after the exercises.
    if (row == ui->chartChoice->count() - 1) {
        showForecast();
        return;
    }
    if (row < 0 || row >= int(shown.size()))
        return;
    const RecordData::Summary &summary = shown[std::size_t(row)];
    const QString title = QStringLiteral("Exercise %1: right at the first try, per day").arg(summary.exercise);
    std::vector<ShareChart::Point> points;
    for (const RecordData::DayShare &day : summary.days) {
        if (day.firstTries > 0)
            points.push_back({QDateTime(day.day, QTime(12, 0), Qt::UTC).toMSecsSinceEpoch(),
                              100.0 * day.rightAtFirstTry / day.firstTries});
    }
    const ShareChart::Show show = chartModule().show;
    // Without the module the label in its place says why, in its own words.
    if (!show)
        return;
    show(ui->chart, title, points.data(), int(points.size()),
         QDateTime(summary.days.front().day, QTime(0, 0), Qt::UTC).toMSecsSinceEpoch(),
         QDateTime(summary.days.back().day, QTime(23, 59), Qt::UTC).toMSecsSinceEpoch(), 100, QStringLiteral("%d %%"));
    ui->chart->setAccessibleName(title);
    ui->chart->setAccessibleDescription(
        QStringLiteral("%1 first tries in the last %2 days, %3 right")
            .arg(summary.firstTries)
            .arg(Days)
            .arg(percent(summary.rightAtFirstTry, summary.firstTries)));
}

void ProgressWindow::exportClicked()
{
    if (exportProgress)
        return;
    const QString file = askCsvFile(feedback, QStringLiteral("Export your answers"), QStringLiteral("bimbala-progress.csv"));
    if (file.isEmpty())
        return;
    auto progress = std::make_shared<RecordExport::Progress>();
    exportProgress = progress;
    auto *dialog = new QProgressDialog(tr("Writing your answers to %1...").arg(file), tr("Cancel"), 0, 0, window());
    dialog->setObjectName(QStringLiteral("exporting"));
    dialog->setWindowTitle(tr("Export"));
    // Nothing else of the program is used meanwhile: another lesson opened now would
    // rebuild this window under its own export.
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    // Its bar is moved directly: the dialog's own setValue would run the event loop from the timer below.
    auto *bar = new QProgressBar(dialog);
    bar->setRange(0, 0);
    dialog->setBar(bar);
    // Cancel, Escape or the close box.
    QObject::connect(dialog, &QProgressDialog::canceled, dialog, [progress] { progress->cancel = true; });
    QObject::connect(dialog, &QDialog::rejected, dialog, [progress] { progress->cancel = true; });
    whenDone(record.answerCount(), dialog, [bar](qint64 count) { bar->setMaximum(int(std::min<qint64>(count, INT_MAX))); });
    auto *tick = new QTimer(dialog);
    QObject::connect(tick, &QTimer::timeout, dialog, [bar, progress] {
        if (bar->maximum() > 0)
            bar->setValue(int(std::min<qint64>(progress->written, bar->maximum())));
    });
    tick->start(100);
    // A short export ends before the dialog would be worth showing; shown, not run (no exec).
    QTimer::singleShot(300, dialog, [dialog] { dialog->show(); });
    // The window is not unloaded or rebuilt under its export: that waits for the end.
    std::shared_ptr<void> held = holdModal();
    whenDone(record.exportCsv(file, progress), &alive,
             [this, file, held, dialog = QPointer<QProgressDialog>(dialog)](const RecordData::Exported &exported) mutable {
                 delete dialog.data();
                 exportProgress.reset();
                 held.reset();
                 exportDone(file, exported);
             });
}

void ProgressWindow::exportDone(const QString &file, const RecordData::Exported &exported)
{
    using Result = RecordData::Exported::Result;
    if (exported.result == Result::Cancelled || !isLoaded())
        return;
    const QString said = exported.result == Result::Written
                             ? tr("Your answers were written to %1.").arg(file)
                         : exported.result == Result::RecordUnreadable
                             ? tr("Your answers could not be read from your progress record (%1).")
                                   .arg(exported.why.endsWith(u'.') ? exported.why.chopped(1) : exported.why)
                             : tr("Your answers could not be written to %1 (%2).").arg(file, exported.why);
    if (exported.result != Result::Written)
        qCWarning(logRecord).noquote() << said;
    showMessage(feedback, said, exported.result == Result::Written ? Feedback::Information : Feedback::Exclamation,
                tr("Export"));
}

void ProgressWindow::forgetClicked()
{
    bool sure = false;
    QString question = QStringLiteral("Forget every answer and run recorded so far? This cannot be undone.");
    // The class server's record is append-only: what reached it stays there.
    if (sync)
        question += QStringLiteral(" This forgets this computer's record only: the class server keeps what was sent "
                                   "to it, and only your teacher can have it removed.");
    runModal([&] { sure = feedback.confirm(window(), question, QStringLiteral("Forget my progress")); });
    if (!sure || !isLoaded())
        return;
    whenDone(record.forget(), &alive, [this](const QString &notDone) {
        if (!isLoaded())
            return;
        refresh();
        if (!notDone.isEmpty())
            showMessage(feedback, notDone, Feedback::Exclamation, QStringLiteral("Forget my progress"));
    });
}
