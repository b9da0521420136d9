#include "ClassReportWindow.h"

#include "common/InBackground.h"
#include "common/Logging.h"
#include "common/PlainControls.h"
#include "common/WhenDone.h"

#include "common/Feedback.h"
#include "common/Module2.h"
#include "common/Topmost.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

// The rows under a header row, the header as the column labels.
void fillTable(QTableWidget &table, const QList<QStringList> &rows, bool firstColumnAsRowLabel)
{
    table.clear();
    const QStringList header = rows.value(0);
    const int skip = firstColumnAsRowLabel ? 1 : 0;
    table.setColumnCount(int(header.size()) - skip);
    table.setRowCount(int(rows.size()) - 1);
    table.setHorizontalHeaderLabels(header.mid(skip));
    for (int row = 1; row < rows.size(); ++row) {
        if (firstColumnAsRowLabel)
            table.setVerticalHeaderItem(row - 1, new QTableWidgetItem(rows[row].value(0)));
        for (int column = skip; column < rows[row].size(); ++column)
            table.setItem(row - 1, column - skip, new QTableWidgetItem(rows[row][column]));
    }
}

} // namespace

ClassReportWindow::ClassReportWindow(Feedback &feedback) : Form(QStringLiteral("classReport")), feedback(feedback) {}

void ClassReportWindow::showFor(const ClassServer &signedIn)
{
    teacher = signedIn;
    Show();
    refreshClicked();
}

void ClassReportWindow::build(FormWidget &window)
{
    ui = std::make_unique<Widgets>();
    window.setWindowTitle(QStringLiteral("  Bimbala!   ---   Class report"));
    auto *client = new QWidget(&window);
    window.setCentralWidget(client);
    auto *layout = new QVBoxLayout(client);

    ui->classes = PlainControls::sentence(QStringLiteral("classes"), client);
    layout->addWidget(ui->classes);
    auto *lessonRow = new QHBoxLayout;
    auto *lessonLabel = new QLabel(QStringLiteral("&Lesson:"), client);
    ui->lesson = new QComboBox(client);
    ui->lesson->setObjectName(QStringLiteral("lesson"));
    ui->lesson->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lessonLabel->setBuddy(ui->lesson);
    lessonRow->addWidget(lessonLabel);
    lessonRow->addWidget(ui->lesson);
    lessonRow->addStretch();
    layout->addLayout(lessonRow);
    layout->addWidget(PlainControls::label(ClassReport::legend(), client));
    ui->table = PlainControls::readOnlyTable(QStringLiteral("report"), QStringLiteral("Learners and exercises"), client);
    ui->table->setMinimumSize(560, 220);
    layout->addWidget(ui->table);
    layout->addWidget(PlainControls::label(QStringLiteral("The items the class missed most often (last %1 days):").arg(ClassReport::Days), client));
    ui->missed = PlainControls::readOnlyTable(QStringLiteral("missed"), QStringLiteral("Items the class missed most often"), client);
    ui->missed->verticalHeader()->hide();
    ui->missed->horizontalHeader()->setStretchLastSection(true);
    ui->missed->setMinimumHeight(140);
    layout->addWidget(ui->missed);
    ui->said = PlainControls::sentence(QStringLiteral("said"), client);
    layout->addWidget(ui->said);

    auto *buttons = new QHBoxLayout;
    ui->refresh = new QPushButton(QStringLiteral("&Refresh"), client);
    ui->refresh->setObjectName(QStringLiteral("refresh"));
    ui->exportButton = new QPushButton(QStringLiteral("&Export CSV..."), client);
    ui->exportButton->setObjectName(QStringLiteral("export"));
    auto *close = new QPushButton(QStringLiteral("&Close"), client);
    close->setObjectName(QStringLiteral("close"));
    buttons->addWidget(ui->refresh);
    buttons->addWidget(ui->exportButton);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    QObject::connect(ui->lesson, &QComboBox::currentIndexChanged, client, [this] { showLesson(); });
    QObject::connect(ui->refresh, &QPushButton::clicked, client, [this] { refreshClicked(); });
    QObject::connect(ui->exportButton, &QPushButton::clicked, client, [this] { exportClicked(); });
    QObject::connect(close, &QPushButton::clicked, client, [this] { Unload(); });
}

