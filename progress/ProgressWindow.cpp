#include "ProgressWindow.h"

#include "chart/ShareChart.h"

#include "common/Feedback.h"
#include "common/Module2.h"
#include "common/Topmost.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLibrary>
#include <QLocale>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The drills whose mistakes can be practised, each in its window.
const QList<Exercise> Practisable{Exercise::Ex1a, Exercise::Ex1b, Exercise::Ex1c,
                                  Exercise::Ex2,  Exercise::Ex4,  Exercise::Ex5};

QLabel *plainLabel(const QString &text, QWidget *parent = nullptr)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString percent(int part, int whole)
{
    return whole == 0 ? QStringLiteral("–") : QStringLiteral("%1 %").arg(qRound(100.0 * part / whole));
}

QString shortDate(const QDateTime &when)
{
    return when.isValid() ? QLocale().toString(when.toLocalTime().date(), QLocale::ShortFormat) : QStringLiteral("never");
}

// The chart module, loaded when the window first needs it: beside the program
// while it is being built, in the library folder once installed.
struct ChartModule
{
    ShareChart::Make make = nullptr;
    ShareChart::Show show = nullptr;
    QString missing;
};

const ChartModule &chartModule()
{
    static const ChartModule module = [] {
        ChartModule found;
        const QString program = QCoreApplication::applicationDirPath();
        for (const QString &folder : {program, QStringLiteral(BIMBALA_BUILD_DIR),
                                      program + QStringLiteral("/" BIMBALA_MODULE_DIR_FROM_PROGRAM)}) {
            QLibrary library(folder + QStringLiteral("/bimbala-chart"));
            if (!library.load())
                continue;
            found.make = reinterpret_cast<ShareChart::Make>(library.resolve(ShareChart::MakeName));
            found.show = reinterpret_cast<ShareChart::Show>(library.resolve(ShareChart::ShowName));
            if (found.make && found.show)
                return found;
            found = {};
        }
        found.missing = QStringLiteral("The chart cannot be shown: the module bimbala-chart was not found.");
        return found;
    }();
    return module;
}

} // namespace

ProgressWindow::ProgressWindow(ProgressStore &store, Feedback &feedback)
    : Form(QStringLiteral("progress")), store(store), feedback(feedback)
{
}

