#include "ShareChart.h"

#include "common/ProgramModule.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

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
    auto *chartView = qobject_cast<QChartView *>(view);
    if (!chartView)
        return;
    auto *chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
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
    QChart *old = chartView->chart();
    chartView->setChart(chart);
    delete old;
}
