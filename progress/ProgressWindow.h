#pragma once

#include "ProgressStore.h"
#include "common/Form.h"
#include "exercises/frame/Exercise.h"

#include <functional>
#include <memory>

class Feedback;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;

// The learner's progress: per exercise the runs accomplished, the last of them,
// the share right at the first try over the last 30 days with a chart of it per
// day, the items missed most often, and ways to export, forget and practise
// the mistakes. Everything it shows of the record is plain text.
class ProgressWindow final : public Form
{
public:
    ProgressWindow(ProgressStore &store, Feedback &feedback);

    // Asked of the program: open the exercise and run its mistakes; false when
    // there were none to run after all (the record changed since the window filled).
    std::function<bool(Exercise)> practise;

    static constexpr int Days = 30;

private:
    void build(FormWidget &window) override;
    void Form_Load() override;
    void releaseControls() override { ui.reset(); }

    void fill();
    QPushButton *practiseButton(Exercise exercise);
    void showChart(int row);
    void exportClicked();
    void forgetClicked();

    ProgressStore &store;
    Feedback &feedback;
    std::vector<ProgressStore::Summary> shown;

    struct Widgets
    {
        QLabel *problem = nullptr;
        QGroupBox *exerciseBox = nullptr;
        QWidget *exerciseGrid = nullptr; // rebuilt at every fill
        QComboBox *chartChoice = nullptr;
        QWidget *chart = nullptr; // a chart view from the chart module
        QTableWidget *missed = nullptr;
        QPushButton *exportButton = nullptr;
        QPushButton *forgetButton = nullptr;
    };
    std::unique_ptr<Widgets> ui;
};
