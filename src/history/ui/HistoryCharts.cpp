#include "history/ui/HistoryCharts.h"

#include "common/StatusWords.h"
#include "common/ui/LocalText.h"
#include "common/ui/ShownText.h"
#include "history/HistoryStore.h"
#include "history/ui/HistoryGridModel.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QHorizontalBarSeries>
#include <QStackedBarSeries>
#include <QValueAxis>

namespace {

QBarSet* Set(const char* word, QColor colour)
{
    auto* set = new QBarSet(QString::fromUtf8(word));
    set->setColor(colour);
    set->setBorderColor(colour);
    return set;
}

} // namespace

QChart* HistoryCharts::OutcomesPerRun(const std::vector<RunSummary>& runs)
{
    std::vector<const RunSummary*> sent;
    for (const RunSummary& run : runs)
        if (run.Kind == RunKind::Submit || run.Kind == RunKind::Retry) sent.push_back(&run);
    if (sent.size() > RunsShown) sent.erase(sent.begin(), sent.end() - RunsShown);

    QBarSet* ok = Set(StatusWords::Ok, QColor(0, 128, 0));
    QBarSet* x = Set(StatusWords::NotAccepted, QColor(255, 0, 0));
    QBarSet* failed = Set(StatusWords::Failed, QColor(128, 128, 128));
    QBarSet* invalid = Set(StatusWords::Invalid, QColor(40, 40, 40));
    QStringList categories;
    for (const RunSummary* run : sent) {
        *ok << run->Ok;
        *x << run->X;
        *failed << run->Failed;
        *invalid << run->Invalid;
        // Two runs in one minute still get a column each.
        QString label = HistoryGridModel::TimeText(run->Started).mid(5, 11); // "12-07 18:04"
        while (categories.contains(label)) label += QLatin1Char(' ');
        categories << label;
    }
    auto* series = new QStackedBarSeries;
    series->append({ok, x, failed, invalid});

    auto* chart = new QChart;
    chart->setTitle(ShownText::Caption("Outcomes per run"));
    chart->addSeries(series);
    auto* axisX = new QBarCategoryAxis;
    axisX->append(categories);
    axisX->setLabelsAngle(-45);
    chart->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);
    auto* axisY = new QValueAxis;
    axisY->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(axisY, Qt::AlignLeft);
    series->attachAxis(axisY);
    chart->legend()->setAlignment(Qt::AlignRight);
    return chart;
}

QChart* HistoryCharts::OkShares(const std::vector<SiteHealth::Share>& shares)
{
    auto* set = Set(StatusWords::Ok, QColor(0, 128, 0));
    QStringList categories;
    // A horizontal bar plot draws its first category at the bottom: the lowest share goes last.
    for (auto s = shares.rbegin(); s != shares.rend(); ++s) {
        *set << s->Fraction() * 100;
        QString label = LocalText::ToQ(s->Site) + QStringLiteral(" (%1/%2)").arg(s->Ok).arg(s->Attempts);
        categories << label;
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    series->setBarWidth(0.7);

    auto* chart = new QChart;
    chart->setTitle(
        ShownText::Caption("Share of \"Ok\" in each site's last %1 attempts").arg(HistoryStore::RecentKept));
    chart->addSeries(series);
    auto* axisY = new QBarCategoryAxis;
    axisY->append(categories);
    chart->addAxis(axisY, Qt::AlignLeft);
    series->attachAxis(axisY);
    auto* axisX = new QValueAxis;
    axisX->setRange(0, 100);
    axisX->setLabelFormat(QStringLiteral("%d%%"));
    chart->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);
    chart->legend()->hide();
    return chart;
}
