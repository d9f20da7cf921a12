#include "app/ui/TForm1.h"

#include "app/ui/TFormProxy.h"
#include "app/ui/WindowLayoutView.h"
#include "catalogue/CatalogueFile.h"
#include "catalogue/ListColumns.h"
#include "catalogue/ListCommands.h"
#include "catalogue/ui/ListRowsModel.h"
#include "catalogue/ui/TFormAddManual.h"
#include "catalogue/ui/TFormAddProduct.h"
#include "catalogue/ui/TFormEditManual.h"
#include "catalogue/ui/TFormEditProduct.h"
#include "catalogue/ui/TListView.h"
#include "common/IniFile.h"
#include "common/ProxySetting.h"
#include "common/ui/AccessibleNames.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/FileDialogs.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ShellOpen.h"
#include "common/ui/ToolBarRowsLayout.h"
#include "common/ui/ToolBars.h"
#include "lang/ui/CaptionTable.h"
#include "lang/ui/TAboutBox.h"
#include "lang/ui/THelpViewer.h"
#include "lang/ui/TThemeManager.h"
#include "manual/FormFillScript.h"
#include "manual/ui/TBrowserPanel.h"
#include "submit/SiteTable.h"
#include "submit/ui/AutoSubmitPage.h"
#include "submit/ui/SubmitCommands.h"
#include "submit/ui/TFormAuthorEmail.h"
#include "submit/ui/TFormAutoSite.h"
#include "submit/ui/TFormProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <chrono>

namespace {

QString U(const char* s)
{
    return QString::fromUtf8(s);
}

std::function<void()>& ExitHook()
{
    static std::function<void()> hook;
    return hook;
}

std::string ProgramName(const QString& programFolder)
{
    if (!programFolder.isEmpty()) return "quillpost";
    return LocalText::ToBytes(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

std::string FolderOf(const QString& programFolder)
{
    return LocalText::ToBytes(programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder);
}

} // namespace

TForm1::TForm1(const QString& programFolder, QWidget* parent, const SiteTable* sites)
    : QMainWindow(parent),
      files_(FolderOf(programFolder), ProgramName(programFolder)),
      ownSites_(sites ? *sites : SiteTable::BuiltIn()),
      siteTable_(ownSites_.Combined()),
      products_(4, true),
      auto_(2, false),
      manual_(3, true)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(U(Caption));
    // The window's font; where the platform has no such face, its plain sans-serif face.
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    resize(597, 454);
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());

    BuildActions();
    BuildMenus();
    BuildPages();
    BuildStatusBar();
    BuildKeys();
    captions_ = std::make_unique<CaptionTable>(this, pageControl_);
    themeManager_ = new TThemeManager(this);

    FormCreate();
}

TForm1::~TForm1()
{
    // No worker outlives the window it writes to.
    submission_.reset();
    // The views and models go before the lists they show.
    delete pageControl_;
    pageControl_ = nullptr;
    delete modelProducts_;
    delete modelManual_;
}

// ---------------------------------------------------------------------------------------
// Building the window

QAction* TForm1::MakeAction(const char* name, const char* category, const char* caption, void (TForm1::*handler)())
{
    auto* a = new QAction(U(caption), actionList_);
    a->setObjectName(U(name));
    a->setProperty("Category", U(category));
    addAction(a); // shortcuts work wherever the focus is in the window
    connect(a, &QAction::triggered, this,
            [this, handler] { ErrorGuard::Run([this, handler] { (this->*handler)(); }); });
    actions_[name] = a;
    return a;
}

QAction* TForm1::Action(const char* name) const
{
    return actions_.at(name);
}

void TForm1::BuildActions()
{
    actionList_ = new QObject(this);
    actionList_->setObjectName(QStringLiteral("ActionList1"));
    MakeAction("AAddProduct", "Product", "Add", &TForm1::AAddProductExecute);
    MakeAction("AEditProduct", "Product", "Edit", &TForm1::AEditProductExecute);
    MakeAction("AContent", "Help", "Content", &TForm1::AContentExecute);
    MakeAction("AExit", "File", "Exit", &TForm1::AExitExecute)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QAction* about = MakeAction("AAbout", "Help", "About", &TForm1::AAboutExecute);
    about->setToolTip(QStringLiteral("About"));
    about->setStatusTip(QStringLiteral("About"));
    MakeAction("ADeleteProduct", "Product", "Delete", &TForm1::ADeleteProductExecute);
    MakeAction("AClearProducts", "Product", "Clear", &TForm1::AClearProductsExecute);
    MakeAction("ALoadProducts", "Product", "Load", &TForm1::ALoadProductsExecute);
    MakeAction("ASaveProducts", "Product", "Save", &TForm1::ASaveProductsExecute);
    MakeAction("ATestPads", "Product", "Test PADs", &TForm1::ATestPadsExecute);
    MakeAction("ATestPad", "Product", "Test PAD", &TForm1::ATestPadExecute);
    MakeAction("AValidatePads", "Product", "Validate PADs", &TForm1::AValidatePadsExecute);
    MakeAction("AValidatePad", "Product", "Validate PAD", &TForm1::AValidatePadExecute);
    MakeAction("ASubmitAuto", "Auto", "Submit", &TForm1::ASubmitAutoExecute);
    MakeAction("ASubmitAllAuto", "Auto", "Submit All", &TForm1::ASubmitAllAutoExecute);
    MakeAction("ARetryFailedAuto", "Auto", "Retry Failed", &TForm1::ARetryFailedAutoExecute);
    MakeAction("AOpenReportsAuto", "Auto", "Open Reports Folder", &TForm1::AOpenReportsAutoExecute);
    MakeAction("AProxy", "Settings", "Proxy...", &TForm1::AProxyExecute);
    MakeAction("AAuthorEmail", "Settings", "Author E-mail...", &TForm1::AAuthorEmailExecute);
    MakeAction("AAllowHttps", "Settings", "Allow https sites", &TForm1::AAllowHttpsExecute)->setCheckable(true);
    MakeAction("AAddSiteAuto", "Auto", "Add Site...", &TForm1::AAddSiteAutoExecute);
    MakeAction("AEditSiteAuto", "Auto", "Edit Site...", &TForm1::AEditSiteAutoExecute)->setEnabled(false);
    MakeAction("ADeleteSiteAuto", "Auto", "Delete Site", &TForm1::ADeleteSiteAutoExecute)->setEnabled(false);
    MakeAction("AAddManual", "Manual", "Add", &TForm1::AAddManualExecute);
    MakeAction("AEditManual", "Manual", "Edit", &TForm1::AEditManualExecute);
    MakeAction("ADeleteManual", "Manual", "Delete", &TForm1::ADeleteManualExecute);
    MakeAction("ADeleteSelectedManual", "Manual", "Selected", &TForm1::ADeleteSelectedManualExecute);
    MakeAction("ADeleteAllManual", "Manual", "All", &TForm1::ADeleteAllManualExecute);
    MakeAction("AVisitManual", "Manual", "Visit", &TForm1::AVisitManualExecute);
    MakeAction("ALoadManual", "Manual", "Load", &TForm1::ALoadManualExecute);
    MakeAction("ASaveManual", "Manual", "Save", &TForm1::ASaveManualExecute);
    MakeAction("ACheckProducts", "Product", "Check All", &TForm1::ACheckProductsExecute);
    MakeAction("AUnCheckProducts", "Product", "Uncheck All", &TForm1::AUnCheckProductsExecute);
    MakeAction("ACheckAuto", "Auto", "Check All", &TForm1::ACheckAutoExecute);
    MakeAction("AUnCheckAuto", "Auto", "UnCheck All", &TForm1::AUnCheckAutoExecute);
    MakeAction("ADeleteSelectedProduct", "Product", "Selected", &TForm1::ADeleteSelectedProductExecute);
    MakeAction("ADeleteCheckedProduct", "Product", "Checked", &TForm1::ADeleteCheckedProductExecute);
    MakeAction("ADeleteAllProduct", "Product", "All", &TForm1::ADeleteAllProductExecute);
}