void ClassReportWindow::Form_Load()
{
    ui->exportButton->setEnabled(false);
    window()->resize(760, 600);
    followReadingOrder(*window());
    CentreForm(window());
    // Opened from the Class window, over the Progress window, which stays on top.
    SetTopmost(window(), true);
}

void ClassReportWindow::refreshClicked()
{
    if (reading.isRunning())
        return;
    // The lesson files are read on the thread too.
    reading = inBackground([signedIn = teacher, played = ClassReport::Lesson{playedLesson(), playedExercises()}] {
        Read result;
        result.said = result.report.read(signedIn, QStringLiteral("bimbala-class-report"), ClassReport::knownLessons(played));
        QSqlDatabase::removeDatabase(QStringLiteral("bimbala-class-report"));
        return result;
    });
    whenDone(reading, &alive, [this](Read read) {
        if (!isLoaded())
            return;
        ui->refresh->setEnabled(true);
        ui->said->setText(read.said);
        if (!read.said.isEmpty()) {
            qCWarning(logClass, "%s", qUtf8Printable(read.said));
            return;
        }
        report = std::move(read.report);
        ui->classes->setText(QStringLiteral("Teacher %1, %2 %3: %4 learners.")
                                 .arg(teacher.learner,
                                      report.classes.size() == 1 ? QStringLiteral("class") : QStringLiteral("classes"),
                                      report.classes.join(QStringLiteral(", ")))
                                 .arg(report.learners.size()));
        // The lesson chosen stays chosen; at first, the one the program plays.
        const QString chosen = ui->lesson->count() > 0 ? chosenLesson() : playedLesson();
        const QSignalBlocker quiet(ui->lesson);
        ui->lesson->clear();
        ui->lesson->addItem(QStringLiteral("All lessons"), ClassReport::AllLessons);
        for (const QString &lesson : report.lessons())
            ui->lesson->addItem(lesson, lesson);
        ui->lesson->setCurrentIndex(std::max(0, ui->lesson->findData(chosen)));
        showLesson();
    });
    ui->refresh->setEnabled(false);
    ui->said->setText(QStringLiteral("Reading the class report from %1...").arg(teacher.server));
}

QString ClassReportWindow::chosenLesson() const
{
    return ui->lesson->currentData().toString();
}

void ClassReportWindow::showLesson()
{
    const QString lesson = chosenLesson();
    fillTable(*ui->table, report.table(lesson), true);
    QList<QStringList> missed{{QStringLiteral("Exercise"), QStringLiteral("Item"), QStringLiteral("Right answer"),
                               QStringLiteral("Learners"), QStringLiteral("Misses")}};
    for (const ClassReport::Missed &item : report.mostMissed(lesson))
        missed << QStringList{lesson == ClassReport::AllLessons ? item.exercise.lesson + u' ' + item.exercise.id
                                                                : item.exercise.id,
                              item.item, item.expected, QString::number(item.learners), QString::number(item.misses)};
    fillTable(*ui->missed, missed, false);
    ui->exportButton->setEnabled(!report.learners.empty());
}

void ClassReportWindow::exportClicked()
{
    const QString file = askCsvFile(feedback, QStringLiteral("Export the class report"), QStringLiteral("bimbala-class-report.csv"));
    if (file.isEmpty())
        return;
    // Written whole or not at all.
    QSaveFile out(file);
    const bool written = out.open(QIODevice::WriteOnly) && out.write(report.csv(chosenLesson())) >= 0 && out.commit();
    showMessage(feedback,
                written ? QStringLiteral("The class report was written to %1.").arg(file)
                        : QStringLiteral("The class report could not be written to %1.").arg(file),
                written ? Feedback::Information : Feedback::Exclamation, QStringLiteral("Export"));
}
