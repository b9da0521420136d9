#include "ReviewWindow.h"

#include "common/Module1.h"
#include "common/Module2.h"
#include "common/PlainControls.h"
#include "common/Topmost.h"
#include "exercises/frame/AnswerBox.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

ReviewWindow::ReviewWindow(ReviewRun &run, Feedback &feedback, const Module1 &shared)
    : Form(QStringLiteral("review")), run(run), feedback(feedback), shared(shared)
{
}

void ReviewWindow::build(FormWidget &window)
{
    ui = std::make_unique<Widgets>();
    window.setWindowTitle(QStringLiteral("  Bimbala!   ---   Review"));
    auto *client = new QWidget(&window);
    window.setCentralWidget(client);
    auto *layout = new QVBoxLayout(client);
    ui->heading = PlainControls::sentence(QStringLiteral("heading"), client);
    QFont bold = ui->heading->font();
    bold.setBold(true);
    ui->heading->setFont(bold);
    ui->cue = PlainControls::sentence(QStringLiteral("cue"), client);
    layout->addWidget(ui->heading);
    layout->addWidget(ui->cue);

    auto *sentence = new QHBoxLayout;
    ui->before = PlainControls::label({}, client);
    ui->before->setObjectName(QStringLiteral("before"));
    ui->answer = new AnswerBox(client);
    ui->answer->setObjectName(QStringLiteral("answer"));
    ui->answer->setAccessibleName(QStringLiteral("Answer"));
    ui->answer->setMinimumWidth(200);
    ui->after = PlainControls::label({}, client);
    ui->after->setObjectName(QStringLiteral("after"));
    sentence->addWidget(ui->before);
    sentence->addWidget(ui->answer, 1);
    sentence->addWidget(ui->after);
    layout->addLayout(sentence);

    ui->said = PlainControls::sentence(QStringLiteral("said"), client);
    layout->addWidget(ui->said);

    auto *buttons = new QHBoxLayout;
    ui->next = new QPushButton(QStringLiteral("&Next"), client);
    ui->next->setObjectName(QStringLiteral("next"));
    ui->solution = new QPushButton(QStringLiteral("Sol&ution"), client);
    ui->solution->setObjectName(QStringLiteral("solution"));
    auto *close = new QPushButton(QStringLiteral("&Close"), client);
    close->setObjectName(QStringLiteral("close"));
    auto *aim = PlainControls::label(QStringLiteral("&Recall to aim for:"), client);
    ui->retention = new QSpinBox(client);
    ui->retention->setObjectName(QStringLiteral("retention"));
    ui->retention->setRange(70, 97);
    ui->retention->setSuffix(QStringLiteral(" %"));
    ui->retention->setValue(retention);
    ui->retention->setToolTip(QStringLiteral("An item falls due when the chance that you recall it falls to this. "
                                             "Higher: more reviews, less forgotten."));
    aim->setBuddy(ui->retention);
    for (QWidget *widget : std::initializer_list<QWidget *>{ui->next, ui->solution, close})
        buttons->addWidget(widget);
    buttons->addStretch();
    buttons->addWidget(aim);
    buttons->addWidget(ui->retention);
    layout->addLayout(buttons);

    QObject::connect(ui->answer, &AnswerBox::enterPressed, client, [this] { nextClicked(); });
    QObject::connect(ui->next, &QPushButton::clicked, client, [this] { nextClicked(); });
    QObject::connect(ui->solution, &QPushButton::clicked, client, [this] { solutionClicked(); });
    QObject::connect(close, &QPushButton::clicked, client, [this] { Unload(); });
    QObject::connect(ui->retention, &QSpinBox::valueChanged, client, [this](int percent) {
        retention = percent;
        if (retentionChosen)
            retentionChosen(percent);
    });
    window.resize(640, window.sizeHint().height());
}

void ReviewWindow::showRetention(int percent)
{
    retention = percent;
    if (ui) {
        const QSignalBlocker quiet(ui->retention);
        ui->retention->setValue(percent);
    }
}

void ReviewWindow::showRun()
{
    const bool wasLoaded = isLoaded();
    Show();
    if (!wasLoaded) {
        CentreForm(window());
        // The main menu stays on top; the window opened from it must show above it.
        SetTopmost(window(), true);
    }
    showPrompt();
}

void ReviewWindow::showPrompt()
{
    const bool asking = run.asking();
    const ReviewPrompt none;
    const ReviewPrompt &prompt = asking ? run.prompt() : none;
    ui->heading->setText(asking                        ? prompt.heading
                         : !run.problem().isEmpty() ? run.problem()
                                                    : tr("Nothing more is due for review now."));
    ui->cue->setText(prompt.cue);
    ui->before->setText(prompt.before);
    ui->answer->setText(prompt.offer);
    ui->after->setText(prompt.after);
    ui->answer->setEnabled(asking);
    ui->next->setEnabled(asking);
    ui->solution->setEnabled(asking);
    QStringList said;
    if (asking)
        said << tr("Item %1 of %2.").arg(run.position() + 1).arg(run.count());
    else if (run.count() == 1)
        said << tr("You reviewed 1 item.");
    else if (run.count() > 1)
        said << tr("You reviewed %1 items.").arg(run.count());
    if (!run.leftOut().isEmpty())
        said << run.leftOut();
    ui->said->setText(said.join(u' '));
    PlainControls::fitSentences(*window(), {ui->heading, ui->cue, ui->said});
    if (asking) {
        ui->answer->setFocus();
        // The caret after the word, as the drill puts it there.
        ui->answer->end(false);
    }
}

void ReviewWindow::nextClicked()
{
    if (!run.asking())
        return;
    if (run.judge(ui->answer->text()) != AnswerJudge::Verdict::Right) {
        feedback.beep();
        showMessage(feedback, shared.MsgWrong, Feedback::Exclamation, shared.Title);
        ui->answer->setFocus();
        return;
    }
    showPrompt();
}

void ReviewWindow::solutionClicked()
{
    const QString answer = run.showSolution();
    showMessage(feedback, shared.MsgSolution + QLatin1Char(' ') + answer, Feedback::Information, shared.Title);
    ui->answer->setFocus();
}