// A menu entry of its own name that shows the action's caption and runs the action.
QAction* TForm1::Entry(QMenu* menu, const char* name, const char* actionName)
{
    return ToolBars::AddEntry(menu, name, Action(actionName));
}

void TForm1::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto menu = [this](QWidget* parent, const char* name, const char* title) {
        auto* m = new QMenu(U(title), parent);
        m->setObjectName(U(name));
        return m;
    };
    auto plainEntry = [this](QMenu* m, const char* name, const char* caption, void (TForm1::*handler)()) {
        auto* e = new QAction(U(caption), m);
        e->setObjectName(U(name));
        connect(e, &QAction::triggered, this,
                [this, handler] { ErrorGuard::Run([this, handler] { (this->*handler)(); }); });
        m->addAction(e);
        return e;
    };

    QMenu* file = menu(bar, "MFile", "File");
    plainEntry(file, "MExit", "Exit", &TForm1::MExitClick);
    bar->addMenu(file);

    QMenu* productsMenu = menu(bar, "MProducts", "Products");
    Entry(productsMenu, "MProductsAdd", "AAddProduct");
    Entry(productsMenu, "MProductsEdit", "AEditProduct");
    QMenu* del = menu(productsMenu, "MProductsDelete", "Delete");
    Entry(del, "MDeleteProductsSelected", "ADeleteSelectedProduct");
    Entry(del, "MDeleteProductsChecked", "ADeleteCheckedProduct");
    Entry(del, "MDeleteProductsAll", "ADeleteAllProduct");
    productsMenu->addMenu(del);
    productsMenu->addSeparator();
    Entry(productsMenu, "MProductsLoad", "ALoadProducts");
    Entry(productsMenu, "MProductsSave", "ASaveProducts");
    productsMenu->addSeparator();
    Entry(productsMenu, "MProductsCheckAll", "ACheckProducts");
    Entry(productsMenu, "MProductsUncheckAll", "AUnCheckProducts");
    productsMenu->addSeparator();
    Entry(productsMenu, "MProductsTestAll", "ATestPads");
    Entry(productsMenu, "MProductsValidateAll", "AValidatePads");
    bar->addMenu(productsMenu);

    QMenu* submit = menu(bar, "MSubmit", "Submit");
    Entry(submit, "MSubmitAuto", "ASubmitAllAuto");
    Entry(submit, "MRetryFailedAuto", "ARetryFailedAuto");
    submit->addSeparator();
    Entry(submit, "MAddSiteAuto", "AAddSiteAuto");
    Entry(submit, "MEditSiteAuto", "AEditSiteAuto");
    Entry(submit, "MDeleteSiteAuto", "ADeleteSiteAuto");
    submit->addSeparator();
    Entry(submit, "MOpenReportsAuto", "AOpenReportsAuto");
    bar->addMenu(submit);

    QMenu* settings = menu(bar, "MSettings", "Settings");
    QMenu* language = menu(settings, "MLanguage", "Language");
    mLangEnglish_ = plainEntry(language, "MLangEnglish", "English", &TForm1::MLangEnglishClick);
    mLangRussian_ = plainEntry(language, "MLangRussian", "Russian", &TForm1::MLangRussianClick);
    mLangEnglish_->setCheckable(true);
    mLangRussian_->setCheckable(true);
    settings->addMenu(language);
    Entry(settings, "MProxy", "AProxy");
    Entry(settings, "MAuthorEmail", "AAuthorEmail");
    settings->addAction(Action("AAllowHttps")); // checkable: the menu shows the action itself
    bar->addMenu(settings);

    QMenu* help = menu(bar, "MHelp", "Help");
    Entry(help, "MContent", "AContent");
    plainEntry(help, "MAbout", "About", &TForm1::MAboutClick);
    bar->addMenu(help);
}

