#include "manual/ui/ManualSubmitPage.h"

#include "catalogue/CatalogueFile.h"
#include "catalogue/ListColumns.h"
#include "catalogue/ListCommands.h"
#include "catalogue/ListRows.h"
#include "catalogue/ui/ActionList.h"
#include "catalogue/ui/FileWatch.h"
#include "catalogue/ui/ListPageCommands.h"
#include "catalogue/ui/ListRowsModel.h"
#include "catalogue/ui/TListView.h"
#include "common/PreparedSubmission.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ToolBars.h"
#include "manual/FormFillScript.h"
#include "manual/ui/TBrowserPanel.h"
#include "manual/ui/TFormAddManual.h"
#include "manual/ui/TFormEditManual.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

ManualSubmitPage::ManualSubmitPage(ListRows& sites, const ListRows& products, const std::string& sitesPath,
                                   PreparedSubmission& prepared, ActionList& actions,
                                   std::function<void()> refreshCaptions, std::function<void(const std::string&)> tell,
                                   QWidget* parent)
    : QWidget(parent),
      sites_(sites),
      products_(products),
      document_(sites, sitesPath, CatalogueFile::SiteFields, true),
      prepared_(prepared),
      actions_(actions),
      refreshCaptions_(std::move(refreshCaptions)),
      tell_(std::move(tell))
{
    setObjectName(QStringLiteral("TabSheetManual"));
    BuildActions();
    BuildWidgets();
    formAddManual_ = new TFormAddManual(actions.Window());
    formEditManual_ = new TFormEditManual(actions.Window());
    formAddManual_->SetList(&sites_);
    formEditManual_->SetList(&sites_);
    FileWatch::Follow(document_, tell_, this);
}

ManualSubmitPage::~ManualSubmitPage()
{
    // The view goes before the model it shows.
    delete listView_;
    delete model_;
}

void ManualSubmitPage::BuildActions()
{
    auto make = [this](const char* name, const char* caption, void (ManualSubmitPage::*handler)()) {
        return actions_.Make(name, "Manual", caption, [this, handler] { (this->*handler)(); });
    };
    make("AAddManual", "Add", &ManualSubmitPage::AAddManualExecute);
    make("AEditManual", "Edit", &ManualSubmitPage::AEditManualExecute);
    make("ADeleteManual", "Delete", &ManualSubmitPage::ADeleteManualExecute);
    make("ADeleteSelectedManual", "Selected", &ManualSubmitPage::ADeleteSelectedManualExecute);
    make("ADeleteAllManual", "All", &ManualSubmitPage::ADeleteAllManualExecute);
    make("AVisitManual", "Visit", &ManualSubmitPage::AVisitManualExecute);
    make("ALoadManual", "Load", &ManualSubmitPage::ALoadManualExecute);
    make("ASaveManual", "Save", &ManualSubmitPage::ASaveManualExecute);

    // The browser's keys, while the page is shown.
    auto browserKey = [this](const char* name, QKeySequence key, const std::function<void()>& fn) {
        actions_.MakeKey(name, key, [this, fn] {
            if (isVisibleTo(window())) fn();
        });
    };
    browserKey("AKeyRefresh", QKeySequence(Qt::Key_F5), [this] { panelBrowser_->Refresh(); });
    browserKey("AKeyAddress", QKeySequence(Qt::CTRL | Qt::Key_L), [this] {
        QComboBox* box = panelBrowser_->AddressBox();
        box->setFocus(Qt::ShortcutFocusReason);
        if (box->lineEdit()) box->lineEdit()->selectAll();
    });
}

