#pragma once

#include <QTreeView>

#include <vector>

class ListRowsModel;
class QMenu;

// A list in report view over a ListRowsModel: column headings that do nothing when
// clicked, whole-row selection of several rows, tool tips, the title editable in place
// by a second click on a selected row. The view's selection is the rows' Selected flags:
// every change is written to the core list, and after the list rebuilds its rows the
// selection is restored from them.
class TListView : public QTreeView {
    Q_OBJECT
public:
    TListView(ListRowsModel* model, const std::vector<int>& widths, QWidget* parent = nullptr);

    ListRowsModel* Model() const { return model_; }
    void SetPopupMenu(QMenu* menu) { popup_ = menu; }

    // Selects exactly the given rows (as a user's clicks would), or none.
    void SelectRows(const std::vector<int>& rows);

signals:
    // A row became selected (on) or deselected (off).
    void ItemSelected(int row, bool on);
    void DeletePressed();
    // Enter (or Return) pressed with no other key, the list not in an edit.
    void EnterPressed();
    void ListDoubleClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void RestoreSelection();

    ListRowsModel* model_;
    QMenu* popup_ = nullptr;
    bool restoring_ = false;
};
