#include "sobre.h"

#include "common/Controls.h"
#include "common/DesignFont.h"
#include "common/Feedback.h"
#include "common/Module1.h"
#include "common/Module2.h"
#include "common/Pictures.h"
#include "common/Topmost.h"
#include "common/Twips.h"
#include "lesson/LessonSource.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

const Bgr Grey = 0xC0C0C0;

QFrame *panel(QWidget &parent, const QString &name, const QRect &twips)
{
    auto *frame = new QFrame(&parent);
    Controls::place(*frame, name, twips);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(2);
    Colour::setBackColor(frame, Grey);
    return frame;
}

// Who wrote a lesson other than the built-in one, and under which licence, as the lesson says.
QString authorsOf(const LessonModel::Lesson &lesson)
{
    return lesson.authors.isEmpty() ? QStringLiteral("its authors unnamed") : lesson.authors.join(QStringLiteral(", "));
}
QString licenceOf(const LessonModel::Lesson &lesson)
{
    return lesson.licence.isEmpty() ? QStringLiteral("no licence given") : QStringLiteral("licence: ") + lesson.licence;
}

QString aboutMessage(const QString &newLine, const LessonModel::Lesson *otherLesson)
{
    const QString first = otherLesson ? QStringLiteral("     The lesson \"%1\" is by %2 (%3). Bimbala plays it as its "
                                                       "author wrote it.")
                                            .arg(otherLesson->title, authorsOf(*otherLesson), licenceOf(*otherLesson))
                                      : QStringLiteral(
        "     This program is the first (trial) version of a component of a complex multimedia software package "
        "which is being developed at the moment on the basis of Réka Fenyvesi and Ábel Kornis: Utcáról utcára "
        "(a textbook of Hungarian for foreigners, Tölgyfa Könyvműhely, Budapest, 1997-2000).");
    const QString second = QStringLiteral(
        "     This program, like the other programs of the Bimbala series, may be downloaded from "
        "https://example.org/bimbala and may be copied and passed on freely, provided that it is passed on "
        "unchanged and free of charge. It is an ordinary desktop application that needs no installation "
        "of anything else.");
    const QString third = QStringLiteral(
        "     If you have any remark or suggestion, or you just want to let us know you are using the program, "
        "please contact me:  ");
    const QString contact = QString(49, u' ') + QStringLiteral("bimbala@example.org");
    return first + newLine + newLine + second + newLine + newLine + third + newLine + contact;
}

} // namespace

sobre::sobre(Services services, ExerciseOpener &program)
    : Form(QStringLiteral("sobre")), shared(services.shared), feedback(services.feedback), lessons(services.lesson),
      program(program)
{
}

void sobre::build(FormWidget &window)
{
    ui = std::make_unique<Widgets>();
    window.setWindowTitle(QStringLiteral("  About Bimbala!"));
    auto *client = new QWidget(&window);
    client->setFixedSize(Twips::size(5445, 3405));
    Colour::setBackColor(client, Grey);
    window.setCentralWidget(client);

    QFrame *back = panel(*client, QStringLiteral("SSPanel1"), {120, 120, 5175, 3135});
    QFrame *title = panel(*back, QStringLiteral("SSPanel2"), {1200, 480, 2655, 495});
    QLabel *titleText = Controls::label(*title, QStringLiteral("SSPanel2Caption"), QStringLiteral("B I M B A L A !"),
                                        {0, 0, 2655, 495}, DesignFont(QStringLiteral("Times New Roman"), 18, true));
    titleText->setAlignment(Qt::AlignCenter);

    QLabel *subtitle = Controls::label(*back, QStringLiteral("Label5"),
                                       QStringLiteral("(Magyar mint idegen nyelv     Hungarian as a foreign language)"),
                                       {960, 960, 3375, 615}, DesignFont(QStringLiteral("Times New Roman"), 12),
                                       Grey, Colour::Black);
    subtitle->setAlignment(Qt::AlignCenter);
    ui->Label1 = Controls::label(*back, QStringLiteral("Label1"),
                                 QStringLiteral("Based on the course book Utcáról utcára"), {360, 1680, 3975, 255},
                                 DesignFont(QStringLiteral("Times New Roman"), 9, false, true), Grey, Colour::Black);
    ui->Label4 = Controls::label(*back, QStringLiteral("Label4"), QStringLiteral("Ábel Kornis\nBudapest, 2001"),
                                 {360, 2040, 1455, 615}, DesignFont(QStringLiteral("Times New Roman"), 9), Grey,
                                 Colour::Black);
    Controls::label(*back, QStringLiteral("Label6"), QStringLiteral("For more information click here:"),
                    {1920, 2760, 2775, 255}, DesignFont(QStringLiteral("Times New Roman"), 9.75, false, true), Grey,
                    Colour::Black);

    auto *more = new QToolButton(back);
    Controls::place(*more, QStringLiteral("Image2"), {4680, 2640, 360, 360});
    more->setIcon(Pictures::prerenderedIcon(QStringLiteral("click-here"), more->width(), more->devicePixelRatioF()));
    more->setIconSize(more->size());
    more->setAutoRaise(true);
    more->setCursor(Qt::PointingHandCursor);
    more->setAccessibleName(QStringLiteral("More information"));
    QObject::connect(more, &QToolButton::clicked, &window, [this] { Image2_Click(); });

    ui->Image1 = new QLabel(back);
    Controls::place(*ui->Image1, QStringLiteral("Image1"), {4560, 120, 495, 495});
    ui->Image1->setAccessibleName(QStringLiteral("Bimbala"));

    ui->Command1 = Controls::button(*client, QStringLiteral("Command1"), QStringLiteral("&OK"), {360, 2760, 855, 375},
                                DesignFont(QStringLiteral("MS Sans Serif"), 9.75, true));
    Colour::setBackColor(ui->Command1, Grey);
    ui->Command1->setDefault(true);
    QObject::connect(ui->Command1, &QPushButton::clicked, &window, [this] { Unload(); });

    ui->Timer1 = new QTimer(&window);
    ui->Timer1->setObjectName(QStringLiteral("Timer1"));
    ui->Timer1->setInterval(800);
    QObject::connect(ui->Timer1, &QTimer::timeout, &window, [this] { Timer1_Timer(); });
    ui->Timer2 = new QTimer(&window);
    ui->Timer2->setObjectName(QStringLiteral("Timer2"));
    ui->Timer2->setInterval(700);
    QObject::connect(ui->Timer2, &QTimer::timeout, &window, [this] { Timer2_Timer(); });
    ui->Timer1->start();
    ui->Timer2->start();

    window.setFixedSize(window.sizeHint());
}

