#include "ReviewWindow.h"

#include "common/Module1.h"
#include "common/Module2.h"
#include "common/PlainControls.h"
#include "common/Topmost.h"
#include "ReviewPlan.h"
#include "exercises/frame/AnswerBox.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

ReviewWindow::ReviewWindow(Feedback &feedback, const Module1 &shared)
    : Form(QStringLiteral("review")), feedback(feedback), shared(shared)
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
    ui->retention->setValue(int(reviewRetention() * 100 + 0.5));
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
    QObject::connect(ui->retention, &QSpinBox::valueChanged, client, [](int percent) { setReviewRetention(percent); });
    window.resize(640, window.sizeHint().height());
}

void ReviewWindow::begin(std::vector<ReviewPrompt> asked, const QString &why)
{
    prompts = std::move(asked);
    leftOut = why;
    current = 0;
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
    retry = shown = false;
    const bool asking = current < int(prompts.size());
    const ReviewPrompt none;
    const ReviewPrompt &prompt = asking ? prompts[std::size_t(current)] : none;
    ui->heading->setText(asking ? prompt.heading : QStringLiteral("Nothing more is due for review now."));
    ui->cue->setText(prompt.cue);
    ui->before->setText(prompt.before);
    ui->answer->setText(prompt.offer);
    ui->after->setText(prompt.after);
    ui->answer->setEnabled(asking);
    ui->next->setEnabled(asking);
    ui->solution->setEnabled(asking);
    QStringList said;
    if (asking)
        said << QStringLiteral("Item %1 of %2.").arg(current + 1).arg(prompts.size());
    else if (!prompts.empty())
        said << QStringLiteral("You reviewed %1 items.").arg(prompts.size());
    if (!leftOut.isEmpty())
        said << leftOut;
    ui->said->setText(said.join(u' '));
    PlainControls::fitSentences(*window(), {ui->heading, ui->cue, ui->said});
    if (asking)
        ui->answer->setFocus();
}

void ReviewWindow::nextClicked()
{
    if (current >= int(prompts.size()))
        return;
    const ReviewPrompt &prompt = prompts[std::size_t(current)];
    const QString typed = ui->answer->text();
    const bool right = prompt.isRight(typed);
    if (judged)
        judged(prompt, {prompt.exercise, prompt.item, prompt.answers.first(), typed, right, shown, retry});
    if (!right) {
        retry = true;
        feedback.beep();
        showMessage(feedback, shared.MsgWrong, Feedback::Exclamation, shared.Title);
        ui->answer->setFocus();
        return;
    }
    ++current;
    showPrompt();
}

void ReviewWindow::solutionClicked()
{
    shown = true;
    showMessage(feedback, shared.MsgSolution + QLatin1Char(' ') + prompts[std::size_t(current)].answers.first(),
                Feedback::Information, shared.Title);
    ui->answer->setFocus();
}