void ManualSubmitPage::BuildWidgets()
{
    auto* panelTop = new QWidget(this);
    panelTop->setObjectName(QStringLiteral("PanelTopManual"));
    QToolBar* toolBar = ToolBars::Make(panelTop, "ToolBarManual", 43);
    QMenu* popupDelete = actions_.Popup("PopupMenuDeleteManual");
    actions_.Entry(popupDelete, "DeleteAllManual", "ADeleteAllManual");
    actions_.Entry(popupDelete, "DeleteSelectedManual", "ADeleteSelectedManual");
    ToolBars::AddButton(toolBar, "ToolButtonAddManual", actions_("AAddManual"), 43);
    ToolBars::AddButton(toolBar, "ToolButtonEditManual", actions_("AEditManual"), 43);
    ToolBars::AddButton(toolBar, "ToolButtonDeleteManual", actions_("ADeleteManual"), 43, popupDelete);
    ToolBars::AddButton(toolBar, "ToolButtonLoadManual", actions_("ALoadManual"), 43);
    ToolBars::AddButton(toolBar, "ToolButtonSaveManual", actions_("ASaveManual"), 43);
    auto* layoutTop = new QVBoxLayout(panelTop);
    layoutTop->setContentsMargins(0, 0, 0, 0);
    layoutTop->addWidget(toolBar);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    splitter_->setHandleWidth(3);
    splitter_->setChildrenCollapsible(false);
    auto* panelLeft = new QWidget(splitter_);
    panelLeft->setObjectName(QStringLiteral("PanelLeftManual"));
    model_ = new ListRowsModel(sites_, ListKind::Manual,
                               {QStringLiteral("Title"), QStringLiteral("URL"), QStringLiteral("Status")}, this);
    model_->SetHistory(&document_.History());
    listView_ = new TListView(model_, {200, 300}, panelLeft);
    listView_->setObjectName(QStringLiteral("ListViewManual"));
    QMenu* popup = actions_.Popup("PopupMenuManual");
    auto* submitEntry = new QAction(QStringLiteral("Submit"), popup);
    submitEntry->setObjectName(QStringLiteral("MenuItem1"));
    submitEntry->setEnabled(false); // until a product is selected
    popup->addAction(submitEntry);
    connect(submitEntry, &QAction::triggered, this, [this] { ErrorGuard::Run([this] { MenuItem1Click(); }); });
    // Offered while a product with a PAD link is selected on Products.
    connect(popup, &QMenu::aboutToShow, submitEntry, [this, submitEntry] {
        const int product = products_.FirstSelected();
        submitEntry->setEnabled(product >= 0 && !products_.Text(product, ProductColumn::PadLink).empty());
    });
    actions_.Entry(popup, "MenuItem2", "AVisitManual");
    actions_.Entry(popup, "MenuItem3", "AAddManual");
    actions_.Entry(popup, "MenuItem4", "AEditManual");
    actions_.Entry(popup, "MenuItem5", "ADeleteManual");
    listView_->SetPopupMenu(popup);
    auto* layoutLeft = new QVBoxLayout(panelLeft);
    layoutLeft->setContentsMargins(0, 0, 0, 0);
    layoutLeft->addWidget(listView_);
    panelBrowser_ = new TBrowserPanel(splitter_);
    splitter_->addWidget(panelLeft);
    splitter_->addWidget(panelBrowser_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({225, 372});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panelTop);
    layout->addWidget(splitter_, 1);

    connect(listView_, &TListView::DeletePressed, actions_("ADeleteManual"), &QAction::trigger);
    connect(listView_, &TListView::ListDoubleClicked, actions_("AVisitManual"), &QAction::trigger);
    connect(listView_, &TListView::EnterPressed, actions_("AVisitManual"), &QAction::trigger);
    connect(panelBrowser_, &TBrowserPanel::DocumentComplete, this,
            [this](bool) { ErrorGuard::Run([this] { WebBrowser1DocumentComplete(); }); });
}

void ManualSubmitPage::AAddManualExecute()
{
    refreshCaptions_();
    const ListHistory::Step step(document_.History(), "Add");
    formAddManual_->ShowModal();
}

void ManualSubmitPage::AEditManualExecute()
{
    refreshCaptions_();
    const int row = ListCommands::BeginEdit(sites_);
    if (row < 0) {
        MessageBoxes::Show(QString::fromUtf8(ListCommands::SelectItemFirst));
        return;
    }
    formEditManual_->SetTexts(sites_.Caption(row), sites_.Text(row, ManualColumn::Link));
    const ListHistory::Step step(document_.History(), "Edit");
    formEditManual_->ShowModal();
}

void ManualSubmitPage::ADeleteManualExecute()
{
    const ListHistory::Step step(document_.History(), "Delete");
    ListPageCommands::DeleteSelected(sites_);
}

void ManualSubmitPage::ADeleteSelectedManualExecute()
{
    const ListHistory::Step step(document_.History(), "Delete Selected");
    ListPageCommands::DeleteSelected(sites_);
}

void ManualSubmitPage::ADeleteAllManualExecute()
{
    const ListHistory::Step step(document_.History(), "Delete All");
    ListCommands::DeleteAll(sites_);
}

void ManualSubmitPage::AVisitManualExecute()
{
    const int row = sites_.FirstSelected();
    if (row < 0) {
        MessageBoxes::Show(QString::fromUtf8(ListCommands::SelectItemFirst));
        return;
    }
    panelBrowser_->NavigateTo(sites_.Text(row, ManualColumn::Link));
}

void ManualSubmitPage::MenuItem1Click()
{
    const int site = sites_.FirstSelected();
    if (site < 0) {
        MessageBoxes::Show(QString::fromUtf8(ListCommands::SelectItemFirst));
        return;
    }
    const int product = products_.FirstSelected();
    if (product < 0) return;
    const std::string link = sites_.Text(site, ManualColumn::Link);
    prepared_ = FormFillScript::ForManualSite(link, products_.Text(product, ProductColumn::PadLink));
    panelBrowser_->NavigateTo(link);
}

void ManualSubmitPage::ALoadManualExecute()
{
    ListPageCommands::Load(document_, actions_.Window(), tell_);
}

void ManualSubmitPage::ASaveManualExecute()
{
    ListPageCommands::Save(document_, actions_.Window(), tell_);
}

void ManualSubmitPage::WebBrowser1DocumentComplete()
{
    if (FormFillScript::Applies(panelBrowser_->AddressText(), prepared_.ScriptUrl))
        panelBrowser_->RunScript(FormFillScript::Build(prepared_.LinkField, prepared_.PadLink));
}