void TForm1::BuildPages()
{
    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(pageControl_);

    auto popup = [this](const char* name) {
        auto* m = new QMenu(this);
        m->setObjectName(U(name));
        return m;
    };

    // Products page.
    auto* pageProducts = new QWidget;
    pageProducts->setObjectName(QStringLiteral("TabSheetProducts"));
    auto* toolBarProducts = new QWidget(pageProducts);
    toolBarProducts->setObjectName(QStringLiteral("ToolBarProducts"));
    QMenu* popupDeleteProduct = popup("PopupMenuDeleteProduct");
    Entry(popupDeleteProduct, "DeleteSelectedProducts", "ADeleteSelectedProduct");
    Entry(popupDeleteProduct, "DeleteCheckedProducts", "ADeleteCheckedProduct");
    Entry(popupDeleteProduct, "DeleteAllProducts", "ADeleteAllProduct");
    // The tool bar's two halves, before and after Load's break, stand in one row while the
    // window is wide enough for it, and one under the other when it is not.
    QToolBar* row1 = ToolBars::Make(toolBarProducts, "ToolBarProductsRow1", 70);
    QToolBar* row2 = ToolBars::Make(toolBarProducts, "ToolBarProductsRow2", 70);
    ToolBars::AddButton(row1, "ToolButtonAddProduct", Action("AAddProduct"), 70);
    ToolBars::AddButton(row1, "ToolButtonEditProduct", Action("AEditProduct"), 70);
    ToolBars::AddButton(row1, "ToolButtonDeleteProduct", Action("ADeleteProduct"), 70, popupDeleteProduct);
    ToolBars::AddButton(row1, "ToolButtonLoadProducts", Action("ALoadProducts"), 70);
    ToolBars::AddButton(row2, "ToolButtonSaveProducts", Action("ASaveProducts"), 70);
    ToolBars::AddButton(row2, "ToolButtonCheckProducts", Action("ACheckProducts"), 70);
    ToolBars::AddButton(row2, "ToolButtonUnCheckProducts", Action("AUnCheckProducts"), 70);
    ToolBars::AddButton(row2, "ToolButtonTestPads", Action("ATestPads"), 70);
    ToolBars::AddButton(row2, "ToolButtonValidatePads", Action("AValidatePads"), 70);
    auto* rows = new ToolBarRowsLayout(toolBarProducts);
    rows->addWidget(row1);
    rows->addWidget(row2);

    modelProducts_ = new ListRowsModel(products_, ListKind::Products,
                                       {QStringLiteral("Title"), QStringLiteral("URL"), QStringLiteral("Category"),
                                        QStringLiteral("Status")},
                                       this);
    listViewProducts_ = new TListView(modelProducts_, {200, 440, 300}, pageProducts);
    listViewProducts_->setObjectName(QStringLiteral("ListViewProducts"));
    QMenu* popupProducts = popup("PopupMenuProducts");
    Entry(popupProducts, "PMAddProduct", "AAddProduct");
    Entry(popupProducts, "PMEditProduct", "AEditProduct");
    Entry(popupProducts, "PMDeleteProduct", "ADeleteProduct");
    Entry(popupProducts, "PMCheck", "ATestPad");
    Entry(popupProducts, "PMValidate", "AValidatePad");
    listViewProducts_->SetPopupMenu(popupProducts);
    auto* layoutProducts = new QVBoxLayout(pageProducts);
    layoutProducts->setContentsMargins(0, 0, 0, 0);
    layoutProducts->setSpacing(0);
    layoutProducts->addWidget(toolBarProducts);
    layoutProducts->addWidget(listViewProducts_, 1);
    pageControl_->addTab(pageProducts, QStringLiteral("Products"));

    // Auto Submit page.
    pageAuto_ = new AutoSubmitPage(auto_, siteTable_,
                                   {Action("ACheckAuto"), Action("AUnCheckAuto"), Action("ASubmitAllAuto"),
                                    Action("ASubmitAuto"), Action("AAddSiteAuto"), Action("AEditSiteAuto"),
                                    Action("ADeleteSiteAuto")});
    connect(pageAuto_->ComboBoxSpeed(), &QComboBox::currentIndexChanged, this,
            [this](int i) { ErrorGuard::Run([this, i] { ComboBoxSpeedChange(i); }); });
    pageControl_->addTab(pageAuto_, QStringLiteral("Auto Submit"));

    // Manual Submit page.
    auto* pageManual = new QWidget;
    pageManual->setObjectName(QStringLiteral("TabSheetManual"));
    auto* panelTop = new QWidget(pageManual);
    panelTop->setObjectName(QStringLiteral("PanelTopManual"));
    QToolBar* toolBarManual = ToolBars::Make(panelTop, "ToolBarManual", 43);
    QMenu* popupDeleteManual = popup("PopupMenuDeleteManual");
    Entry(popupDeleteManual, "DeleteAllManual", "ADeleteAllManual");
    Entry(popupDeleteManual, "DeleteSelectedManual", "ADeleteSelectedManual");
    ToolBars::AddButton(toolBarManual, "ToolButtonAddManual", Action("AAddManual"), 43);
    ToolBars::AddButton(toolBarManual, "ToolButtonEditManual", Action("AEditManual"), 43);
    ToolBars::AddButton(toolBarManual, "ToolButtonDeleteManual", Action("ADeleteManual"), 43, popupDeleteManual);
    ToolBars::AddButton(toolBarManual, "ToolButtonLoadManual", Action("ALoadManual"), 43);
    ToolBars::AddButton(toolBarManual, "ToolButtonSaveManual", Action("ASaveManual"), 43);
    auto* layoutTop = new QVBoxLayout(panelTop);
    layoutTop->setContentsMargins(0, 0, 0, 0);
    layoutTop->addWidget(toolBarManual);

    auto* splitter = new QSplitter(Qt::Horizontal, pageManual);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setHandleWidth(3);
    splitter->setChildrenCollapsible(false);
    auto* panelLeft = new QWidget(splitter);
    panelLeft->setObjectName(QStringLiteral("PanelLeftManual"));
    modelManual_ = new ListRowsModel(manual_, ListKind::Manual,
                                     {QStringLiteral("Title"), QStringLiteral("URL"), QStringLiteral("Status")}, this);
    listViewManual_ = new TListView(modelManual_, {200, 300}, panelLeft);
    listViewManual_->setObjectName(QStringLiteral("ListViewManual"));
    QMenu* popupManual = popup("PopupMenuManual");
    auto* submitEntry = new QAction(QStringLiteral("Submit"), popupManual);
    submitEntry->setObjectName(QStringLiteral("MenuItem1"));
    submitEntry->setEnabled(false); // no command is bound to it
    popupManual->addAction(submitEntry);
    Entry(popupManual, "MenuItem2", "AVisitManual");
    Entry(popupManual, "MenuItem3", "AAddManual");
    Entry(popupManual, "MenuItem4", "AEditManual");
    Entry(popupManual, "MenuItem5", "ADeleteManual");
    listViewManual_->SetPopupMenu(popupManual);
    auto* layoutLeft = new QVBoxLayout(panelLeft);
    layoutLeft->setContentsMargins(0, 0, 0, 0);
    layoutLeft->addWidget(listViewManual_);
    panelBrowser_ = new TBrowserPanel(splitter);
    splitter->addWidget(panelLeft);
    splitter->addWidget(panelBrowser_);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({225, 372});
    auto* layoutManual = new QVBoxLayout(pageManual);
    layoutManual->setContentsMargins(0, 0, 0, 0);
    layoutManual->setSpacing(0);
    layoutManual->addWidget(panelTop);
    layoutManual->addWidget(splitter, 1);
    pageControl_->addTab(pageManual, QStringLiteral("Manual Submit"));

    connect(pageControl_, &QTabWidget::currentChanged, this,
            [this](int page) { ErrorGuard::Run([this, page] { PageControl1Change(page); }); });
    connect(listViewProducts_, &TListView::ItemSelected, this,
            [this](int row, bool on) { ErrorGuard::Run([=, this] { ListViewProductsSelectItem(row, on); }); });
    connect(pageAuto_->ListViewAuto(), &TListView::ItemSelected, this,
            [this](int row, bool on) { ErrorGuard::Run([=, this] { ListViewAutoSelectItem(row, on); }); });
    connect(listViewManual_, &TListView::ItemSelected, this,
            [this](int row, bool on) { ErrorGuard::Run([=, this] { ListViewManualSelectItem(row, on); }); });
    connect(listViewProducts_, &TListView::DeletePressed, Action("ADeleteProduct"), &QAction::trigger);
    connect(listViewManual_, &TListView::DeletePressed, Action("ADeleteManual"), &QAction::trigger);
    connect(listViewProducts_, &TListView::ListDoubleClicked, Action("AEditProduct"), &QAction::trigger);
    connect(listViewManual_, &TListView::ListDoubleClicked, Action("AVisitManual"), &QAction::trigger);
    connect(panelBrowser_, &TBrowserPanel::DocumentComplete, this,
            [this](bool) { ErrorGuard::Run([this] { WebBrowser1DocumentComplete(); }); });

    // The status bar follows every change of the pages' lists, whoever made it.
    const ListRowsModel* models[] = {modelProducts_, pageAuto_->Model(), modelManual_};
    for (int page = 0; page < 3; ++page) {
        const ListRowsModel* model = models[page];
        statusState_.AddPage(model->Rows(), [model](int row) { return model->SecondText(row); });
        auto changed = [this, page] {
            statusState_.ListChanged(page);
            ShowStatus();
        };
        connect(model, &QAbstractItemModel::rowsInserted, this, changed);
        connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
        connect(model, &QAbstractItemModel::modelReset, this, changed);
        connect(model, &QAbstractItemModel::dataChanged, this, changed);
    }
}

