// The two charts of the Statistics window: kill times over the fights with their rolling
// median, and how the kill times spread.
#include "dialogs/frmStatistics.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

// A fresh chart for a view; the view gives up the old one without deleting it.
QChart* newChart(QChartView* view, const QString& title)
{
    QChart* old = view->chart();
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    view->setChart(chart);
    delete old;
    return chart;
}

// Room above the highest value, on a round figure.
double axisTop(double highest)
{
    if (!(highest > 0))
        return 1;
    const double step = std::pow(10.0, std::floor(std::log10(highest)));
    return std::ceil(highest * 1.05 / step) * step;
}

} // namespace

void frmStatistics::FillKillTimeChart(const QVector<FightEntry>& fights)
{
    QChart* chart = newChart(chtKillTimes, QStringLiteral("Kill times"));
    QVector<int> fightIndex;
    const QVector<double> times = FightStats::KillTimes(fights, &fightIndex);
    const QVector<double> rolling = FightStats::RollingMedian(times, RollingWindow);

    // Beyond MaxChartPoints kills each point stands for a run of them (their median), so a
    // long history still draws at once.
    const qsizetype n = times.size();
    const qsizetype run = std::max<qsizetype>(1, (n + MaxChartPoints - 1) / MaxChartPoints);
    QList<QPointF> killPoints;
    QList<QPointF> medianPoints;
    double highest = 0;
    for (qsizetype from = 0; from < n; from += run) {
        const qsizetype to = std::min(n, from + run);
        const double x = fightIndex[(from + to - 1) / 2] + 1;
        const double y = run == 1 ? times[from] : FightStats::Median(times.mid(from, to - from));
        killPoints << QPointF(x, y);
        medianPoints << QPointF(fightIndex[to - 1] + 1, rolling[to - 1]);
        highest = std::max(highest, y);
    }

    auto* kills = new QScatterSeries;
    kills->setName(run == 1 ? QStringLiteral("Kill time")
                            : QStringLiteral("Kill time (median of %1 kills)").arg(run));
    kills->setMarkerSize(7);
    kills->replace(killPoints);
    auto* median = new QLineSeries;
    median->setName(QStringLiteral("Rolling median (%1 kills)").arg(RollingWindow));
    QPen pen(QColor(200, 40, 40));
    pen.setWidth(2);
    median->setPen(pen);
    median->replace(medianPoints);
    chart->addSeries(kills);
    chart->addSeries(median);

    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("Fight"));
    x->setLabelFormat(QStringLiteral("%d"));
    x->setRange(0, std::max<qsizetype>(fights.size(), 1) + 1);
    x->applyNiceNumbers();
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("ms"));
    y->setLabelFormat(QStringLiteral("%d"));
    y->setRange(0, axisTop(highest));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
}

void frmStatistics::FillHistogram(const QVector<double>& times)
{
    QChart* chart = newChart(chtHistogram, QStringLiteral("Kill times, spread"));
    const FightStats::Histogram h = FightStats::MakeHistogram(times, 16);
    auto* set = new QBarSet(QStringLiteral("Kills"));
    QStringList bins;
    int highest = 0;
    for (int i = 0; i < h.Counts.size(); ++i) {
        *set << h.Counts[i];
        highest = std::max(highest, h.Counts[i]);
        bins << QString::number(i);
    }
    auto* series = new QBarSeries;
    series->setBarWidth(0.92);
    series->append(set);
    chart->addSeries(series);
    chart->legend()->hide();

    // The bars stand on a hidden axis of bins; the visible one, laid over it, is in
    // milliseconds, so its labels fall on the bins' edges without crowding them.
    auto* binAxis = new QBarCategoryAxis;
    binAxis->append(bins.isEmpty() ? QStringList{QStringLiteral("0")} : bins);
    binAxis->setVisible(false);
    const int n = std::max<int>(1, h.Counts.size());
    auto* x = new QValueAxis;
    x->setRange(h.First, h.First + n * h.Width);
    x->setLabelFormat(QStringLiteral("%d"));
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(h.First);
    x->setTickInterval(h.Width * std::ceil(n / 6.0));
    x->setTitleText(h.Counts.isEmpty() ? QStringLiteral("No kills yet")
                                       : QStringLiteral("Kill time, ms (bins of %1 ms)").arg(h.Width));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Kills"));
    y->setLabelFormat(QStringLiteral("%d"));
    y->setRange(0, std::max(highest, 1));
    y->applyNiceNumbers();
    if (highest < 5)
        y->setTickCount(std::max(highest, 1) + 1);
    chart->addAxis(binAxis, Qt::AlignBottom);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(binAxis);
    series->attachAxis(y);
}
