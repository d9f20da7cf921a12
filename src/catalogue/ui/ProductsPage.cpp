#include "catalogue/ui/ProductsPage.h"

#include "catalogue/CatalogueFile.h"
#include "catalogue/ListColumns.h"
#include "catalogue/ListCommands.h"
#include "catalogue/Product.h"
#include "catalogue/ui/ActionList.h"
#include "catalogue/ui/FileWatch.h"
#include "catalogue/ui/ListPageCommands.h"
#include "catalogue/ui/ListRowsModel.h"
#include "catalogue/ui/TFormAddProduct.h"
#include "catalogue/ui/TFormEditProduct.h"
#include "catalogue/ui/TListView.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ToolBarRowsLayout.h"
#include "common/ui/ToolBars.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QVBoxLayout>

ProductsPage::ProductsPage(ListRows& products, const std::string& productsPath, ActionList& actions, PadCalls pad,
                           std::function<void()> refreshCaptions, std::function<void(const Phrase&)> tell,
                           QWidget* parent)
    : QWidget(parent),
      products_(products),
      document_(products, productsPath, CatalogueFile::ProductFields, false, ProductColumn::PadLink),
      actions_(actions),
      pad_(std::move(pad)),
      refreshCaptions_(std::move(refreshCaptions)),
      tell_(std::move(tell))
{
    setObjectName(QStringLiteral("TabSheetProducts"));
    BuildActions();
    BuildWidgets();
    formAddProduct_ = new TFormAddProduct(actions.Window());
    formEditProduct_ = new TFormEditProduct(actions.Window());
    formAddProduct_->SetList(&products_);
    formEditProduct_->SetList(&products_);
    formAddProduct_->SetPadFetch(pad_.FromPad);
    formEditProduct_->SetPadFetch(pad_.FromPad);
    PadEditorCalls editor = pad_.Editor;
    editor.SelectedLink = [this] {
        const int row = products_.FirstSelected();
        return row < 0 ? std::string() : std::string(products_.Text(row, ProductColumn::PadLink));
    };
    formPadEditor_ = new TFormPadEditor(std::move(editor), actions.Window());
    model_->SetTipLines(pad_.ValidationTip);
    model_->SetHistory(&document_.History());
    FileWatch::Follow(document_, tell_, this);
}

ProductsPage::~ProductsPage()
{
    // The view goes before the model it shows.
    delete listView_;
    delete model_;
}

void ProductsPage::BuildActions()
{
    auto make = [this](const char* name, const char* caption, void (ProductsPage::*handler)()) {
        return actions_.Make(name, "Product", caption, [this, handler] { (this->*handler)(); });
    };
    auto call = [this](const char* name, const char* caption, const std::function<void()>& fn) {
        return actions_.Make(name, "Product", caption, [fn] { fn(); });
    };
    make("AAddProduct", "Add", &ProductsPage::AAddProductExecute);
    make("AEditProduct", "Edit", &ProductsPage::AEditProductExecute);
    make("ADeleteProduct", "Delete", &ProductsPage::ADeleteProductExecute);
    make("AClearProducts", "Clear", &ProductsPage::AClearProductsExecute);
    make("ALoadProducts", "Load", &ProductsPage::ALoadProductsExecute);
    make("ASaveProducts", "Save", &ProductsPage::ASaveProductsExecute);
    call("ATestPads", "Test PADs", pad_.TestPads);
    call("ATestPad", "Test PAD", pad_.TestPad);
    call("AValidatePads", "Validate PADs", pad_.ValidatePads);
    call("AValidatePad", "Validate PAD", pad_.ValidatePad);
    make("ACheckProducts", "Check All", &ProductsPage::ACheckProductsExecute);
    make("AUnCheckProducts", "Uncheck All", &ProductsPage::AUnCheckProductsExecute);
    make("ADeleteSelectedProduct", "Selected", &ProductsPage::ADeleteSelectedProductExecute);
    make("ADeleteCheckedProduct", "Checked", &ProductsPage::ADeleteCheckedProductExecute);
    make("ADeleteAllProduct", "All", &ProductsPage::ADeleteAllProductExecute);
    make("AEditPadFile", "Edit PAD File...", &ProductsPage::AEditPadFileExecute);
}