void TForm1::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panel->setTextFormat(Qt::PlainText); // titles and links from the files, shown as they are
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        statusPanels_[i] = panel;
    }
    statusPanels_[0]->setFixedWidth(100);
    statusPanels_[1]->setMinimumWidth(50);
    bar->addWidget(statusPanels_[0]);
    bar->addWidget(statusPanels_[1], 1);
}

void TForm1::BuildKeys()
{
    // Add, Edit, Load and Save have one key each, for the list of the page shown.
    auto byPage = [this](const char* name, QKeySequence key, const char* products, const char* manual) {
        auto* a = new QAction(actionList_);
        a->setObjectName(U(name));
        a->setShortcut(key);
        addAction(a);
        connect(a, &QAction::triggered, this, [this, products, manual] {
            const int page = pageControl_->currentIndex();
            if (page == 0) Action(products)->trigger();
            if (page == 2) Action(manual)->trigger();
        });
    };
    byPage("AKeyAdd", QKeySequence(Qt::CTRL | Qt::Key_N), "AAddProduct", "AAddManual");
    byPage("AKeyEdit", QKeySequence(Qt::CTRL | Qt::Key_E), "AEditProduct", "AEditManual");
    byPage("AKeyLoad", QKeySequence(Qt::CTRL | Qt::Key_O), "ALoadProducts", "ALoadManual");
    byPage("AKeySave", QKeySequence(Qt::CTRL | Qt::Key_S), "ASaveProducts", "ASaveManual");
    Action("ASubmitAllAuto")
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});

    // The browser's keys, on the Manual Submit page only.
    auto browserKey = [this](const char* name, QKeySequence key, const std::function<void()>& fn) {
        auto* a = new QAction(actionList_);
        a->setObjectName(U(name));
        a->setShortcut(key);
        addAction(a);
        connect(a, &QAction::triggered, this, [this, fn] {
            if (pageControl_->currentIndex() == 2) ErrorGuard::Run(fn);
        });
    };
    browserKey("AKeyRefresh", QKeySequence(Qt::Key_F5), [this] { panelBrowser_->Refresh(); });
    browserKey("AKeyAddress", QKeySequence(Qt::CTRL | Qt::Key_L), [this] {
        QComboBox* box = panelBrowser_->AddressBox();
        box->setFocus(Qt::ShortcutFocusReason);
        if (box->lineEdit()) box->lineEdit()->selectAll();
    });

    connect(listViewProducts_, &TListView::EnterPressed, Action("AEditProduct"), &QAction::trigger);
    connect(listViewManual_, &TListView::EnterPressed, Action("AVisitManual"), &QAction::trigger);

    // Menu entries show the key; the key itself belongs to the window's action, so an entry's
    // copy works only while its menu is open and never makes a key ambiguous.
    auto show = [this](const char* entry, QKeySequence key) {
        auto* e = findChild<QAction*>(U(entry));
        e->setShortcut(key);
        e->setShortcutContext(Qt::WidgetShortcut);
    };
    for (const char* entry : {"MProductsAdd", "PMAddProduct", "MenuItem3"})
        show(entry, QKeySequence(Qt::CTRL | Qt::Key_N));
    for (const char* entry : {"MProductsEdit", "PMEditProduct", "MenuItem4"})
        show(entry, QKeySequence(Qt::CTRL | Qt::Key_E));
    show("MProductsLoad", QKeySequence(Qt::CTRL | Qt::Key_O));
    show("MProductsSave", QKeySequence(Qt::CTRL | Qt::Key_S));
    show("MSubmitAuto", QKeySequence(Qt::CTRL | Qt::Key_Return));
}

