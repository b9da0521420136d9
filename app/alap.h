#pragma once

#include "common/Form.h"
#include "common/Services.h"

class Program;
class QPushButton;

// The main menu: eight exercise buttons with their descriptions, End and Help.
class alap final : public Form
{
public:
    alap(Services services, Program &program);

    void focusEndButton();

private:
    void build(FormWidget &window) override;
    void Form_Load() override;
    void closeRequested() override;
    void mnuHow_Click();

    Module1 &shared;
    Feedback &feedback;
    Program &program;
    QPushButton *Command1 = nullptr;
};