void ProductsPage::BuildWidgets()
{
    auto* toolBar = new QWidget(this);
    toolBar->setObjectName(QStringLiteral("ToolBarProducts"));
    QMenu* popupDelete = actions_.Popup("PopupMenuDeleteProduct");
    actions_.Entry(popupDelete, "DeleteSelectedProducts", "ADeleteSelectedProduct");
    actions_.Entry(popupDelete, "DeleteCheckedProducts", "ADeleteCheckedProduct");
    actions_.Entry(popupDelete, "DeleteAllProducts", "ADeleteAllProduct");
    // The tool bar's two halves, before and after Load's break, stand in one row while the
    // window is wide enough for it, and one under the other when it is not.
    QToolBar* row1 = ToolBars::Make(toolBar, "ToolBarProductsRow1", 70);
    QToolBar* row2 = ToolBars::Make(toolBar, "ToolBarProductsRow2", 70);
    ToolBars::AddButton(row1, "ToolButtonAddProduct", actions_("AAddProduct"), 70);
    ToolBars::AddButton(row1, "ToolButtonEditProduct", actions_("AEditProduct"), 70);
    ToolBars::AddButton(row1, "ToolButtonDeleteProduct", actions_("ADeleteProduct"), 70, popupDelete);
    ToolBars::AddButton(row1, "ToolButtonLoadProducts", actions_("ALoadProducts"), 70);
    ToolBars::AddButton(row2, "ToolButtonSaveProducts", actions_("ASaveProducts"), 70);
    ToolBars::AddButton(row2, "ToolButtonCheckProducts", actions_("ACheckProducts"), 70);
    ToolBars::AddButton(row2, "ToolButtonUnCheckProducts", actions_("AUnCheckProducts"), 70);
    ToolBars::AddButton(row2, "ToolButtonTestPads", actions_("ATestPads"), 70);
    ToolBars::AddButton(row2, "ToolButtonValidatePads", actions_("AValidatePads"), 70);
    auto* rows = new ToolBarRowsLayout(toolBar);
    rows->addWidget(row1);
    rows->addWidget(row2);

    model_ = new ListRowsModel(products_, ListKind::Products,
                               {QStringLiteral("Title"), QStringLiteral("URL"), QStringLiteral("Category"),
                                QStringLiteral("Status")},
                               this);
    listView_ = new TListView(model_, {200, 440, 300}, this);
    listView_->setObjectName(QStringLiteral("ListViewProducts"));
    QMenu* popup = actions_.Popup("PopupMenuProducts");
    actions_.Entry(popup, "PMAddProduct", "AAddProduct");
    actions_.Entry(popup, "PMEditProduct", "AEditProduct");
    actions_.Entry(popup, "PMDeleteProduct", "ADeleteProduct");
    actions_.Entry(popup, "PMCheck", "ATestPad");
    actions_.Entry(popup, "PMValidate", "AValidatePad");
    actions_.Entry(popup, "PMEditPadFile", "AEditPadFile");
    listView_->SetPopupMenu(popup);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(listView_, 1);

    connect(listView_, &TListView::DeletePressed, actions_("ADeleteProduct"), &QAction::trigger);
    connect(listView_, &TListView::ListDoubleClicked, actions_("AEditProduct"), &QAction::trigger);
    connect(listView_, &TListView::EnterPressed, actions_("AEditProduct"), &QAction::trigger);
}

void ProductsPage::ReadCategories(const std::string& path)
{
    categories_ = CatalogueFile::ReadCategories(path);
}

void ProductsPage::AAddProductExecute()
{
    refreshCaptions_();
    formAddProduct_->FillCategories(categories_, categories_.empty() ? -1 : 0);
    const ListHistory::Step step(document_.History(), "Add");
    formAddProduct_->ShowModal();
}

void ProductsPage::AEditProductExecute()
{
    refreshCaptions_();
    const int row = ListCommands::BeginEdit(products_);
    if (row < 0) {
        MessageBoxes::Show(QString::fromUtf8(ListCommands::SelectItemFirst));
        return;
    }
    const Product product = ProductAt(products_, row);
    formEditProduct_->SetTexts(product.Title, product.PadLink);
    formEditProduct_->FillCategories(categories_, ListCommands::CategoryIndex(categories_, product.Category));
    const ListHistory::Step step(document_.History(), "Edit");
    formEditProduct_->ShowModal();
}

void ProductsPage::ADeleteProductExecute()
{
    const ListHistory::Step step(document_.History(), "Delete");
    ListPageCommands::DeleteSelected(products_);
}

void ProductsPage::ADeleteSelectedProductExecute()
{
    const ListHistory::Step step(document_.History(), "Delete Selected");
    ListPageCommands::DeleteSelected(products_);
}

void ProductsPage::ADeleteCheckedProductExecute()
{
    const ListHistory::Step step(document_.History(), "Delete Checked");
    ListCommands::DeleteChecked(products_);
}

void ProductsPage::ADeleteAllProductExecute()
{
    const ListHistory::Step step(document_.History(), "Delete All");
    ListCommands::DeleteAll(products_);
}

void ProductsPage::AClearProductsExecute()
{
    const ListHistory::Step step(document_.History(), "Clear");
    ListCommands::DeleteAll(products_);
}

void ProductsPage::ALoadProductsExecute()
{
    ListPageCommands::Load(document_, actions_.Window(), tell_);
}

void ProductsPage::ASaveProductsExecute()
{
    ListPageCommands::Save(document_, actions_.Window(), tell_);
}

void ProductsPage::ACheckProductsExecute()
{
    products_.SetAllChecked(true);
}

void ProductsPage::AUnCheckProductsExecute()
{
    products_.SetAllChecked(false);
}

void ProductsPage::AEditPadFileExecute()
{
    refreshCaptions_();
    formPadEditor_->Open();
}
