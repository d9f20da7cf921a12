#include "app/ui/TForm1.h"

#include "app/StartSteps.h"
#include "app/ui/MainMenu.h"
#include "app/ui/ProgramFolder.h"
#include "app/ui/StatusBarView.h"
#include "app/ui/TFormProxy.h"
#include "app/ui/WindowLayoutView.h"
#include "catalogue/ui/ActionList.h"
#include "catalogue/ui/ListPageCommands.h"
#include "catalogue/ui/ProductsPage.h"
#include "catalogue/ui/TListView.h"
#include "catalogue/ui/UndoCommands.h"
#include "common/IniFile.h"
#include "common/ProxySetting.h"
#include "common/ui/AccessibleNames.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/LanguageListeners.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ShownText.h"
#include "history/ui/THistoryWindow.h"
#include "lang/HelpFile.h"
#include "lang/LanguageTexts.h"
#include "lang/ui/CaptionTable.h"
#include "lang/ui/QtTranslations.h"
#include "lang/ui/TAboutBox.h"
#include "lang/ui/TThemeManager.h"
#include "manual/ui/ManualSubmitPage.h"
#include "manual/ui/TBrowserPanel.h"
#include "submit/OpenedHistory.h"
#include "submit/SiteSets.h"
#include "submit/ui/AutoSubmitPage.h"
#include "submit/ui/OwnSiteCommands.h"
#include "submit/ui/PadCommands.h"
#include "submit/ui/SiteSetCommands.h"
#include "submit/ui/SubmitCommands.h"
#include "submit/ui/TFormProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QStatusBar>
#include <QTabWidget>

#include <chrono>

namespace {

std::function<void()>& ExitHook()
{
    static std::function<void()> hook;
    return hook;
}

} // namespace

TForm1::TForm1(const QString& programFolder, QWidget* parent, const SiteTable* sites)
    : QMainWindow(parent),
      files_(ProgramFolder::Files(programFolder)),
      settings_(files_.Settings()),
      ownSites_(sites ? *sites : SiteTable::BuiltIn()),
      siteTable_(ownSites_.Combined()),
      products_(4, true),
      auto_(2, false),
      manual_(3, true)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(Caption));
    WindowLayoutView::FirstLook(this);

    actions_ = std::make_unique<ActionList>(this);
    formProgress_ = new TFormProgress(this);
    submission_ = std::make_unique<SubmitCommands>(
        SubmitCommands::Wiring{products_, auto_, siteTable_, formProgress_, prepared_,
                               [this](const std::string& address, const std::string& postData) {
                                   pageControl_->setCurrentIndex(2);
                                   PanelBrowser()->NavigatePost(address, postData);
                               },
                               [this](const Phrase& text) { statusBar_->ShowMessage(text); }, files_.FilesFolder()},
        this);
    padCommands_ = std::make_unique<PadCommands>(*submission_);
    BuildActions();
    BuildPages();
    const MainMenu::LanguageEntries languages =
        MainMenu::Build(this, *actions_,
                        {[this] { MExitClick(); }, [this] { MAboutClick(); }, [this] { MLangEnglishClick(); },
                         [this] { MLangRussianClick(); }, [this](QMenu* menu) { siteSetCommands_->FillMenu(menu); }});
    mLangEnglish_ = languages.English;
    mLangRussian_ = languages.Russian;
    statusBar_ = new StatusBarView(statusBar(), {pageProducts_->Model(), pageAuto_->Model(), pageManual_->Model()});
    MainMenu::BuildKeys(
        *actions_, [this] { return pageControl_->currentIndex(); }, [this] { AKeyHelpExecute(); });
    MainMenu::ShowKeys(this);
    captions_ = std::make_unique<CaptionTable>(this, pageControl_);
    themeManager_ = new TThemeManager(this);

    FormCreate();
}

TForm1::~TForm1()
{
    // No worker outlives the window it writes to. The commands go after the pages: a dialog
    // that closes may still cancel its download.
    StopWorkers();
    // The pages, with their views, models and histories, go before the lists they show.
    undo_->SetTarget(nullptr);
    delete pageControl_;
    pageControl_ = nullptr;
}

// ---------------------------------------------------------------------------------------
// Building the window from its pages

