#pragma once

#include "chart/ShareChart.h"

#include <QString>

class QWidget;

// The chart module (bimbala-chart), loaded when the Progress window first needs it.
struct ChartModule
{
    ShareChart::Make make = nullptr;
    ShareChart::Show show = nullptr;
    ShareChart::ShowCounts showCounts = nullptr;
    // Without a chart: why, in one sentence.
    QString missing;

    // A chart view from the module or, without one, a label saying why.
    QWidget *makeView(QWidget *parent) const;
};

// The module of the program's folder, loaded at the first call.
const ChartModule &chartModule();