TListView* TForm1::ListViewAuto() const
{
    return pageAuto_->ListViewAuto();
}

QString TForm1::StatusPanelText(int panel) const
{
    return statusPanels_[panel]->text();
}

// ---------------------------------------------------------------------------------------
// Start-up and shutdown

void TForm1::FormCreate()
{
    // Each step runs even when one before it failed; one message tells of any failure.
    // A catalogue file read only in part is told in its own words, file by file.
    std::string failures;
    std::vector<std::string> partReads;
    // A system install's first start that could not fill the user's folders says so.
    if (!files_.FillFailures().empty()) partReads.push_back(files_.FillFailures());
    auto step = [&failures, &partReads](const std::function<void()>& fn) {
        try {
            fn();
        } catch (const IncompleteRead& e) {
            partReads.emplace_back(e.what());
        } catch (const std::exception& e) {
            failures += std::string(failures.empty() ? "" : "; ") + e.what();
        }
    };

    MessageBoxes::SetTitle(windowTitle());
    // The program folder is files_ (set at construction).
    formAddProduct_ = new TFormAddProduct(this);
    formEditProduct_ = new TFormEditProduct(this);
    formAddManual_ = new TFormAddManual(this);
    formEditManual_ = new TFormEditManual(this);
    formProgress_ = new TFormProgress(this);
    formProxy_ = new TFormProxy(this);
    formAutoSite_ = new TFormAutoSite(this);
    formAuthorEmail_ = new TFormAuthorEmail(this);
    aboutBox_ = new TAboutBox(this);
    formAddProduct_->SetList(&products_);
    formEditProduct_->SetList(&products_);
    formAddManual_->SetList(&manual_);
    formEditManual_->SetList(&manual_);
    submission_ = std::make_unique<SubmitCommands>(
        SubmitCommands::Wiring{products_, auto_, siteTable_, formProgress_, prepared_,
                               [this](const std::string& address, const std::string& postData) {
                                   pageControl_->setCurrentIndex(2);
                                   panelBrowser_->NavigatePost(address, postData);
                               },
                               [this](const std::string& text) { ShowRunStatus(text); }, files_.FilesFolder()},
        this);
    modelProducts_->SetTipLines([this](int row) { return submission_->ValidationTip(row); });
    TItemDialog::PadFetchCalls fromPad;
    fromPad.Start = [this](const std::string& link, const std::vector<std::string>& categories, auto done) {
        submission_->FromPad().Start(link, categories, std::move(done));
    };
    fromPad.Cancel = [this] {
        if (submission_) submission_->FromPad().StopAll(std::chrono::seconds(1));
    };
    formAddProduct_->SetPadFetch(fromPad);
    formEditProduct_->SetPadFetch(fromPad);

    step([this, &partReads] {
        currentLanguage_ = IniFile::ReadString(files_.Settings(), ProgramFiles::SettingsSection,
                                               ProgramFiles::LanguageKey, ProgramFiles::DefaultLanguage);
        if (std::string why = IniFile::Unreadable(files_.Settings()); !why.empty()) partReads.push_back(why);
    });
    step([this] { ApplyLanguage(currentLanguage_); });
    step([this] {
        // A stored value that is no good proxy is not used: runs then connect directly.
        const auto proxy = ProxySetting::Parse(
            IniFile::ReadString(files_.Settings(), ProgramFiles::SettingsSection, ProxySetting::Key, ""));
        if (proxy && proxy->Used()) UseProxy(*proxy);
    });
    step([this] {
        // A stored address that could not be one is not used.
        const std::string email =
            IniFile::ReadString(files_.Settings(), ProgramFiles::SettingsSection, OwnSites::EmailKey, "");
        if (OwnSites::CheckEmail(email).empty()) submission_->SetAuthorEmail(email);
        const bool https =
            IniFile::ReadString(files_.Settings(), ProgramFiles::SettingsSection, AllowHttpsKey, "0") == "1";
        Action("AAllowHttps")->setChecked(https);
        submission_->SetAllowHttps(https);
    });
    step([this] {
        QSignalBlocker block(pageControl_);
        pageControl_->setCurrentIndex(0);
    });
    step([this] {
        speed_ = 1;
        submission_->SetSpeed(speed_);
        pageAuto_->FillSpeeds();
    });
    step([this] { categories_ = CatalogueFile::ReadCategories(files_.Data(ProgramFiles::Categories)); });
    step([this] { CatalogueFile::ReadList(products_, files_.Data(ProgramFiles::Products)); });
    step([this, &partReads] {
        // The author's sites come after the built-in ones; a file that cannot be read leaves
        // the built-in rows alone, and its broken lines are told, not dropped.
        const std::string path = files_.Data(OwnSites::FileName);
        try {
            ownSites_.Load(path);
        } catch (const FileError& e) {
            partReads.emplace_back(e.what());
        }
        const std::string skipped = ownSites_.SkippedMessage(path);
        if (!skipped.empty()) partReads.push_back(skipped);
        siteTable_ = ownSites_.Combined();
        auto_.BeginUpdate();
        auto_.Clear();
        for (const SiteRecord& site : siteTable_.Rows()) {
            ListRow row;
            row.Caption = site.Title;
            row.Checked = true;
            auto_.Add(std::move(row));
        }
        auto_.EndUpdate();
    });
    step([this] { CatalogueFile::ReadList(manual_, files_.Data(ProgramFiles::Sites), true); });
    step([this] {
        statusState_.ShowPage(0);
        ShowStatus();
    });
    step([this] { WindowLayoutView::Apply(WindowLayoutView::Read(files_.Settings(), LayoutParts()), LayoutParts()); });

    if (!failures.empty()) ApplicationEvents1Exception(failures.c_str());
    for (const std::string& text : partReads) MessageBoxes::Show(LocalText::ToQ(text));
}