void TForm1::BuildActions()
{
    actions_->Make("AContent", "Help", "Content", [this] { AContentExecute(); });
    actions_->Make("AExit", "File", "Exit", [this] { AExitExecute(); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QAction* about = actions_->Make("AAbout", "Help", "About", [this] { AAboutExecute(); });
    about->setToolTip(QStringLiteral("About"));
    about->setStatusTip(QStringLiteral("About"));
    actions_->Make("AProxy", "Settings", "Proxy...", [this] { AProxyExecute(); });
    actions_->Make("ARestoreUnsaved", "File", "Restore Unsaved Changes", [this] { ARestoreUnsavedExecute(); })
        ->setEnabled(false);
}

void TForm1::BuildPages()
{
    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(pageControl_);
    auto refresh = [this] { RefreshCaptions(); };
    auto tell = [this](const Phrase& text) { statusBar_->ShowMessage(text); };

    ProductsPage::PadCalls pad = padCommands_->Calls([this] { return Categories(); });
    // The editor's section is headed by the command that opens it, in the language shown.
    pad.Editor.Help = [this] {
        help_.At(QString::fromStdString(HelpFile::PlainCaption((*actions_)("AEditPadFile")->text().toStdString())));
    };
    pageProducts_ =
        new ProductsPage(products_, files_.Data(ProgramFiles::Products), *actions_, std::move(pad), refresh, tell);
    pageControl_->addTab(pageProducts_, QStringLiteral("Products"));

    ownSiteCommands_ = new OwnSiteCommands({ownSites_, siteTable_, auto_, *submission_, settings_,
                                            files_.Data(OwnSites::FileName), refresh, tell},
                                           *actions_);
    siteSetCommands_ =
        new SiteSetCommands({auto_, siteTable_, files_.Data(SiteSets::FileName), refresh, tell}, *actions_);
    pageAuto_ = new AutoSubmitPage(auto_, siteTable_, *submission_, *actions_, [this] { AHistoryAutoExecute(); });
    pageControl_->addTab(pageAuto_, QStringLiteral("Auto Submit"));

    pageManual_ =
        new ManualSubmitPage(manual_, products_, files_.Data(ProgramFiles::Sites), prepared_, *actions_, refresh, tell);
    pageControl_->addTab(pageManual_, QStringLiteral("Manual Submit"));

    undo_ = std::make_unique<UndoCommands>(*actions_);
    undo_->Follow(pageProducts_->Document().History());
    undo_->Follow(pageManual_->Document().History());
    undo_->SetTarget(&pageProducts_->Document().History());

    connect(pageControl_, &QTabWidget::currentChanged, this,
            [this](int page) { ErrorGuard::Run([this, page] { PageControl1Change(page); }); });
    connect(ListViewProducts(), &TListView::ItemSelected, this,
            [this](int row, bool on) { ErrorGuard::Run([=, this] { ListViewProductsSelectItem(row, on); }); });
    connect(ListViewAuto(), &TListView::ItemSelected, this,
            [this](int row, bool on) { ErrorGuard::Run([=, this] { ListViewAutoSelectItem(row, on); }); });
    connect(ListViewManual(), &TListView::ItemSelected, this,
            [this](int row, bool on) { ErrorGuard::Run([=, this] { ListViewManualSelectItem(row, on); }); });
}

// ---------------------------------------------------------------------------------------
// Start-up and shutdown

void TForm1::FormCreate()
{
    // Each step runs even when one before it failed; one message tells of any failure, and
    // one each of the files read only in part.
    StartSteps steps;
    // A system install's first start that could not fill the user's folders says so.
    steps.Tell(files_.FillFailures());
    auto step = [&steps](const std::function<void()>& fn) { steps.Run(fn); };

    MessageBoxes::SetTitle(windowTitle());
    formProxy_ = new TFormProxy(this);
    aboutBox_ = new TAboutBox(this);

    step([this, &steps] {
        currentLanguage_ = settings_.Language();
        steps.Tell(IniFile::Unreadable(files_.Settings()));
    });
    step([this] { ApplyLanguage(currentLanguage_); });
    step([this] {
        // A stored value that is no good proxy is not used: runs then connect directly.
        const auto proxy = settings_.Proxy();
        if (proxy && proxy->Used()) UseProxy(*proxy);
    });
    step([this] { ownSiteCommands_->ReadSettings(); });
    step([this] { pageAuto_->UseSettings(settings_); });
    // A history that cannot be used is told of; the program works on without recording.
    step([this, &steps] {
        OpenedHistory opened =
            OpenedHistory::Open(files_.FilesFolder() + FileLocations::HistoryFile, files_.FilesFolder());
        history_ = std::move(opened.Store);
        submission_->SetHistory(history_.get());
        steps.Tell(std::move(opened.Told));
    });
    step([this] {
        QSignalBlocker block(pageControl_);
        pageControl_->setCurrentIndex(0);
    });
    step([this] { pageAuto_->ResetSpeed(); });
    step([this] { pageProducts_->ReadCategories(files_.Data(ProgramFiles::Categories)); });
    step([this] { pageProducts_->Document().ReadAtStart(); });
    step([this, &steps] {
        for (std::string& text : ownSiteCommands_->ReadSites()) steps.Tell(std::move(text));
    });
    step([this] { pageManual_->Document().ReadAtStart(); });
    step([this] { statusBar_->ShowPage(0); });
    step([this] { OfferUnsaved(); });
    step([this] { WindowLayoutView::Apply(WindowLayoutView::Read(settings_, LayoutParts()), LayoutParts()); });

    if (!steps.Failures().empty()) ApplicationEvents1Exception(steps.Failures().c_str());
    for (const std::string& text : steps.Told()) MessageBoxes::Show(Phrase(text));
}

bool TForm1::FormClose()
{
    if (!pageProducts_->FormPadEditor()->MayDrop()) return false;
    // Runs and tests still under way are broken off before anything is written.
    StopWorkers();
    if (!ListPageCommands::SaveAtClose(pageProducts_->Document(), pageManual_->Document())) return false;
    return ErrorGuard::Run([&] {
        settings_.SetLanguage(currentLanguage_);
        settings_.SetLayout(WindowLayoutView::Take(LayoutParts()));
    });
}

WindowLayoutView::Parts TForm1::LayoutParts()
{
    return {this,
            pageControl_,
            {ListViewProducts(), ListViewAuto(), ListViewManual()},
            pageManual_->Splitter(),
            manualPageShown_};
}

void TForm1::StopWorkers()
{
    // Within one second together.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    submission_->StopAll(std::chrono::seconds(1));
    padCommands_->StopAll(deadline);
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
        if (padCommands_->Validating())
            padCommands_->CancelValidation();
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

std::vector<ListDocument*> TForm1::Documents()
{
    return {&pageProducts_->Document(), &pageManual_->Document()};
}

void TForm1::OfferUnsaved()
{
    const std::string names = ListDocument::OfferedNames(Documents());
    (*actions_)("ARestoreUnsaved")->setEnabled(!names.empty());
    if (!names.empty()) statusBar_->ShowMessage(ListDocument::OfferMessage(names));
}

void TForm1::ARestoreUnsavedExecute()
{
    int first = -1;
    const Phrase told = ListDocument::RestoreOffered(Documents(), first);
    (*actions_)("ARestoreUnsaved")->setEnabled(false);
    if (first >= 0) pageControl_->setCurrentIndex(first == 0 ? 0 : 2); // Products, Manual Submit
    if (first >= 0) statusBar_->ShowMessage(told);
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
// Languages, help and settings

std::optional<QString> TForm1::LanguageCaption(const std::string& key)
{
    return captions_->Caption(key);
}

void TForm1::ApplyLanguage(const std::string& language)
{
    mLangEnglish_->setChecked(language == "English");
    mLangRussian_->setChecked(language == "Russian");
    QtTranslations::Use(language);
    const std::string path = files_.Language(language);
    const LanguagePass& pass =
        captions_->Apply(path,
                         {[this](const std::string& word) { return undo_->Word(word); },
                          [this](const std::string& word, const std::string& shown) { undo_->SetWord(word, shown); }});
    ShownText::Use(LanguageTexts::From(pass)); // the same reading of the file as the captions
    if (statusBar_) statusBar_->Show();
    if (statusBar_ && !captions_->Notice().empty()) statusBar_->ShowMessage(Phrase(captions_->Notice()));
    AccessibleNames::Apply(this); // the names follow the new captions
    LanguageListeners::Notify();  // and every other window we show
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

void TForm1::AContentExecute()
{
    help_.Content();
}

void TForm1::AKeyHelpExecute()
{
    // The page's tab caption, in the language shown, is in its section's heading.
    help_.At(pageControl_->tabText(pageControl_->currentIndex()));
}

void TForm1::AHistoryAutoExecute()
{
    if (historyWindow_) {
        historyWindow_->Refresh();
        historyWindow_->raise();
        historyWindow_->activateWindow();
    } else if (!history_) {
        MessageBoxes::Show(Phrase(OpenedHistory::HistoryOffText));
    } else {
        historyWindow_ = THistoryWindow::Open(*history_, pageAuto_->HistoryCalls(), this);
    }
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

void TForm1::AProxyExecute()
{
    ApplyLanguage(currentLanguage_);
    formProxy_->SetValue(submission_->Proxy());
    if (!formProxy_->ShowModal()) return;
    const ProxySetting proxy = formProxy_->Value();
    // Kept at once, not only at close: the setting survives a program that does not end well.
    settings_.SetProxy(proxy);
    UseProxy(proxy);
}

void TForm1::UseProxy(const ProxySetting& proxy)
{
    submission_->SetProxy(proxy);
    TFormProxy::UseInBrowser(proxy);
}

// ---------------------------------------------------------------------------------------
// Page changes and selections

void TForm1::PageControl1Change(int page)
{
    undo_->SetTarget(page == 0   ? &pageProducts_->Document().History()
                     : page == 2 ? &pageManual_->Document().History()
                                 : nullptr);
    if (page == 2) manualPageShown_ = true;
    statusBar_->ShowPage(page);
}

void TForm1::ListViewProductsSelectItem(int row, bool)
{
    statusBar_->RowSelected(0, row);
}

void TForm1::ListViewAutoSelectItem(int row, bool)
{
    statusBar_->RowSelected(1, row);
    ownSiteCommands_->UpdateSiteActions();
}

void TForm1::ListViewManualSelectItem(int row, bool)
{
    statusBar_->RowSelected(2, row);
}
