#include "history/ui/HistoryRunsList.h"

#include "common/StatusWords.h"
#include "common/ui/LocalText.h"
#include "common/ui/ShownText.h"
#include "history/HistoryGrid.h"
#include "history/HistoryStore.h"
#include "history/ui/HistoryGridModel.h"

#include <QHeaderView>
#include <QTimer>

namespace {

const char* KindText(RunKind kind)
{
    switch (kind) {
    case RunKind::Submit: return "Submit";
    case RunKind::Retry: return "Retry";
    case RunKind::Test: return "Test PAD";
    case RunKind::Validate: return "Validate";
    }
    return "";
}

const char* EndText(RunEnd end)
{
    switch (end) {
    case RunEnd::Finished: return "Finished";
    case RunEnd::Cancelled: return "Cancelled";
    case RunEnd::Unfinished: return "Unfinished";
    }
    return "";
}

} // namespace

HistoryRunsList::HistoryRunsList(HistoryStore& store, Reader read, QWidget* parent)
    : QTableWidget(0, 9, parent), store_(store), read_(std::move(read))
{
    setObjectName(QStringLiteral("RunsList"));
    setHorizontalHeaderLabels({ShownText::Caption("Date"), ShownText::Caption("Kind"), ShownText::Caption("Products"),
                               ShownText::Caption("Sites"), QString::fromUtf8(StatusWords::Ok),
                               QString::fromUtf8(StatusWords::NotAccepted), QString::fromUtf8(StatusWords::Failed),
                               QString::fromUtf8(StatusWords::Invalid), ShownText::Caption("Ended")});
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(22);
    horizontalHeader()->setStretchLastSection(true);
    spreadTimer_ = new QTimer(this);
    spreadTimer_->setInterval(0);
    connect(spreadTimer_, &QTimer::timeout, this, [this] { FillNextSpread(); });
}

bool HistoryRunsList::Fill()
{
    spreadTimer_->stop();
    if (!read_([&] { runs_ = store_.Runs(); })) return false;
    setRowCount(static_cast<int>(runs_.size()));
    for (size_t i = 0; i < runs_.size(); ++i) {
        const RunSummary& run = runs_[runs_.size() - 1 - i];
        const int row = static_cast<int>(i);
        const auto put = [&](int column, const QString& text) { setItem(row, column, new QTableWidgetItem(text)); };
        put(0, HistoryGridModel::TimeText(run.Started));
        put(1, ShownText::Caption(KindText(run.Kind)));
        put(2, QString());
        put(3, QString());
        int column = 4;
        for (int count : {run.Ok, run.X, run.Failed, run.Invalid}) put(column++, QString::number(count));
        put(8, ShownText::Caption(EndText(run.End)));
    }
    resizeColumnsToContents();
    spreadNext_ = 0;
    spreadTimer_->start();
    return true;
}

void HistoryRunsList::FillNextSpread()
{
    if (spreadNext_ >= runs_.size()) {
        spreadTimer_->stop();
        return;
    }
    const int row = static_cast<int>(spreadNext_++);
    const RunSummary& run = runs_[runs_.size() - 1 - static_cast<size_t>(row)];
    const bool sent = run.Kind == RunKind::Submit || run.Kind == RunKind::Retry;
    std::pair<int, int> spread{0, 0};
    if (!read_([&] { spread = store_.RunSpread(run.Id); })) {
        spreadTimer_->stop();
        return;
    }
    item(row, 2)->setText(QString::number(spread.first));
    if (sent) item(row, 3)->setText(QString::number(spread.second));
}