bool TForm1::FormClose()
{
    // Runs and tests still under way are broken off before anything is written.
    submission_->StopAll(std::chrono::seconds(1));
    // Rows that may not go over a file that was not read whole go aside; the user is told where.
    auto save = [this](ListRows& list, const char* name, int fields) {
        const std::string path = files_.Data(name);
        const std::string written = CatalogueFile::SaveOnClose(list, path, fields);
        list.SetModified(false);
        if (!written.empty() && written != path)
            MessageBoxes::Show(LocalText::ToQ(CatalogueFile::PutAsideMessage(path, written)));
    };
    // The manual list is saved only when the user says so, but a change is not lost unasked.
    if (manual_.Modified()) {
        const MessageBoxes::Answer answer =
            MessageBoxes::AskYesNoCancel(U(ListCommands::SaveManualQuestion), MessageBoxes::Title());
        if (answer == MessageBoxes::Answer::Cancel) return false;
        if (answer == MessageBoxes::Answer::Yes &&
            !ErrorGuard::Run([&] { save(manual_, ProgramFiles::Sites, CatalogueFile::SiteFields); }))
            return false;
    }
    return ErrorGuard::Run([&] {
        save(products_, ProgramFiles::Products, CatalogueFile::ProductFields);
        IniFile::WriteString(files_.Settings(), ProgramFiles::SettingsSection, ProgramFiles::LanguageKey,
                             currentLanguage_);
        WindowLayoutView::Take(LayoutParts()).Write(files_.Settings());
    });
}

WindowLayoutView::Parts TForm1::LayoutParts()
{
    return {const_cast<TForm1*>(this),
            pageControl_,
            {listViewProducts_, ListViewAuto(), listViewManual_},
            findChild<QSplitter*>(QStringLiteral("Splitter1")),
            manualPageShown_};
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (FormClose())
        event->accept();
    else
        event->ignore(); // the window stays open; Ctrl+Q still ends the program
}

