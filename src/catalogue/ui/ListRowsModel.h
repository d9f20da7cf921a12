#pragma once

#include "catalogue/ListColours.h"
#include "catalogue/ListRows.h"
#include "common/Phrase.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>

#include <functional>

// The model a list view shows: one of the core lists, followed through its observer
// interface. Column 0 carries the check box (Products and Auto Submit lists) and is
// editable in place; the model's texts, colours and tool tips are the core list's.
class ListHistory;

class ListRowsModel : public QAbstractTableModel, public ListRowsObserver {
    Q_OBJECT
public:
    ListRowsModel(ListRows& rows, ListKind kind, const QStringList& headers, QObject* parent = nullptr);
    ~ListRowsModel() override;

    ListRows& Rows() const { return rows_; }
    ListKind Kind() const { return kind_; }
    // True between the core list's "about to" call and its "done" call, while the model
    // and the list disagree about the rows.
    bool InChange() const { return inChange_ > 0; }

    // The platform palette's colour that stands for the desktop background.
    static QColor DesktopColour();

    // The second text of the status bar for a row (PAD link, script address or link).
    void SetSecondText(std::function<std::string(int row)> fn) { secondText_ = std::move(fn); }
    std::string SecondText(int row) const;
    // Lines added under a row's info tip (a product's validation problems); empty: none. A site
    // row's tip is these lines alone.
    void SetTipLines(std::function<Phrase(int row)> fn) { tipLines_ = std::move(fn); }
    // An in-place rename becomes a step of this history ("Rename").
    void SetHistory(ListHistory* history) { history_ = history; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) override;

    // ListRowsObserver
    void RowsAboutToBeInserted(int first, int last) override;
    void RowsInserted(int first, int last) override;
    void RowsAboutToBeRemoved(int first, int last) override;
    void RowsRemoved(int first, int last) override;
    void RowChanged(int row) override;
    void AboutToReset() override;
    void ResetDone() override;

signals:
    // The rows were rebuilt (sorted, cleared, loaded): views restore their selection from
    // the rows' Selected flags.
    void RowsRebuilt();

private:
    ListRows& rows_;
    ListKind kind_;
    QStringList headers_;
    int inChange_ = 0;
    std::function<Phrase(int row)> tipLines_;
    std::function<std::string(int)> secondText_;
    ListHistory* history_ = nullptr;
};
