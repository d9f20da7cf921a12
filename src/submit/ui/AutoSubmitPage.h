#pragma once

#include <QWidget>

#include <functional>

class ActionList;
class ListRows;
class ListRowsModel;
class QComboBox;
class Settings;
class SiteTable;
class SubmitCommands;
struct HistoryWindowCalls;
class TListView;

// The Auto Submit page: the tool bar ToolBarSites (Check All, UnCheck All, Submit All and,
// in PanelMax, the speed box), the list of sites ListViewAuto with its pop-up PMAuto, and
// the Auto actions of the runs (Submit, Submit All, Retry Failed, Open Reports Folder, Skip
// Sites That Took It, History..., the check boxes) with their handlers. A row's tip tells what became of
// the product sent to its site last. The page owns its widgets and the list's model; the list
// of rows is the window's, row i standing for row i of `table` (its script address is the
// row's second status text). The site actions on its pop-up are OwnSiteCommands', made
// before the page. History... calls `openHistory`: the window owns the history.
//
// Lives on the GUI thread; `sites`, `table`, `submission` and `actions` outlive it.
class AutoSubmitPage : public QWidget {
    Q_OBJECT
public:
    AutoSubmitPage(ListRows& sites, const SiteTable& table, SubmitCommands& submission, ActionList& actions,
                   std::function<void()> openHistory, QWidget* parent = nullptr);
    ~AutoSubmitPage() override;

    TListView* ListViewAuto() const { return listViewAuto_; }
    ListRowsModel* Model() const { return modelAuto_; }
    QComboBox* ComboBoxSpeed() const { return comboBoxSpeed_; }
    // The workers a run or a validation starts at once, 1 to 10.
    int Speed() const { return speed_; }

    // Speed 1 for the runs, and the speed box filled with 1 to 10 showing 1, without
    // reporting a change.
    void ResetSpeed();

    // Skip Sites That Took It as `settings` keep it; its changes are kept there from now on.
    void UseSettings(const Settings& settings);

    void ACheckAutoExecute();
    void AUnCheckAutoExecute();
    void ComboBoxSpeedChange(int index);
    void ASkipAcceptedAutoExecute();
    // What the history window does on this page: Retry Selected there resends through the
    // run of Retry Failed, Uncheck Dead Sites unchecks rows of this page.
    HistoryWindowCalls HistoryCalls();

private:
    ListRows& sites_;
    SubmitCommands& submission_;
    ActionList& actions_;
    const Settings* settings_ = nullptr;
    int speed_ = 1;
    QComboBox* comboBoxSpeed_ = nullptr;
    ListRowsModel* modelAuto_ = nullptr;
    TListView* listViewAuto_ = nullptr;
};