void TForm1::FormKeyDown(QKeyEvent* event)
{
    // The window's own keys only: a key typed into one of its controls (a list, a box, the
    // tab bar, a button, a web page) and left unused there still passes by here, but is
    // not the window's.
    const QWidget* focus = QApplication::focusWidget();
    const bool windowHasFocus = focus == nullptr || focus == this || !isAncestorOf(focus);
    if (windowHasFocus && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // Escape breaks off a PAD validation under way; otherwise it closes the window.
        if (submission_->Validating())
            submission_->CancelValidation();
        else
            close();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TForm1::keyPressEvent(QKeyEvent* event)
{
    FormKeyDown(event);
}

void TForm1::MExitClick()
{
    close();
}

void TForm1::AExitExecute()
{
    if (ExitHook())
        ExitHook()();
    else
        QCoreApplication::exit(0);
}

void TForm1::setExitHook(std::function<void()> hook)
{
    ExitHook() = std::move(hook);
}

void TForm1::ApplicationEvents1Exception(const char* what)
{
    ErrorGuard::Report(what);
}

// ---------------------------------------------------------------------------------------
// Languages

std::optional<QString> TForm1::LanguageCaption(const std::string& key)
{
    return captions_->Caption(key);
}

void TForm1::ApplyLanguage(const std::string& language)
{
    mLangEnglish_->setChecked(language == "English");
    mLangRussian_->setChecked(language == "Russian");
    captions_->Apply(files_.Language(language));
    AccessibleNames::Apply(this); // the names follow the new captions
}

void TForm1::MLangEnglishClick()
{
    currentLanguage_ = "English";
    ApplyLanguage(currentLanguage_);
}

void TForm1::MLangRussianClick()
{
    currentLanguage_ = "Russian";
    ApplyLanguage(currentLanguage_);
}

// ---------------------------------------------------------------------------------------
// Help and about

void TForm1::AContentExecute()
{
    const std::string help = files_.Help(currentLanguage_);
    if (help.empty()) return;
    const QString path = LocalText::ToQ(help);
    // Where the desktop has no program for text files, the text shows in our own viewer.
    if (!ShellOpen::File(path)) THelpViewer::Open(path, this);
}

void TForm1::MAboutClick()
{
    ApplyLanguage(currentLanguage_);
    aboutBox_->ShowModal();
}

void TForm1::AAboutExecute()
{
    MAboutClick();
}

// ---------------------------------------------------------------------------------------
// Shared list commands

void TForm1::DeleteSelectedRows(ListRows& list)
{
    if (list.SelectedCount() == 0) {
        MessageBoxes::Show(U(ListCommands::SelectItemFirst));
        return;
    }
    if (MessageBoxes::Ask(U(ListCommands::ConfirmText), U(ListCommands::ConfirmCaption)) != MessageBoxes::Answer::Ok)
        return;
    ListCommands::DeleteSelected(list);
}

void TForm1::LoadList(ListRows& list, bool checkRows)
{
    const QString name = FileDialogs::Open(this);
    if (name.isEmpty()) return;
    try {
        CatalogueFile::ReadList(list, LocalText::ToBytes(name), checkRows);
    } catch (const IncompleteRead& e) {
        MessageBoxes::Show(LocalText::ToQ(e.what())); // the list shows what could be read
    }
}

void TForm1::SaveList(ListRows& list, const char* presetName, int fields)
{
    const QString name = FileDialogs::Save(this, U(presetName));
    if (name.isEmpty()) return;
    const std::string path = LocalText::ToBytes(name);
    // The user chose to replace the file, also one that could not be read.
    CatalogueFile::SaveList(list, path, fields);
}

void TForm1::ShowStatus()
{
    statusPanels_[0]->setText(LocalText::ToQ(statusState_.Total()));
    statusPanels_[1]->setText(LocalText::ToQ(statusState_.Row()));
}

void TForm1::ShowRunStatus(const std::string& text)
{
    statusState_.ShowMessage(text);
    ShowStatus();
}

// ---------------------------------------------------------------------------------------
// Products page

void TForm1::AAddProductExecute()
{
    ApplyLanguage(currentLanguage_);
    formAddProduct_->FillCategories(categories_, categories_.empty() ? -1 : 0);
    formAddProduct_->ShowModal();
}

void TForm1::AEditProductExecute()
{
    ApplyLanguage(currentLanguage_);
    const int row = ListCommands::BeginEdit(products_);
    if (row < 0) {
        MessageBoxes::Show(U(ListCommands::SelectItemFirst));
        return;
    }
    formEditProduct_->SetTexts(products_.Caption(row), products_.Text(row, ProductColumn::PadLink));
    formEditProduct_->FillCategories(categories_,
                                     ListCommands::CategoryIndex(categories_,
                                                                 products_.Text(row, ProductColumn::Category)));
    formEditProduct_->ShowModal();
}

void TForm1::ADeleteProductExecute()
{
    DeleteSelectedRows(products_);
}

void TForm1::ADeleteSelectedProductExecute()
{
    DeleteSelectedRows(products_);
}

void TForm1::ADeleteCheckedProductExecute()
{
    ListCommands::DeleteChecked(products_);
}

void TForm1::ADeleteAllProductExecute()
{
    ListCommands::DeleteAll(products_);
}

void TForm1::AClearProductsExecute()
{
    ListCommands::DeleteAll(products_);
}

void TForm1::ALoadProductsExecute()
{
    LoadList(products_, false);
}

void TForm1::ASaveProductsExecute()
{
    SaveList(products_, ProgramFiles::Products, CatalogueFile::ProductFields);
}

void TForm1::ACheckProductsExecute()
{
    products_.SetAllChecked(true);
}

void TForm1::AUnCheckProductsExecute()
{
    products_.SetAllChecked(false);
}

void TForm1::ATestPadsExecute()
{
    submission_->TestPads();
}

void TForm1::ATestPadExecute()
{
    submission_->TestPad();
}

void TForm1::AValidatePadsExecute()
{
    submission_->SetCategories(categories_);
    submission_->ValidatePads();
}

void TForm1::AValidatePadExecute()
{
    submission_->SetCategories(categories_);
    submission_->ValidatePad();
}

void TForm1::ASubmitAutoExecute()
{
    submission_->Submit();
}

void TForm1::ASubmitAllAutoExecute()
{
    submission_->SubmitAll();
}

void TForm1::ARetryFailedAutoExecute()
{
    submission_->RetryFailed();
}

void TForm1::AOpenReportsAutoExecute()
{
    submission_->OpenReportsFolder();
}

// ---------------------------------------------------------------------------------------
// Proxy

void TForm1::AProxyExecute()
{
    ApplyLanguage(currentLanguage_);
    formProxy_->SetValue(submission_->Proxy());
    if (!formProxy_->ShowModal()) return;
    const ProxySetting proxy = formProxy_->Value();
    // Kept at once, not only at close: the setting survives a program that does not end well.
    IniFile::WriteString(files_.Settings(), ProgramFiles::SettingsSection, ProxySetting::Key, proxy.Text());
    UseProxy(proxy);
}

// ---------------------------------------------------------------------------------------
// The author's own automatic sites

void TForm1::AAllowHttpsExecute()
{
    const bool on = Action("AAllowHttps")->isChecked();
    IniFile::WriteString(files_.Settings(), ProgramFiles::SettingsSection, AllowHttpsKey, on ? "1" : "0");
    submission_->SetAllowHttps(on);
}

void TForm1::AAuthorEmailExecute()
{
    ApplyLanguage(currentLanguage_);
    formAuthorEmail_->SetValue(submission_->AuthorEmail());
    if (!formAuthorEmail_->ShowModal()) return;
    const std::string email = formAuthorEmail_->Value();
    IniFile::WriteString(files_.Settings(), ProgramFiles::SettingsSection, OwnSites::EmailKey, email);
    submission_->SetAuthorEmail(email);
}

int TForm1::SelectedOwnSite() const
{
    const int row = auto_.FirstSelected();
    const int index = row - ownSites_.Base().Count();
    return row < 0 || index < 0 || index >= static_cast<int>(ownSites_.Sites().size()) ? -1 : index;
}

void TForm1::UpdateSiteActions()
{
    const bool own = SelectedOwnSite() >= 0;
    Action("AEditSiteAuto")->setEnabled(own);
    Action("ADeleteSiteAuto")->setEnabled(own);
}

void TForm1::ShowOwnSites(const std::string& checkedTitle)
{
    // The built-in rows stay as they are; the author's rows are made anew, each keeping the
    // check box and status it had under its title. A site just added or edited is checked.
    const int base = ownSites_.Base().Count();
    std::map<std::string, std::pair<bool, std::string>> kept;
    for (int row = base; row < auto_.Count(); ++row)
        kept[auto_.Caption(row)] = {auto_.Row(row).Checked, auto_.Text(row, 1)};
    siteTable_ = ownSites_.Combined();
    auto_.BeginUpdate();
    while (auto_.Count() > base) auto_.Delete(auto_.Count() - 1);
    for (const SiteRecord& site : ownSites_.Sites()) {
        ListRow row;
        row.Caption = site.Title;
        const auto it = kept.find(site.Title);
        row.Checked = site.Title == checkedTitle || it == kept.end() || it->second.first;
        const int added = auto_.Add(std::move(row));
        if (it != kept.end() && site.Title != checkedTitle) auto_.SetText(added, 1, it->second.second);
    }
    auto_.EndUpdate();
    UpdateSiteActions();
}

void TForm1::ChangeOwnSites(const std::function<std::string(OwnSites&)>& change, const std::string& checkedTitle)
{
    if (submission_->Run().Running()) return; // the run reads the table row by row
    OwnSites before = ownSites_;
    const std::string refusal = change(ownSites_);
    if (!refusal.empty()) {
        MessageBoxes::Show(LocalText::ToQ(refusal));
        return;
    }
    try {
        ownSites_.Save(files_.Data(OwnSites::FileName));
    } catch (const FileError& e) {
        ownSites_ = std::move(before);
        MessageBoxes::Show(LocalText::ToQ(std::string(e.what())));
        return;
    }
    ShowOwnSites(checkedTitle);
}

void TForm1::AAddSiteAutoExecute()
{
    ApplyLanguage(currentLanguage_);
    formAutoSite_->SetNew();
    formAutoSite_->SetCheck([this](const SiteRecord& site) { return ownSites_.Check(site); });
    if (!formAutoSite_->ShowModal()) return;
    const SiteRecord site = formAutoSite_->Site();
    ChangeOwnSites([&site](OwnSites& own) { return own.Add(site); }, site.Title);
}

void TForm1::AEditSiteAutoExecute()
{
    const int index = SelectedOwnSite();
    if (index < 0) return;
    ApplyLanguage(currentLanguage_);
    formAutoSite_->SetSite(ownSites_.Sites()[static_cast<size_t>(index)]);
    formAutoSite_->SetCheck([this, index](const SiteRecord& site) { return ownSites_.Check(site, index); });
    if (!formAutoSite_->ShowModal()) return;
    const SiteRecord site = formAutoSite_->Site();
    ChangeOwnSites([&site, index](OwnSites& own) { return own.Replace(index, site); }, site.Title);
}

void TForm1::ADeleteSiteAutoExecute()
{
    const int index = SelectedOwnSite();
    if (index < 0) return;
    ChangeOwnSites(
        [index](OwnSites& own) {
            own.Remove(index);
            return std::string();
        },
        {});
}

void TForm1::UseProxy(const ProxySetting& proxy)
{
    submission_->SetProxy(proxy);
    // The browser takes Qt's application proxy when the system's configuration is not used.
    if (proxy.Used()) {
        QNetworkProxyFactory::setUseSystemConfiguration(false);
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, LocalText::ToQ(proxy.Host), static_cast<quint16>(proxy.Port)));
    } else {
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    }
}

