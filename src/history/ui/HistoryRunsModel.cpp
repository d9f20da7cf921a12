#include "history/ui/HistoryRunsModel.h"

#include "common/StatusWords.h"
#include "common/ui/ShownText.h"
#include "history/HistoryPages.h"
#include "history/HistoryStore.h"
#include "history/ui/HistoryGridModel.h"

#include <QTimer>

#include <limits>

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

HistoryRunsModel::HistoryRunsModel(HistoryStore& store, HistoryPages& pages, Reader read, QObject* parent)
    : QAbstractTableModel(parent), store_(store), pages_(pages), read_(std::move(read))
{
    spreadTimer_ = new QTimer(this);
    spreadTimer_->setInterval(0);
    connect(spreadTimer_, &QTimer::timeout, this, [this] { CountNextSpread(); });
}

bool HistoryRunsModel::Fill()
{
    spreadTimer_->stop();
    std::int64_t count = 0;
    const bool read = read_([&] { count = pages_.RunCount(); });
    beginResetModel();
    if (read)
        rows_ = HistoryRunRows(count, [this](std::int64_t first, int n) {
            std::vector<RunSummary> runs;
            read_([&] { runs = pages_.Runs(first, n); });
            return runs;
        });
    endResetModel();
    return read;
}

int HistoryRunsModel::rowCount(const QModelIndex& parent) const
{
    // A view counts rows in int.
    return parent.isValid() ? 0
                            : static_cast<int>(std::min<std::int64_t>(rows_.Count(), std::numeric_limits<int>::max()));
}

int HistoryRunsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryRunsModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole) return {};
    const std::optional<RunSummary> run = rows_.Row(index.row());
    if (!run) return {};
    switch (index.column()) {
    case Date: return HistoryGridModel::TimeText(run->Started);
    case Kind: return ShownText::Caption(KindText(run->Kind));
    case Products:
    case Sites: {
        const std::optional<std::pair<int, int>> spread = rows_.Spread(index.row());
        if (!spread) {
            rows_.WantSpread(index.row());
            if (!spreadTimer_->isActive()) spreadTimer_->start();
            return QString();
        }
        // A test or a validation names products and no sites.
        const bool sent = run->Kind == RunKind::Submit || run->Kind == RunKind::Retry;
        if (index.column() == Sites && !sent) return QString();
        return QString::number(index.column() == Products ? spread->first : spread->second);
    }
    case Ok: return QString::number(run->Ok);
    case X: return QString::number(run->X);
    case Failed: return QString::number(run->Failed);
    case Invalid: return QString::number(run->Invalid);
    case Ended: return ShownText::Caption(EndText(run->End));
    default: return {};
    }
}

QVariant HistoryRunsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    switch (section) {
    case Date: return ShownText::Caption("Date");
    case Kind: return ShownText::Caption("Kind");
    case Products: return ShownText::Caption("Products");
    case Sites: return ShownText::Caption("Sites");
    case Ok: return QString::fromUtf8(StatusWords::Ok);
    case X: return QString::fromUtf8(StatusWords::NotAccepted);
    case Failed: return QString::fromUtf8(StatusWords::Failed);
    case Invalid: return QString::fromUtf8(StatusWords::Invalid);
    case Ended: return ShownText::Caption("Ended");
    default: return {};
    }
}

void HistoryRunsModel::CountNextSpread()
{
    const std::optional<std::int64_t> row = rows_.NextSpread([this](std::int64_t run) {
        std::optional<std::pair<int, int>> spread;
        std::pair<int, int> counted;
        if (read_([&] { counted = store_.RunSpread(run); })) spread = counted;
        return spread;
    });
    if (!row) {
        spreadTimer_->stop();
        return;
    }
    const int r = static_cast<int>(*row);
    emit dataChanged(index(r, Products), index(r, Sites), {Qt::DisplayRole});
}
