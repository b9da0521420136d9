#include "ShareChart.h"

#include "common/ProgramModule.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QLocale>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>

namespace {

// The whole step between ticks that shows counts up to `most` in at most six steps: 1, 2, 5, 10, 20, 50...
int wholeStep(int most)
{
    for (int scale = 1;; scale *= 10) {
        for (const int step : {scale, 2 * scale, 5 * scale}) {
            if (most <= 6 * step)
                return step;
        }
    }
}

void replaceChart(QChartView *view, QChart *chart)
{
    QChart *old = view->chart();
    view->setChart(chart);
    delete old;
}

// A new chart with its title and no legend, for a view of ours; none for any other widget.
QChart *titledChart(QWidget *view, const QString &title)
{
    if (!qobject_cast<QChartView *>(view))
        return nullptr;
    auto *chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    return chart;
}

} // namespace

BIMBALA_MODULE_IDENTITY(ShareChart::Interface)

extern "C" Q_DECL_EXPORT QWidget *bimbala_make_share_chart(QWidget *parent)
{
    auto *view = new QChartView(parent);
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

extern "C" Q_DECL_EXPORT void bimbala_show_shares(QWidget *view, const QString &title, const ShareChart::Point *points,
                                                  int count, qint64 first, qint64 last, double top,
                                                  const QString &valueFormat)
{
    QChart *chart = titledChart(view, title);
    if (!chart)
        return;
    auto *line = new QLineSeries;
    auto *dots = new QScatterSeries;
    dots->setMarkerSize(7);
    for (int i = 0; i < count; ++i) {
        line->append(qreal(points[i].msecs), points[i].value);
        dots->append(qreal(points[i].msecs), points[i].value);
    }
    chart->addSeries(line);
    chart->addSeries(dots);
    auto *days = new QDateTimeAxis;
    days->setFormat(QStringLiteral("d MMM"));
    days->setTickCount(6);
    days->setRange(QDateTime::fromMSecsSinceEpoch(first, Qt::UTC), QDateTime::fromMSecsSinceEpoch(last, Qt::UTC));
    auto *share = new QValueAxis;
    share->setRange(0, top);
    share->setLabelFormat(valueFormat);
    chart->addAxis(days, Qt::AlignBottom);
    chart->addAxis(share, Qt::AlignLeft);
    for (QAbstractSeries *series : chart->series()) {
        series->attachAxis(days);
        series->attachAxis(share);
    }
    replaceChart(static_cast<QChartView *>(view), chart);
}

extern "C" Q_DECL_EXPORT void bimbala_show_counts(QWidget *view, const QString &title, const int *counts, int days,
                                                  qint64 firstDay)
{
    QChart *chart = titledChart(view, title);
    if (!chart)
        return;
    auto *perDay = new QBarSet(title);
    int most = 0;
    for (int day = 0; day < days; ++day) {
        *perDay << counts[day];
        most = std::max(most, counts[day]);
    }
    auto *bars = new QBarSeries;
    bars->setBarWidth(0.8);
    bars->append(perDay);
    chart->addSeries(bars);
    // A bar a day, the first day's and then every week's date under its bar.
    auto *dayAxis = new QCategoryAxis;
    dayAxis->setRange(-0.5, days - 0.5);
    dayAxis->setStartValue(-0.5);
    dayAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const QDate first = QDateTime::fromMSecsSinceEpoch(firstDay, Qt::UTC).date();
    for (int day = 0; day < days; day += 7)
        dayAxis->append(QLocale().toString(first.addDays(day), QStringLiteral("d MMM")), day);
    // Counts are whole: ticks at whole steps from 0, the top a step above the most.
    auto *countAxis = new QValueAxis;
    const int step = wholeStep(most);
    countAxis->setRange(0, std::max(1, (most + step - 1) / step) * step);
    countAxis->setTickType(QValueAxis::TicksDynamic);
    countAxis->setTickAnchor(0);
    countAxis->setTickInterval(step);
    countAxis->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(dayAxis, Qt::AlignBottom);
    chart->addAxis(countAxis, Qt::AlignLeft);
    bars->attachAxis(dayAxis);
    bars->attachAxis(countAxis);
    replaceChart(static_cast<QChartView *>(view), chart);
}
