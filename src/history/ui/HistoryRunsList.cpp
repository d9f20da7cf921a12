#include "history/ui/HistoryRunsList.h"

#include "history/ui/HistoryRunsModel.h"

#include <QHeaderView>

HistoryRunsList::HistoryRunsList(HistoryStore& store, HistoryPages& pages, Reader read, QWidget* parent)
    : QTableView(parent), model_(new HistoryRunsModel(store, pages, std::move(read), this))
{
    setObjectName(QStringLiteral("RunsList"));
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(22);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(true);
}

bool HistoryRunsList::Fill()
{
    const bool read = model_->Fill();
    // Measures the first rows only (the header's resize precision), read for it.
    resizeColumnsToContents();
    return read;
}
