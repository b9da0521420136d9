#include "alap.h"

#include "lesson/LessonHistory.h"
#include "lesson/LessonSource.h"

#include "hatter.h"
#include "sobre.h"
#include "common/Controls.h"
#include "common/DesignFont.h"
#include "common/Feedback.h"
#include "common/Module1.h"
#include "common/Module2.h"
#include "common/Pictures.h"
#include "common/Topmost.h"
#include "common/Twips.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include <algorithm>
#include <array>

namespace {

// The designer's names of the menu's buttons and of the descriptions beside them, row by row;
// a lesson of more exercises names the rest by number.
struct MenuRow
{
    const char *button;
    const char *label;
};
const std::array<MenuRow, 8> designedRows{{
    {"AniButton1", "Label1"},
    {"AniPushButton1", "Label3"},
    {"AniButton4", "Label4"},
    {"AniButton3", "Label2"},
    {"AniPushButton3", "Label6"},
    {"AniPushButton2", "Label5"},
    {"AniPushButton4", "Label7"},
    {"AniPushButton5", "Label8"},
}};

// Eight rows fit a column; a lesson of more exercises gets a second column beside the first.
const int RowsPerColumn = 8;
const int RowStep = 600;
const int FirstRowTop = 1200;
const int ColumnStep = 5625;
const int ClientWidth = 5985;

// The names of the button and the description in a row of the menu.
std::pair<QString, QString> rowNames(int place)
{
    if (place < int(designedRows.size()))
        return {QString::fromLatin1(designedRows[std::size_t(place)].button),
                QString::fromLatin1(designedRows[std::size_t(place)].label)};
    return {QStringLiteral("MenuButton%1").arg(place + 1), QStringLiteral("MenuLabel%1").arg(place + 1)};
}

// Names the keys the answer boxes really translate.
QString howToText(const QString &newLine)
{
    const QString indent(20, u' ');
    const QStringList lines{
        QStringLiteral("You can type the special Hungarian characters (á, é etc.) on an English keyboard this way: "),
        indent + QStringLiteral("á  = '"),
        indent + QStringLiteral("é = ;"),
        indent + QStringLiteral("í = `"),
        indent + QStringLiteral("ó = ="),
        indent + QStringLiteral("ö = 0"),
        indent + QStringLiteral("ő = [ "),
        indent + QStringLiteral("ú = ] "),
        indent + QStringLiteral("ü = - "),
        indent + QStringLiteral("ű = \\ "),
    };
    return lines.join(newLine);
}

} // namespace

alap::alap(Services services, MenuActions &program)
    : Form(QStringLiteral("alap")), shared(services.shared), feedback(services.feedback), lessons(services.lesson),
      program(program)
{
}

void alap::build(FormWidget &window)
{
    ui = std::make_unique<Widgets>();
    buildLessonMenu(*window.menuBar()->addMenu(QStringLiteral("&Lesson")));
    ui->mnuReview = window.menuBar()->addAction(QLatin1Char('&') + reviewCaption);
    ui->mnuReview->setObjectName(QStringLiteral("mnuReview"));
    QObject::connect(ui->mnuReview, &QAction::triggered, &window, [this] { program.openReview(); });
    QMenu *help = window.menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction *about = help->addAction(QStringLiteral("&About..."));
    about->setObjectName(QStringLiteral("mnuAbout"));
    QObject::connect(about, &QAction::triggered, &window, [this] { program.showAbout(); });
    QAction *how = help->addAction(QStringLiteral("&How to ..."));
    how->setObjectName(QStringLiteral("mnuHow"));
    QObject::connect(how, &QAction::triggered, &window, [this] { mnuHow_Click(); });
    QAction *progress = help->addAction(QStringLiteral("&Progress..."));
    progress->setObjectName(QStringLiteral("mnuProgress"));
    QObject::connect(progress, &QAction::triggered, &window, [this] { program.showProgress(); });

    const std::vector<LessonModel::Exercise> &exercises = lessons.lesson().exercises;
    const int count = int(exercises.size());
    const int columns = (count + RowsPerColumn - 1) / RowsPerColumn;
    const int rowsShown = std::min(count, RowsPerColumn);
    const int endTop = FirstRowTop + RowStep * rowsShown + 240;
    const int extraWidth = (columns - 1) * ColumnStep;
    auto *client = new QWidget(&window);
    client->setFixedSize(Twips::size(ClientWidth + extraWidth, endTop + 675));
    Colour::setBackColor(client, 0xC0C0C0);
    window.setCentralWidget(client);

    QLabel *panel = Controls::label(*client, QStringLiteral("Panel3D1"), QStringLiteral("Choose an exercise and click the icon"),
                                    {360, 240, 5295 + extraWidth, 750}, DesignFont(QStringLiteral("Times New Roman"), 14.25, true),
                                    0xC0C0C0, 0x808000);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);

    const QFont buttonFont = DesignFont(QStringLiteral("MS Sans Serif"), 13.5, true);
    const QFont labelFont = DesignFont(QStringLiteral("MS Serif"), 9.75, true);
    const qreal ratio = client->devicePixelRatioF();
    const QIcon ownPicture = Pictures::icon(QStringLiteral(":/resources/exercise-button.svg"), {24}, ratio);
    for (int place = 0; place < count; ++place) {
        const auto [buttonName, labelName] = rowNames(place);
        const Exercise exercise{place};
        // The lesson's own wording, odd hyphens and blanks included.
        const LessonModel::Exercise &lesson = exercises[std::size_t(place)];
        const int left = (place / RowsPerColumn) * ColumnStep;
        const int top = FirstRowTop + RowStep * (place % RowsPerColumn);
        QPushButton *button =
            Controls::button(*client, buttonName, lesson.caption, {left + 360, top, 1215, 510}, buttonFont);
        button->setIcon(lesson.menuPicture.isEmpty() ? ownPicture : QIcon(Pictures::pixmap(lesson.menuPicture, {24, 24}, ratio)));
        button->setIconSize({24, 24});
        Colour::setBackColor(button, 0xE0E0E0);
        QObject::connect(button, &QPushButton::clicked, &window, [this, exercise] { program.openFromMainMenu(exercise); });
        Controls::label(*client, labelName, lesson.description,
                        {left + 1680, top + 120, 4200, lesson.menuLabelHeight}, labelFont, 0xC0C0C0, Colour::Black);
    }

    ui->Command1 = Controls::button(*client, QStringLiteral("Command1"), QStringLiteral("&End"),
                                    {2280 + extraWidth / 2, endTop, 1215, 495},
                                    DesignFont(QStringLiteral("MS Sans Serif"), 12, true));
    QObject::connect(ui->Command1, &QPushButton::clicked, &window, [this] { program.end(); });
    window.setFixedSize(window.sizeHint());
}