// ---------------------------------------------------------------------------------------
// Auto Submit page

void TForm1::ACheckAutoExecute()
{
    auto_.SetAllChecked(true);
}

void TForm1::AUnCheckAutoExecute()
{
    auto_.SetAllChecked(false);
}

void TForm1::ComboBoxSpeedChange(int index)
{
    if (index < 0) return;
    speed_ = index + 1;
    submission_->SetSpeed(speed_);
}

// ---------------------------------------------------------------------------------------
// Manual Submit page

void TForm1::AAddManualExecute()
{
    ApplyLanguage(currentLanguage_);
    formAddManual_->ShowModal();
}

void TForm1::AEditManualExecute()
{
    ApplyLanguage(currentLanguage_);
    const int row = ListCommands::BeginEdit(manual_);
    if (row < 0) {
        MessageBoxes::Show(U(ListCommands::SelectItemFirst));
        return;
    }
    formEditManual_->SetTexts(manual_.Caption(row), manual_.Text(row, ManualColumn::Link));
    formEditManual_->ShowModal();
}

void TForm1::ADeleteManualExecute()
{
    DeleteSelectedRows(manual_);
}

void TForm1::ADeleteSelectedManualExecute()
{
    DeleteSelectedRows(manual_);
}

void TForm1::ADeleteAllManualExecute()
{
    ListCommands::DeleteAll(manual_);
}

void TForm1::AVisitManualExecute()
{
    const int row = manual_.FirstSelected();
    if (row < 0) {
        MessageBoxes::Show(U(ListCommands::SelectItemFirst));
        return;
    }
    panelBrowser_->NavigateTo(manual_.Text(row, ManualColumn::Link));
}

void TForm1::ALoadManualExecute()
{
    LoadList(manual_, true);
}

void TForm1::ASaveManualExecute()
{
    SaveList(manual_, ProgramFiles::Sites, CatalogueFile::SiteFields);
}

void TForm1::SetSubmission(const std::string& scriptUrl, const std::string& linkField, const std::string& padLink)
{
    prepared_ = {scriptUrl, linkField, padLink};
}

void TForm1::WebBrowser1DocumentComplete()
{
    if (FormFillScript::Applies(panelBrowser_->AddressText(), prepared_.ScriptUrl))
        panelBrowser_->RunScript(FormFillScript::Build(prepared_.LinkField, prepared_.PadLink));
}

// ---------------------------------------------------------------------------------------
// Page changes and selections

void TForm1::PageControl1Change(int page)
{
    if (page == 2) manualPageShown_ = true;
    statusState_.ShowPage(page);
    ShowStatus();
}

void TForm1::ListViewProductsSelectItem(int row, bool)
{
    statusState_.RowSelected(0, row);
    ShowStatus();
}

void TForm1::ListViewAutoSelectItem(int row, bool)
{
    statusState_.RowSelected(1, row);
    ShowStatus();
    UpdateSiteActions();
}

void TForm1::ListViewManualSelectItem(int row, bool)
{
    statusState_.RowSelected(2, row);
    ShowStatus();
}
