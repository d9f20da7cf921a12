#include "submit/ui/AutoSubmitPage.h"

#include "catalogue/ui/ListRowsModel.h"
#include "catalogue/ui/TListView.h"
#include "common/ui/ToolBars.h"
#include "submit/SiteTable.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QVBoxLayout>

AutoSubmitPage::AutoSubmitPage(ListRows& sites, const SiteTable& table, const Actions& actions, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheetAuto"));
    QToolBar* toolBarSites = ToolBars::Make(this, "ToolBarSites", 71);
    ToolBars::AddButton(toolBarSites, "ToolButtonCheckAuto", actions.ACheckAuto, 71);
    ToolBars::AddButton(toolBarSites, "ToolButtonUnCheckAuto", actions.AUnCheckAuto, 71);
    ToolBars::AddButton(toolBarSites, "ToolButtonSubmitAuto", actions.ASubmitAllAuto, 71);
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
    // The Status column takes the room the title leaves: at the window's first size it fits
    // beside the 510-pixel title without a horizontal scroll bar.
    listViewAuto_ = new TListView(modelAuto_, {510, 50}, this);
    listViewAuto_->setObjectName(QStringLiteral("ListViewAuto"));
    auto* pmAuto = new QMenu(this);
    pmAuto->setObjectName(QStringLiteral("PMAuto"));
    ToolBars::AddEntry(pmAuto, "PMAutoSubmt", actions.ASubmitAuto);
    pmAuto->addSeparator();
    ToolBars::AddEntry(pmAuto, "PMAutoAddSite", actions.AAddSiteAuto);
    ToolBars::AddEntry(pmAuto, "PMAutoEditSite", actions.AEditSiteAuto);
    ToolBars::AddEntry(pmAuto, "PMAutoDeleteSite", actions.ADeleteSiteAuto);
    listViewAuto_->SetPopupMenu(pmAuto);
    auto* layoutAuto = new QVBoxLayout(this);
    layoutAuto->setContentsMargins(0, 0, 0, 0);
    layoutAuto->setSpacing(0);
    layoutAuto->addWidget(toolBarSites);
    layoutAuto->addWidget(listViewAuto_, 1);
}

AutoSubmitPage::~AutoSubmitPage()
{
    // The view goes before the model it shows.
    delete listViewAuto_;
    delete modelAuto_;
}

void AutoSubmitPage::FillSpeeds()
{
    QSignalBlocker block(comboBoxSpeed_);
    comboBoxSpeed_->clear();
    for (int i = 1; i <= 10; ++i) comboBoxSpeed_->addItem(QString::number(i));
    comboBoxSpeed_->setCurrentIndex(0);
}
