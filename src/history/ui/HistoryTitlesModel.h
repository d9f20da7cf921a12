#pragma once

#include <QAbstractListModel>

#include <string>
#include <vector>

// The items of a filter box of the history window: "(all)" first, then the titles the history
// knows, each with its bytes as Qt::UserRole. A list model rather than the box's own items,
// so that a hundred thousand titles cost one vector, converted only as the box shows them.
// GUI thread only.
class HistoryTitlesModel : public QAbstractListModel {
    Q_OBJECT
public:
    HistoryTitlesModel(QString all, QObject* parent = nullptr);

    void SetTitles(std::vector<std::string> titles);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QString all_;
    std::vector<std::string> titles_;
};
