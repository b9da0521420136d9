#pragma once

#include <QtGlobal>

class QString;
class QWidget;

// The chart of the share right at the first try, per day, drawn with Qt Charts.
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

// The number of this interface, raised whenever Make or Show change.
inline constexpr int Interface = 2;

// The names under which the module exports them.
inline constexpr char MakeName[] = "bimbala_make_share_chart";
inline constexpr char ShowName[] = "bimbala_show_shares";

} // namespace ShareChart