void sobre::Form_Load()
{
    CentreForm(window());
    SetTopmost(window(), true);
    showFrame(1);
    showWindow();
    if (shared.AboutSeen == 0) {
        window()->setCursor(Qt::WaitCursor);
        ui->Command1->hide();
    } else {
        window()->unsetCursor();
        ui->Command1->show();
        ui->Timer1->stop();
        showLessonCredit();
        // As in any About box, Enter at once presses OK.
        ui->Command1->setFocus();
    }
}

void sobre::menuAction()
{
    Show();
    ui->Timer1->stop();
    window()->unsetCursor();
    ui->Command1->setEnabled(true);
    ui->Command1->show();
    ui->Command1->setFocus();
    showLessonCredit();
}

// The splash is the program's; from the menus, a lesson other than the built-in one
// is credited to its own authors. The splash never waits for a lesson to be read.
const LessonModel::Lesson *sobre::otherLesson() const
{
    if (ui->Timer1->isActive())
        return nullptr;
    return lessons.file() == LessonSource::BuiltIn ? nullptr : &lessons.lesson();
}

void sobre::showLessonCredit()
{
    const LessonModel::Lesson *lesson = otherLesson();
    if (!lesson)
        return;
    ui->Label1->setText(QStringLiteral("Lesson: ") + lesson->title);
    // Beside the picture, over the panel's width: the names may be long, and all are in the tool tip.
    ui->Label4->setGeometry(Twips::rect(360, 2040, 4200, 615));
    ui->Label4->setWordWrap(true);
    const QString credit = QStringLiteral("By %1\n%2").arg(authorsOf(*lesson), licenceOf(*lesson));
    ui->Label4->setText(credit);
    ui->Label4->setToolTip(credit);
}

void sobre::Form_Unload()
{
    shared.AboutSeen = 1;
}

void sobre::closeRequested()
{
    // The splash must not strand the learner: closing it early opens the main menu at once.
    if (ui->Timer1->isActive())
        Timer1_Timer();
    else
        Unload();
}

void sobre::Timer1_Timer()
{
    // A learner reading the About text during the splash keeps it: the main
    // menu comes when the text is closed.
    ui->Timer1->stop();
    whenNoModalOpen([this] {
        program.showMainMenu(false);
        Unload();
    });
}

void sobre::Timer2_Timer()
{
    showFrame(frame % 3 + 1);
}

// Each frame is scaled from its picture drawn at build time when first shown: the splash waits for the first only.
void sobre::showFrame(int number)
{
    frame = number;
    QPixmap &picture = frames[std::size_t(number - 1)];
    if (picture.isNull())
        picture = Pictures::prerendered(QStringLiteral("about-frame%1").arg(number), ui->Image1->size(),
                                        ui->Image1->devicePixelRatioF());
    ui->Image1->setPixmap(picture);
}

void sobre::Image2_Click()
{
    showMessage(feedback, aboutMessage(shared.NewLine, otherLesson()), Feedback::Information, QStringLiteral("About Bimbala!"));
}
