#include "catalogue/ui/TListView.h"

#include "catalogue/ui/ListRowsModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyledItemDelegate>

#include <limits>
#include <set>

namespace {

// The in-place editor of the title: a text box without the 32,767-character limit text
// boxes have by default, so a longer title committed unchanged keeps every byte.
class TitleEditorDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) line->setMaxLength(std::numeric_limits<int>::max());
        return editor;
    }
};

} // namespace

TListView::TListView(ListRowsModel* model, const std::vector<int>& widths, QWidget* parent)
    : QTreeView(parent), model_(model)
{
    setModel(model);
    setItemDelegate(new TitleEditorDelegate(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setSortingEnabled(false);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(true);
    for (size_t c = 0; c < widths.size(); ++c)
        if (widths[c] > 0) setColumnWidth(static_cast<int>(c), widths[c]);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TListView::SelectionChanged);
    connect(model, &ListRowsModel::RowsRebuilt, this, &TListView::RestoreSelection);
}

void TListView::SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (restoring_ || model_->InChange()) return;
    ListRows& rows = model_->Rows();
    std::set<int> off, on;
    for (const QModelIndex& i : deselected.indexes()) off.insert(i.row());
    for (const QModelIndex& i : selected.indexes()) on.insert(i.row());
    for (int r : off) {
        if (r >= rows.Count()) continue;
        rows.SetSelected(r, false);
        emit ItemSelected(r, false);
    }
    for (int r : on) {
        if (r >= rows.Count()) continue;
        rows.SetSelected(r, true);
        emit ItemSelected(r, true);
    }
}

void TListView::RestoreSelection()
{
    restoring_ = true;
    QItemSelection sel;
    const ListRows& rows = model_->Rows();
    const int last = model_->columnCount() - 1;
    for (int r = 0; r < rows.Count(); ++r)
        if (rows.Row(r).Selected) sel.select(model_->index(r, 0), model_->index(r, last));
    selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
    int first = rows.FirstSelected();
    if (first >= 0) selectionModel()->setCurrentIndex(model_->index(first, 0), QItemSelectionModel::NoUpdate);
    restoring_ = false;
}

void TListView::SelectRows(const std::vector<int>& rowsToSelect)
{
    QItemSelection sel;
    const int last = model_->columnCount() - 1;
    for (int r : rowsToSelect) sel.select(model_->index(r, 0), model_->index(r, last));
    selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
}

void TListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
        emit DeletePressed();
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && mods == Qt::NoModifier &&
        state() != QAbstractItemView::EditingState) {
        emit EnterPressed();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        // Keys typed into a list are the list's: Escape does not reach the window.
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    emit ListDoubleClicked();
}

void TListView::contextMenuEvent(QContextMenuEvent* event)
{
    if (popup_) popup_->popup(event->globalPos());
    event->accept();
}
