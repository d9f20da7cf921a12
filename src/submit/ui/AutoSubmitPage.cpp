#include "submit/ui/AutoSubmitPage.h"

#include "catalogue/ListRows.h"
#include "catalogue/ui/ActionList.h"
#include "catalogue/ui/ListRowsModel.h"
#include "catalogue/ui/TListView.h"
#include "common/Settings.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/ToolBars.h"
#include "history/ui/THistoryWindow.h"
#include "submit/RunReport.h"
#include "submit/SiteTable.h"
#include "submit/ui/SubmitCommands.h"

#include <QAction>

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

AutoSubmitPage::AutoSubmitPage(ListRows& sites, const SiteTable& table, SubmitCommands& submission, ActionList& actions,
                               std::function<void()> openHistory, QWidget* parent)
    : QWidget(parent), sites_(sites), submission_(submission), actions_(actions)
{
    setObjectName(QStringLiteral("TabSheetAuto"));
    actions.Make("ASubmitAuto", "Auto", "Submit", [this] { submission_.Submit(); });
    actions.Make("ASubmitAllAuto", "Auto", "Submit All", [this] { submission_.SubmitAll(); })
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    actions.Make("ARetryFailedAuto", "Auto", "Retry Failed", [this] { submission_.RetryFailed(); });
    actions.Make("AOpenReportsAuto", "Auto", "Open Reports Folder", [this] { submission_.OpenReportsFolder(); });
    actions.Make("ASkipAcceptedAuto", "Auto", "Skip Sites That Took It", [this] { ASkipAcceptedAutoExecute(); })
        ->setCheckable(true);
    actions.Make("AHistoryAuto", "Auto", "History...", std::move(openHistory))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    actions.Make("ACheckAuto", "Auto", "Check All", [this] { ACheckAutoExecute(); });
    actions.Make("AUnCheckAuto", "Auto", "UnCheck All", [this] { AUnCheckAutoExecute(); });

    QToolBar* toolBarSites = ToolBars::Make(this, "ToolBarSites", 71);
    ToolBars::AddButton(toolBarSites, "ToolButtonCheckAuto", actions("ACheckAuto"), 71);
    ToolBars::AddButton(toolBarSites, "ToolButtonUnCheckAuto", actions("AUnCheckAuto"), 71);
    ToolBars::AddButton(toolBarSites, "ToolButtonSubmitAuto", actions("ASubmitAllAuto"), 71);
    auto* panelMax = new QWidget(toolBarSites);
    panelMax->setObjectName(QStringLiteral("PanelMax"));
    auto* labelSpeed = new QLabel(QStringLiteral("Speed:"), panelMax);
    labelSpeed->setObjectName(QStringLiteral("LabelSpeed"));
    labelSpeed->setTextFormat(Qt::PlainText);
    comboBoxSpeed_ = new QComboBox(panelMax);
    comboBoxSpeed_->setObjectName(QStringLiteral("ComboBoxSpeed"));
    comboBoxSpeed_->setMinimumWidth(41);
    comboBoxSpeed_->setMaxVisibleItems(10);
    auto* layoutMax = new QHBoxLayout(panelMax);
    layoutMax->setContentsMargins(8, 0, 4, 0);
    layoutMax->addWidget(labelSpeed);
    layoutMax->addWidget(comboBoxSpeed_);
    toolBarSites->addSeparator();
    toolBarSites->addWidget(panelMax);

    modelAuto_ = new ListRowsModel(sites, ListKind::Auto, {QStringLiteral("Title"), QStringLiteral("Status")}, this);
    modelAuto_->SetSecondText([&table](int row) { return table.At(row).ScriptUrl; });
    modelAuto_->SetTipLines([&submission](int row) { return submission.SiteTip(row); });
    // The Status column takes the room the title leaves: at the window's first size it fits
    // beside the 510-pixel title without a horizontal scroll bar.
    listViewAuto_ = new TListView(modelAuto_, {510, 50}, this);
    listViewAuto_->setObjectName(QStringLiteral("ListViewAuto"));
    auto* pmAuto = new QMenu(this);
    pmAuto->setObjectName(QStringLiteral("PMAuto"));
    actions.Entry(pmAuto, "PMAutoSubmt", "ASubmitAuto");
    pmAuto->addSeparator();
    actions.Entry(pmAuto, "PMAutoAddSite", "AAddSiteAuto");
    actions.Entry(pmAuto, "PMAutoEditSite", "AEditSiteAuto");
    actions.Entry(pmAuto, "PMAutoDeleteSite", "ADeleteSiteAuto");
    listViewAuto_->SetPopupMenu(pmAuto);
    auto* layoutAuto = new QVBoxLayout(this);
    layoutAuto->setContentsMargins(0, 0, 0, 0);
    layoutAuto->setSpacing(0);
    layoutAuto->addWidget(toolBarSites);
    layoutAuto->addWidget(listViewAuto_, 1);
    connect(comboBoxSpeed_, &QComboBox::currentIndexChanged, this,
            [this](int i) { ErrorGuard::Run([this, i] { ComboBoxSpeedChange(i); }); });
}

AutoSubmitPage::~AutoSubmitPage()
{
    // The view goes before the model it shows.
    delete listViewAuto_;
    delete modelAuto_;
}

void AutoSubmitPage::ResetSpeed()
{
    speed_ = 1;
    submission_.SetSpeed(speed_);
    QSignalBlocker block(comboBoxSpeed_);
    comboBoxSpeed_->clear();
    for (int i = 1; i <= 10; ++i) comboBoxSpeed_->addItem(QString::number(i));
    comboBoxSpeed_->setCurrentIndex(0);
}

void AutoSubmitPage::UseSettings(const Settings& settings)
{
    settings_ = &settings;
    const bool on = settings.SkipAccepted();
    actions_("ASkipAcceptedAuto")->setChecked(on);
    submission_.SetSkipAccepted(on);
}

void AutoSubmitPage::ASkipAcceptedAutoExecute()
{
    const bool on = actions_("ASkipAcceptedAuto")->isChecked();
    submission_.SetSkipAccepted(on);
    if (settings_) settings_->SetSkipAccepted(on);
}

void AutoSubmitPage::ACheckAutoExecute()
{
    sites_.SetAllChecked(true);
}

void AutoSubmitPage::AUnCheckAutoExecute()
{
    sites_.SetAllChecked(false);
}

void AutoSubmitPage::ComboBoxSpeedChange(int index)
{
    if (index < 0) return;
    speed_ = index + 1;
    submission_.SetSpeed(speed_);
}

HistoryWindowCalls AutoSubmitPage::HistoryCalls()
{
    HistoryWindowCalls calls;
    calls.RetrySelected = [this](std::vector<std::pair<std::string, std::string>> pairs) {
        std::vector<ReportPair> resend;
        for (auto& [product, site] : pairs) resend.push_back({std::move(product), std::move(site)});
        submission_.RetryPairs(resend);
    };
    calls.UncheckSites = [this](std::vector<std::string> titles) {
        for (int row = 0; row < sites_.Count(); ++row)
            if (std::find(titles.begin(), titles.end(), std::string(sites_.Caption(row))) != titles.end())
                sites_.SetChecked(row, false);
    };
    calls.CheckedSites = [this] {
        std::vector<std::string> titles;
        for (int row = 0; row < sites_.Count(); ++row)
            if (sites_.Row(row).Checked) titles.emplace_back(sites_.Caption(row));
        return titles;
    };
    return calls;
}
