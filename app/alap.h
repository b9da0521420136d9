#pragma once

#include "common/Form.h"
#include "common/Services.h"
#include "MenuActions.h"

#include <QCoreApplication>

#include <memory>

class LessonSource;
class QAction;
class QMenu;
class QPushButton;

// The main menu: eight exercise buttons with their descriptions, End and Help.
class alap final : public Form
{
    Q_DECLARE_TR_FUNCTIONS(alap)

public:
    alap(Services services, MenuActions &program);

    void focusEndButton();
    // The Review entry's caption: what is due, or when the next item is.
    void setReviewCaption(const QString &caption);

private:
    void build(FormWidget &window) override;
    void Form_Load() override;
    void closeRequested() override;
    void releaseControls() override { ui.reset(); }
    void mnuHow_Click();
    void buildLessonMenu(QMenu &menu);
    QAction *addLessonAction(QMenu &menu, const QString &text, const QString &file, const QString &name);
    void mnuOpenLesson_Click();

    Module1 &shared;
    Feedback &feedback;
    LessonSource &lessons;
    MenuActions &program;
    // The controls used after build, from build to unload.
    struct Widgets
    {
        QPushButton *Command1 = nullptr; // End
        QAction *mnuReview = nullptr;
    };
    QString reviewCaption = QStringLiteral("Review");
    std::unique_ptr<Widgets> ui;
};
