#pragma once

#include "history/HistoryRunRows.h"

#include <QAbstractTableModel>

#include <functional>

class HistoryPages;
class HistoryStore;
class QTimer;

// The runs list's rows as a table model over the store, newest first: date, kind, how many
// products and sites, the counts of each outcome word and how the run ended. Rows are read a
// page at a time as the view shows them; the products and sites of the rows shown are counted
// a run per event once the list is up (HistoryRunRows). GUI thread only.
class HistoryRunsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Date, Kind, Products, Sites, Ok, X, Failed, Invalid, Ended, ColumnCount };
    // `read` runs a query of the store and says whether it went well (telling the user if not).
    using Reader = std::function<bool(const std::function<void()>&)>;
    HistoryRunsModel(HistoryStore& store, HistoryPages& pages, Reader read, QObject* parent = nullptr);

    // Reads the number of runs again and forgets the rows read; false when the store failed.
    bool Fill();
    const HistoryRunRows& Rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void CountNextSpread();

    HistoryStore& store_;
    HistoryPages& pages_;
    Reader read_;
    // Read as the view asks for rows, which it does through the const data().
    mutable HistoryRunRows rows_;
    QTimer* spreadTimer_ = nullptr;
};
