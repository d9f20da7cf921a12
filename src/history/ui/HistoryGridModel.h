#pragma once

#include "history/HistoryGrid.h"

#include <QAbstractTableModel>

// The history window's grid as a table model: a product per row, a site per column, each
// cell the word of the pair's latest outcome in its status colour, with the time, the HTTP
// status and the reason in its tooltip. Cells are read from the store as the view shows them
// (HistoryGrid's pages). GUI thread only.
class HistoryGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetGrid(HistoryGrid grid);
    const HistoryGrid& Grid() const { return grid_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // "2026-12-07 18:04:05" in local time.
    static QString TimeText(HistoryTime time);

private:
    HistoryGrid grid_;
};