void ProgressWindow::build(FormWidget &window)
{
    ui = std::make_unique<Widgets>();
    window.setWindowTitle(QStringLiteral("  Bimbala!   ---   Your progress"));
    auto *client = new QWidget(&window);
    window.setCentralWidget(client);
    auto *layout = new QVBoxLayout(client);

    ui->problem = plainLabel({}, client);
    ui->problem->setObjectName(QStringLiteral("problem"));
    ui->problem->setWordWrap(true);
    ui->problem->setStyleSheet(QStringLiteral("color: #8b0000; font-weight: bold"));
    layout->addWidget(ui->problem);

    ui->exerciseBox = new QGroupBox(QStringLiteral("Exercises of lesson 7"), client);
    new QVBoxLayout(ui->exerciseBox);
    layout->addWidget(ui->exerciseBox);

    auto *chartRow = new QHBoxLayout;
    QLabel *chartLabel = plainLabel(QStringLiteral("&Chart of exercise:"), client);
    ui->chartChoice = new QComboBox(client);
    ui->chartChoice->setObjectName(QStringLiteral("chartChoice"));
    for (Exercise exercise : AllExercises)
        ui->chartChoice->addItem(exerciseCode(exercise));
    chartLabel->setBuddy(ui->chartChoice);
    chartRow->addWidget(chartLabel);
    chartRow->addWidget(ui->chartChoice);
    chartRow->addStretch();
    layout->addLayout(chartRow);
    const ChartModule &module = chartModule();
    ui->chart = module.make ? module.make(client) : plainLabel(module.missing, client);
    ui->chart->setObjectName(QStringLiteral("chart"));
    ui->chart->setMinimumHeight(180);
    // The view takes the focus, named after its chart, so a screen reader reads the figures.
    for (QWidget *inner : ui->chart->findChildren<QWidget *>())
        inner->setFocusPolicy(Qt::NoFocus);
    ui->chart->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(ui->chart);
    QObject::connect(ui->chartChoice, &QComboBox::currentIndexChanged, client, [this](int row) { showChart(row); });

    layout->addWidget(plainLabel(QStringLiteral("The items missed most often:"), client));
    ui->missed = new QTableWidget(0, 4, client);
    ui->missed->setObjectName(QStringLiteral("missed"));
    ui->missed->setAccessibleName(QStringLiteral("Items missed most often"));
    ui->missed->setHorizontalHeaderLabels(
        {QStringLiteral("Exercise"), QStringLiteral("Item"), QStringLiteral("Right answer"), QStringLiteral("Missed")});
    ui->missed->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->missed->setTabKeyNavigation(false);
    ui->missed->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui->missed->verticalHeader()->hide();
    ui->missed->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui->missed->horizontalHeader()->setStretchLastSection(true);
    ui->missed->setMinimumHeight(140);
    layout->addWidget(ui->missed);

    auto *buttons = new QHBoxLayout;
    ui->exportButton = new QPushButton(QStringLiteral("&Export..."), client);
    ui->exportButton->setObjectName(QStringLiteral("export"));
    ui->forgetButton = new QPushButton(QStringLiteral("&Forget my progress..."), client);
    ui->forgetButton->setObjectName(QStringLiteral("forget"));
    auto *close = new QPushButton(QStringLiteral("C&lose"), client);
    close->setObjectName(QStringLiteral("close"));
    buttons->addWidget(ui->exportButton);
    buttons->addWidget(ui->forgetButton);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    QObject::connect(ui->exportButton, &QPushButton::clicked, client, [this] { exportClicked(); });
    QObject::connect(ui->forgetButton, &QPushButton::clicked, client, [this] { forgetClicked(); });
    QObject::connect(close, &QPushButton::clicked, client, [this] { Unload(); });
}

void ProgressWindow::Form_Load()
{
    fill();
    window()->adjustSize();
    window()->layout()->activate();
    followReadingOrder(*window());
    CentreForm(window());
    // The exercise windows stay on top; the window opened from them must show above them.
    SetTopmost(window(), true);
}

