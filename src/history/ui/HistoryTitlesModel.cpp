#include "history/ui/HistoryTitlesModel.h"

#include "common/ui/LocalText.h"

HistoryTitlesModel::HistoryTitlesModel(QString all, QObject* parent) : QAbstractListModel(parent), all_(std::move(all))
{}

void HistoryTitlesModel::SetTitles(std::vector<std::string> titles)
{
    beginResetModel();
    titles_ = std::move(titles);
    endResetModel();
}

int HistoryTitlesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(titles_.size()) + 1;
}

QVariant HistoryTitlesModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (row < 0 || row > static_cast<int>(titles_.size())) return {};
    if (row == 0) return role == Qt::DisplayRole ? QVariant(all_) : QVariant();
    const std::string& title = titles_[static_cast<size_t>(row - 1)];
    switch (role) {
    case Qt::DisplayRole: return LocalText::ToQ(title);
    case Qt::UserRole: return QByteArray(title.data(), static_cast<qsizetype>(title.size()));
    default: return {};
    }
}
