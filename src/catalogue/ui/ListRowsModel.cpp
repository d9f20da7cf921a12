#include "catalogue/ui/ListRowsModel.h"

#include "catalogue/ListHistory.h"

#include <optional>

#include "catalogue/ItemCheck.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ShownText.h"

#include <QApplication>
#include <QPalette>
#include <QTextDocument>

ListRowsModel::ListRowsModel(ListRows& rows, ListKind kind, const QStringList& headers, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), kind_(kind), headers_(headers)
{
    while (headers_.size() < rows_.ColumnCount()) headers_.append(QString());
    rows_.SetObserver(this);
}

ListRowsModel::~ListRowsModel()
{
    rows_.SetObserver(nullptr);
}

QColor ListRowsModel::DesktopColour()
{
    // No desktop-background colour exists on every platform; the palette's highlight is
    // the colour the desktop theme is built around.
    return QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

std::string ListRowsModel::SecondText(int row) const
{
    if (secondText_) return secondText_(row);
    return rows_.ColumnCount() > 1 ? rows_.Text(row, 1) : std::string();
}

int ListRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_.Count();
}

int ListRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_.ColumnCount();
}

QVariant ListRowsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.Count() || index.column() >= rows_.ColumnCount()) return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return LocalText::ToQ(rows_.Text(row, column));
    case Qt::CheckStateRole:
        if (column == 0 && kind_ != ListKind::Manual) return rows_.Row(row).Checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::ForegroundRole: {
        TextColour c = ListColours::For(kind_, column, rows_.Text(row, column));
        return c.Desktop ? DesktopColour() : QColor(c.R, c.G, c.B);
    }
    case Qt::ToolTipRole: {
        Phrase lines = tipLines_ ? tipLines_(row) : Phrase();
        // A site row has a tip only when something is to be told of its last request.
        if (kind_ == ListKind::Auto && lines.Empty()) return {};
        // The row's link heads the tip of a product or a manual site, as it is.
        const QString tip = ShownText::Message(
            kind_ == ListKind::Auto ? lines : Phrase::Lines({Phrase::Text(rows_.Text(row, 1)), std::move(lines)}));
        // A tip that looks like markup would be drawn as markup: show it as it stands.
        return Qt::mightBeRichText(tip) ? Qt::convertFromPlainText(tip, Qt::WhiteSpaceNoWrap) : tip;
    }
    case Qt::TextAlignmentRole:
        if ((kind_ == ListKind::Products && column == 3) || (kind_ == ListKind::Auto && column == 1))
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        return {};
    default: return {};
    }
}

bool ListRowsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= rows_.Count()) return false;
    bool done = false;
    ErrorGuard::Run([&] {
        if (role == Qt::CheckStateRole && index.column() == 0 && kind_ != ListKind::Manual) {
            rows_.SetChecked(index.row(), value.toInt() == Qt::Checked);
            done = true;
        } else if (role == Qt::EditRole && index.column() == 0) {
            // A title left as it was keeps its bytes, whatever their encoding.
            const std::string caption = LocalText::ToBytes(value.toString(), rows_.Caption(index.row()));
            const std::string refused = kind_ == ListKind::Auto ? std::string() : ItemCheck::TitleMessage(caption);
            if (!refused.empty()) {
                // A "|" would split the stored row: the title stays as it was. The message
                // waits until the editor has closed.
                QMetaObject::invokeMethod(
                    this, [refused] { MessageBoxes::Show(ItemCheck::Shown(refused)); }, Qt::QueuedConnection);
                return;
            }
            if (kind_ == ListKind::Auto) {
                rows_.SetCaption(index.row(), caption); // never sorted: row i stays site i
            } else {
                // As the Edit dialogs do: written with sorting off, then sorted. The sort
                // waits until the editor has closed, since it rebuilds every row.
                rows_.SetSorted(false);
                std::optional<ListHistory::Step> step;
                if (history_) step.emplace(*history_, "Rename");
                rows_.SetCaption(index.row(), caption);
                QMetaObject::invokeMethod(
                    this, [this] { ErrorGuard::Run([this] { rows_.SetSorted(true); }); }, Qt::QueuedConnection);
            }
            done = true;
        }
    });
    return done;
}

Qt::ItemFlags ListRowsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0) {
        f |= Qt::ItemIsEditable;
        if (kind_ != ListKind::Manual) f |= Qt::ItemIsUserCheckable;
    }
    return f;
}

QVariant ListRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= headers_.size()) return {};
    if (role == Qt::DisplayRole) return headers_.at(section);
    if (role == Qt::TextAlignmentRole) {
        if ((kind_ == ListKind::Products && section == 3) || (kind_ == ListKind::Auto && section == 1))
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

bool ListRowsModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= headers_.size())
        return false;
    headers_[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

void ListRowsModel::RowsAboutToBeInserted(int first, int last)
{
    ++inChange_;
    beginInsertRows(QModelIndex(), first, last);
}

void ListRowsModel::RowsInserted(int, int)
{
    endInsertRows();
    --inChange_;
}

void ListRowsModel::RowsAboutToBeRemoved(int first, int last)
{
    ++inChange_;
    beginRemoveRows(QModelIndex(), first, last);
}

void ListRowsModel::RowsRemoved(int, int)
{
    endRemoveRows();
    --inChange_;
}

void ListRowsModel::RowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, rows_.ColumnCount() - 1));
}

void ListRowsModel::AboutToReset()
{
    ++inChange_;
    beginResetModel();
}

void ListRowsModel::ResetDone()
{
    endResetModel();
    --inChange_;
    emit RowsRebuilt();
}
