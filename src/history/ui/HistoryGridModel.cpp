#include "history/ui/HistoryGridModel.h"

#include "catalogue/ListColours.h"
#include "common/ReasonWords.h"
#include "common/StatusWords.h"
#include "common/ui/LocalText.h"
#include "common/ui/ShownText.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QGuiApplication>
#include <QPalette>

void HistoryGridModel::SetGrid(HistoryGrid grid)
{
    beginResetModel();
    grid_ = std::move(grid);
    endResetModel();
}

int HistoryGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(grid_.Products().size());
}

int HistoryGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(grid_.Sites().size());
}

QString HistoryGridModel::TimeText(HistoryTime time)
{
    const qint64 seconds = std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
    return QDateTime::fromSecsSinceEpoch(seconds).toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QVariant HistoryGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::ForegroundRole && role != Qt::ToolTipRole &&
        role != Qt::TextAlignmentRole)
        return {};
    const std::optional<OutcomeRecord> r = grid_.Cell(index.row(), index.column());
    if (!r) return {};
    switch (role) {
    case Qt::DisplayRole: return LocalText::ToQ(StatusWords::Word(r->Outcome));
    case Qt::ForegroundRole: {
        // The colour of the same word in the Auto Submit list's Status column.
        const TextColour c = ListColours::For(ListKind::Auto, 1, StatusWords::Word(r->Outcome));
        if (c.Desktop) return QBrush(QGuiApplication::palette().color(QPalette::Window));
        return QBrush(QColor(c.R, c.G, c.B));
    }
    case Qt::ToolTipRole: {
        std::vector<Phrase> tip{Phrase::Text(LocalText::ToBytes(TimeText(r->Time)))};
        if (r->HttpStatus > 0) tip.push_back(Phrase::Text("HTTP " + std::to_string(r->HttpStatus)));
        if (r->Ms >= 0) tip.push_back(Phrase("%1 ms", {Phrase::Text(std::to_string(r->Ms))}));
        // Stored in English: our own reasons are read back, a site's words stay as they are.
        if (!r->Reason.empty()) tip.push_back(ReasonWords::Read(r->Reason, r->Outcome == Outcome::NotAccepted));
        return ShownText::Message(Phrase::Lines(std::move(tip)));
    }
    case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
    default: return {};
    }
}

QVariant HistoryGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0) return {};
    const std::vector<std::string>& titles = orientation == Qt::Horizontal ? grid_.Sites() : grid_.Products();
    if (section >= static_cast<int>(titles.size())) return {};
    return LocalText::ToQ(titles[static_cast<size_t>(section)]);
}
