#pragma once

#include <QtGlobal>

class QString;
class QWidget;

// The chart of the share right at the first try, per day, and of the items falling
// due per day, drawn with Qt Charts.
// It lives in a module of its own (bimbala-chart) that the Progress window loads
// when it first opens, so that the program does not load Qt Charts at start-up.
namespace ShareChart {

struct Point
{
    qint64 msecs;  // the day, as UTC milliseconds
    double value;  // 0 to the chart's top
};

// A new chart view, empty.
using Make = QWidget *(*)(QWidget *parent);
// Shows the points of the period first..last (UTC milliseconds) in the view, values from
// 0 to `top`, labelled in `valueFormat` ("%d %%" for a share, "%d" for a count).
using Show = void (*)(QWidget *view, const QString &title, const Point *points, int count, qint64 first, qint64 last,
                      double top, const QString &valueFormat);

// Shows a count per day, a bar a day, of `days` days from `firstDay` (UTC milliseconds
// of its noon): the count axis from 0 in whole-number steps.
using ShowCounts = void (*)(QWidget *view, const QString &title, const int *counts, int days, qint64 firstDay);

// The number of this interface, raised whenever Make, Show or ShowCounts change.
inline constexpr int Interface = 3;

// The names under which the module exports them.
inline constexpr char MakeName[] = "bimbala_make_share_chart";
inline constexpr char ShowName[] = "bimbala_show_shares";
inline constexpr char ShowCountsName[] = "bimbala_show_counts";

} // namespace ShareChart