void ProgressWindow::fill()
{
    const QString problem = store.problem();
    ui->problem->setText(problem);
    ui->problem->setVisible(!problem.isEmpty());
    shown = store.summaries(QDateTime::currentDateTimeUtc().date(), Days);

    // Rebuilt whole, as after Forget.
    delete ui->exerciseGrid;
    ui->exerciseGrid = new QWidget(ui->exerciseBox);
    ui->exerciseBox->layout()->addWidget(ui->exerciseGrid);
    auto *grid = new QGridLayout(ui->exerciseGrid);
    const QStringList headings{QStringLiteral("Exercise"), QStringLiteral("Runs accomplished\n(basic / Plus)"),
                               QStringLiteral("Last accomplished"),
                               QStringLiteral("Right at the first try\n(last %1 days)").arg(Days)};
    for (int column = 0; column < headings.size(); ++column) {
        QLabel *heading = plainLabel(headings[column], ui->exerciseGrid);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        grid->addWidget(heading, 0, column);
    }
    for (Exercise exercise : AllExercises) {
        const ProgressStore::Summary &summary = shown[std::size_t(indexOf(exercise))];
        const int row = indexOf(exercise) + 1;
        grid->addWidget(plainLabel(summary.exercise, ui->exerciseGrid), row, 0);
        grid->addWidget(plainLabel(QStringLiteral("%1 / %2").arg(summary.basicRuns).arg(summary.plusRuns),
                                   ui->exerciseGrid),
                        row, 1);
        grid->addWidget(plainLabel(shortDate(summary.lastAccomplished), ui->exerciseGrid), row, 2);
        grid->addWidget(plainLabel(percent(summary.rightAtFirstTry, summary.firstTries), ui->exerciseGrid), row, 3);
        if (Practisable.contains(exercise))
            grid->addWidget(practiseButton(exercise), row, 4);
    }

    const std::vector<ProgressStore::Missed> missed = store.mostMissed(10);
    ui->missed->setRowCount(int(missed.size()));
    for (int row = 0; row < int(missed.size()); ++row) {
        const ProgressStore::Missed &item = missed[std::size_t(row)];
        const QStringList cells{item.exercise, item.item, item.expected, QString::number(item.misses)};
        for (int column = 0; column < cells.size(); ++column)
            ui->missed->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    showChart(ui->chartChoice->currentIndex());
}

QPushButton *ProgressWindow::practiseButton(Exercise exercise)
{
    const QString code = exerciseCode(exercise);
    auto *button = new QPushButton(QStringLiteral("Practise my mistakes"), ui->exerciseGrid);
    button->setObjectName(QStringLiteral("practise") + code);
    button->setAccessibleName(QStringLiteral("Practise my mistakes of exercise ") + code);
    const qsizetype waiting = store.mistakes(code).size();
    button->setEnabled(waiting > 0);
    button->setToolTip(waiting == 0 ? QStringLiteral("No mistakes of exercise %1 are waiting to be practised.").arg(code)
                                    : QStringLiteral("%1 items of exercise %2 to practise again.").arg(waiting).arg(code));
    QObject::connect(button, &QPushButton::clicked, button, [this, exercise, button] {
        if (practise && !practise(exercise))
            button->setEnabled(false);
    });
    return button;
}

void ProgressWindow::showChart(int row)
{
    if (row < 0 || row >= int(shown.size()))
        return;
    const ProgressStore::Summary &summary = shown[std::size_t(row)];
    const QString title = QStringLiteral("Exercise %1: right at the first try, per day").arg(summary.exercise);
    std::vector<ShareChart::Point> points;
    for (const ProgressStore::DayShare &day : summary.days) {
        if (day.firstTries > 0)
            points.push_back({QDateTime(day.day, QTime(12, 0), Qt::UTC).toMSecsSinceEpoch(),
                              100.0 * day.rightAtFirstTry / day.firstTries});
    }
    if (const ShareChart::Show show = chartModule().show)
        show(ui->chart, title, points.data(), int(points.size()),
             QDateTime(summary.days.front().day, QTime(0, 0), Qt::UTC).toMSecsSinceEpoch(),
             QDateTime(summary.days.back().day, QTime(23, 59), Qt::UTC).toMSecsSinceEpoch());
    ui->chart->setAccessibleName(title);
    ui->chart->setAccessibleDescription(
        QStringLiteral("%1 first tries in the last %2 days, %3 right")
            .arg(summary.firstTries)
            .arg(Days)
            .arg(percent(summary.rightAtFirstTry, summary.firstTries)));
}

void ProgressWindow::exportClicked()
{
    const QString suggested = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                              QStringLiteral("/bimbala-progress.csv");
    const QString file = feedback.saveFileName(window(), QStringLiteral("Export your answers"), suggested,
                                               QStringLiteral("CSV files (*.csv)"));
    if (file.isEmpty())
        return;
    // Written whole or not at all: a half-written file never replaces a good one.
    QSaveFile out(file);
    const bool written = out.open(QIODevice::WriteOnly) && store.exportCsv(out) && out.commit();
    showMessage(feedback,
                written ? QStringLiteral("Your answers were written to %1.").arg(file)
                        : QStringLiteral("Your answers could not be written to %1.").arg(file),
                written ? Feedback::Information : Feedback::Exclamation, QStringLiteral("Export"));
}

void ProgressWindow::forgetClicked()
{
    bool sure = false;
    runModal([&] {
        sure = feedback.confirm(window(),
                                QStringLiteral("Forget every answer and run recorded so far? This cannot be undone."),
                                QStringLiteral("Forget my progress"));
    });
    if (!sure || !isLoaded())
        return;
    store.forget();
    fill();
    window()->layout()->activate();
    followReadingOrder(*window());
}
