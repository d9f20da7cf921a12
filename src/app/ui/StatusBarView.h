#pragma once

#include "app/StatusPanels.h"

#include <QObject>
#include <QString>

#include <string>
#include <vector>

class ListRowsModel;
class QLabel;
class QStatusBar;

// The main window's status bar (StatusBar1) with its two panels, showing what StatusPanels
// has for the page shown. It follows every change of the pages' lists, whoever made it.
//
// Lives on the GUI thread; the bar and the models outlive it.
class StatusBarView : public QObject {
    Q_OBJECT
public:
    // `models`: the pages' lists in page order.
    StatusBarView(QStatusBar* bar, const std::vector<const ListRowsModel*>& models);

    QString PanelText(int panel) const;

    void ShowPage(int page);
    void RowSelected(int page, int row);
    // A run's progress or result in the second panel.
    void ShowMessage(const Phrase& text);
    // The panels again, in the language applied last.
    void Show();

private:
    StatusPanels state_;
    QLabel* panels_[2] = {nullptr, nullptr};
};
