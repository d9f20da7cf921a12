#pragma once

#include <QWidget>

class ListRows;
class ListRowsModel;
class QAction;
class QComboBox;
class SiteTable;
class TListView;

// The Auto Submit page: the tool bar ToolBarSites (Check All, UnCheck All, Submit All and,
// in PanelMax, the speed box), the list of sites ListViewAuto with its pop-up PMAuto. The
// page owns its widgets and the list's model; the actions are the main window's, passed
// in, and so is the list of rows, row i standing for row i of `table` (its script address
// is the row's second status text).
//
// Lives on the GUI thread; `sites` and `table` outlive it.
class AutoSubmitPage : public QWidget {
    Q_OBJECT
public:
    // The main window's actions that the page shows.
    struct Actions {
        QAction* ACheckAuto;
        QAction* AUnCheckAuto;
        QAction* ASubmitAllAuto;
        QAction* ASubmitAuto;
        QAction* AAddSiteAuto;
        QAction* AEditSiteAuto;
        QAction* ADeleteSiteAuto;
    };

    AutoSubmitPage(ListRows& sites, const SiteTable& table, const Actions& actions, QWidget* parent = nullptr);
    ~AutoSubmitPage() override;

    TListView* ListViewAuto() const { return listViewAuto_; }
    ListRowsModel* Model() const { return modelAuto_; }
    QComboBox* ComboBoxSpeed() const { return comboBoxSpeed_; }

    // Fills the speed box with 1 to 10 and shows 1, without reporting a change.
    void FillSpeeds();

private:
    QComboBox* comboBoxSpeed_ = nullptr;
    ListRowsModel* modelAuto_ = nullptr;
    TListView* listViewAuto_ = nullptr;
};
