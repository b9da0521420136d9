#include "alap.h"

#include "lesson/LessonSource.h"

#include "Program.h"
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

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include <array>

namespace {

// The designer's names of the menu's buttons and of the descriptions beside them, row by row.
struct MenuRow
{
    const char *button;
    const char *label;
};
const std::array<MenuRow, 8> rows{{
    {"AniButton1", "Label1"},
    {"AniPushButton1", "Label3"},
    {"AniButton4", "Label4"},
    {"AniButton3", "Label2"},
    {"AniPushButton3", "Label6"},
    {"AniPushButton2", "Label5"},
    {"AniPushButton4", "Label7"},
    {"AniPushButton5", "Label8"},
}};

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

alap::alap(Services services, Program &program)
    : Form(QStringLiteral("alap")), shared(services.shared), feedback(services.feedback), lessons(services.lesson),
      program(program)
{
}

void alap::build(FormWidget &window)
{
    ui = std::make_unique<Widgets>();
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

    auto *client = new QWidget(&window);
    client->setFixedSize(Twips::size(5985, 6915));
    Colour::setBackColor(client, 0xC0C0C0);
    window.setCentralWidget(client);

    QLabel *panel = Controls::label(*client, QStringLiteral("Panel3D1"), QStringLiteral("Choose an exercise and click the icon"),
                                    {360, 240, 5295, 750}, DesignFont(QStringLiteral("Times New Roman"), 14.25, true),
                                    0xC0C0C0, 0x808000);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);

    const QFont buttonFont = DesignFont(QStringLiteral("MS Sans Serif"), 13.5, true);
    const QFont labelFont = DesignFont(QStringLiteral("MS Serif"), 9.75, true);
    const QIcon picture = Pictures::icon(QStringLiteral(":/resources/exercise-button.svg"), {24}, client->devicePixelRatioF());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const MenuRow &row = rows[i];
        const Exercise exercise = AllExercises[i];
        // The lesson's own wording, odd hyphens and blanks included.
        const LessonModel::Exercise &lesson = lessons.exercise(indexOf(exercise));
        const int top = 1200 + 600 * int(i);
        QPushButton *button = Controls::button(*client, QString::fromLatin1(row.button), lesson.caption,
                                               {360, top, 1215, 510}, buttonFont);
        button->setIcon(picture);
        button->setIconSize({24, 24});
        Colour::setBackColor(button, 0xE0E0E0);
        QObject::connect(button, &QPushButton::clicked, &window, [this, exercise] { program.openFromMainMenu(exercise); });
        Controls::label(*client, QString::fromLatin1(row.label), lesson.description,
                        {1680, top + 120, 4200, lesson.menuLabelHeight}, labelFont, 0xC0C0C0, Colour::Black);
    }

    ui->Command1 = Controls::button(*client, QStringLiteral("Command1"), QStringLiteral("&End"), {2280, 6240, 1215, 495},
                                DesignFont(QStringLiteral("MS Sans Serif"), 12, true));
    QObject::connect(ui->Command1, &QPushButton::clicked, &window, [this] { program.end(); });
    window.setFixedSize(window.sizeHint());
}

void alap::Form_Load()
{
    program.background().Show();
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

void alap::mnuHow_Click()
{
    showMessage(feedback, howToText(shared.NewLine), Feedback::Information, QStringLiteral("How to ..."));
}