// Filled whenever it opens, so the recent lessons are as they are now.
void alap::buildLessonMenu(QMenu &menu)
{
    menu.setObjectName(QStringLiteral("mnuLesson"));
    // A recent lesson's tool tip says where its file is.
    menu.setToolTipsVisible(true);
    QObject::connect(&menu, &QMenu::aboutToShow, &menu, [this, &menu] {
        menu.clear();
        QAction *open = menu.addAction(QStringLiteral("&Open lesson..."));
        open->setObjectName(QStringLiteral("mnuOpenLesson"));
        QObject::connect(open, &QAction::triggered, &menu, [this] { mnuOpenLesson_Click(); });
        QAction *fresh = menu.addAction(tr("&New lesson..."));
        fresh->setObjectName(QStringLiteral("mnuNewLesson"));
        QObject::connect(fresh, &QAction::triggered, &menu, [this] { program.editLesson(true); });
        QAction *edit = menu.addAction(tr("&Edit this lesson..."));
        edit->setObjectName(QStringLiteral("mnuEditLesson"));
        QObject::connect(edit, &QAction::triggered, &menu, [this] { program.editLesson(false); });
        const QStringList recent = program.lessonHistory().recent();
        if (!recent.isEmpty())
            menu.addSeparator();
        // By title, as the learner knows a lesson; its file in the tool tip. A lesson
        // remembered from before titles were kept goes by its file's name.
        for (int i = 0; i < recent.size(); ++i) {
            QString title = program.lessonHistory().title(recent[i]);
            if (title.isEmpty())
                title = QFileInfo(recent[i]).fileName();
            // An & of the title is a letter, not an access key.
            title.replace(u'&', QStringLiteral("&&"));
            // A lesson whose file was not found stays, marked, and is looked for again when chosen.
            const bool missing = program.lessonHistory().isMissing(recent[i]);
            QAction *action = addLessonAction(
                menu, missing ? tr("&%1 %2 (not found)").arg(i + 1).arg(title) : QStringLiteral("&%1 %2").arg(i + 1).arg(title),
                recent[i], QStringLiteral("mnuRecentLesson%1").arg(i + 1));
            if (missing)
                action->setToolTip(tr("%1 was not found; choose it to look for it again.").arg(recent[i]));
        }
        menu.addSeparator();
        addLessonAction(menu, QStringLiteral("Lesson 7 (built in)"), LessonSource::BuiltIn,
                        QStringLiteral("mnuBuiltInLesson"));
    });
}

QAction *alap::addLessonAction(QMenu &menu, const QString &text, const QString &file, const QString &name)
{
    QAction *action = menu.addAction(text);
    action->setObjectName(name);
    action->setStatusTip(file);
    action->setToolTip(file);
    // The lesson being played carries the check mark.
    action->setCheckable(true);
    action->setChecked(QFileInfo(file).absoluteFilePath() == QFileInfo(lessons.file()).absoluteFilePath());
    QObject::connect(action, &QAction::triggered, &menu, [this, file] { program.openLesson(file); });
    return action;
}

void alap::mnuOpenLesson_Click()
{
    const QString played = lessons.file();
    const QString folder = played == LessonSource::BuiltIn ? QDir::homePath() : QFileInfo(played).absolutePath();
    QString file;
    runModal([&] {
        file = feedback.openFileName(window(), QStringLiteral("Open lesson"), folder,
                                     QStringLiteral("Lesson files (*.yaml *.yml);;All files (*)"));
    });
    if (!file.isEmpty())
        program.openLesson(file);
}

void alap::Form_Load()
{
    program.showBackground();
    CentreForm(window());
    SetTopmost(window(), true);
    shared.SetLessonTitle(window(), lessons.lesson().title);
}

void alap::closeRequested()
{
    program.end();
}

void alap::focusEndButton()
{
    if (ui)
        ui->Command1->setFocus();
}

void alap::setReviewCaption(const QString &caption)
{
    reviewCaption = caption;
    if (ui)
        ui->mnuReview->setText(QLatin1Char('&') + caption);
}

void alap::mnuHow_Click()
{
    showMessage(feedback, howToText(shared.NewLine), Feedback::Information, QStringLiteral("How to ..."));
}
