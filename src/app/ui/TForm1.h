#pragma once

#include "app/ProgramFiles.h"
#include "app/ui/StatusBarView.h"
#include "app/ui/WindowHelp.h"
#include "app/ui/WindowLayoutView.h"
#include "catalogue/ListRows.h"
#include "catalogue/ui/ProductsPage.h"
#include "common/PreparedSubmission.h"
#include "common/Settings.h"
#include "manual/ui/ManualSubmitPage.h"
#include "submit/OwnSites.h"
#include "submit/SiteTable.h"
#include "submit/ui/AutoSubmitPage.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ActionList;
class HistoryStore;
class PadCommands;
class THistoryWindow;
class UndoCommands;
class CaptionTable;
class OwnSiteCommands;
class SiteSetCommands;
class QAction;
class QTabWidget;
class TAboutBox;
class TBrowserPanel;
class TFormProgress;
class TFormProxy;
class SubmitCommands;
struct ProxySetting;
class TListView;
class TThemeManager;

// The main window: it holds the three lists, the site table, the history of runs, the
// submission and the PAD commands, builds the Products, Auto Submit and Manual Submit pages
// over them (each page owns its widgets, its actions and their handlers), and puts their
// actions on the main menu and its keys; it keeps the status bar, the languages, the help,
// the proxy, the history window, and the start and close of the program: what is read at
// start and written at close.
//
// Files: programFolder holds data/, language/ and help/. When it is empty, the
// executable's folder is used and the settings file is the executable's name + ".ini"
// beside it; when a folder is given (tests, portable use) the settings file is
// "quillpost.ini" in that folder.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* Caption = "Quillpost 1.3";

    // `sites`: the automatic sites, the built-in table when null (tests pass their own). The
    // author's own sites of data/autosites.dat come after them.
    explicit TForm1(const QString& programFolder = QString(), QWidget* parent = nullptr,
                    const SiteTable* sites = nullptr);
    ~TForm1() override;

    // Sets every caption of every window from the language file of `language`, re-read
    // from disk; a caption the file does not name keeps its current text.
    void ApplyLanguage(const std::string& language);
    const std::string& CurrentLanguage() const { return currentLanguage_; }

    ListRows& ProductsList() { return products_; }
    ListRows& AutoList() { return auto_; }
    ListRows& ManualList() { return manual_; }
    const std::vector<std::string>& Categories() const { return pageProducts_->Categories(); }
    // Submit All, Retry Failed and Submit, with the workers they have under way.
    SubmitCommands& Submission() { return *submission_; }
    // Test PAD(s), Validate PAD(s) and the PAD downloads, with their workers.
    PadCommands& PadChecks() { return *padCommands_; }
    // The history of runs; none when it could not be opened.
    HistoryStore* History() const { return history_.get(); }
    int Speed() const { return pageAuto_->Speed(); }
    const ProgramFiles& Files() const { return files_; }
    QString StatusPanelText(int panel) const { return statusBar_->PanelText(panel); }

    ProductsPage* PageProducts() const { return pageProducts_; }
    AutoSubmitPage* PageAuto() const { return pageAuto_; }
    ManualSubmitPage* PageManual() const { return pageManual_; }
    OwnSiteCommands* OwnSiteEditing() const { return ownSiteCommands_; }
    SiteSetCommands* SiteSetEditing() const { return siteSetCommands_; }
    TFormProgress* FormProgress() const { return formProgress_; }
    TFormProxy* FormProxy() const { return formProxy_; }
    // The Auto Submit list's table: the given sites, then the author's own.
    const SiteTable& Sites() const { return siteTable_; }
    const OwnSites& AuthorSites() const { return ownSites_; }
    TAboutBox* AboutBox() const { return aboutBox_; }
    TBrowserPanel* PanelBrowser() const { return pageManual_->PanelBrowser(); }
    TListView* ListViewProducts() const { return pageProducts_->ListViewProducts(); }
    TListView* ListViewAuto() const { return pageAuto_->ListViewAuto(); }
    TListView* ListViewManual() const { return pageManual_->ListViewManual(); }

    // The submission last prepared, whose page gets its PAD-link field filled when it has
    // loaded in the browser panel.
    void SetSubmission(const std::string& scriptUrl, const std::string& linkField, const std::string& padLink)
    {
        prepared_ = {scriptUrl, linkField, padLink};
    }
    const std::string& SubmitScriptUrlText() const { return prepared_.ScriptUrl; }

    // The caption that language key `key` names, as it stands now; nothing when no control
    // of this program carries that key.
    std::optional<QString> LanguageCaption(const std::string& key);

    // What Ctrl+Q does to end the program (the event loop's exit); tests replace it.
    static void setExitHook(std::function<void()> hook);

    // Commands of the window itself.
    void AContentExecute();
    void AKeyHelpExecute(); // F1: the help at the section of the page shown
    void AExitExecute();
    void AAboutExecute();
    void AProxyExecute();
    // History... (Ctrl+H): the history window, one at a time, not modal.
    void AHistoryAutoExecute();
    // File > Restore Unsaved Changes: the lists' changes that a session before this one did not
    // save (it was ended by Ctrl+Q, a crash or a kill) come back, each list's as one step to undo.
    void ARestoreUnsavedExecute();

    // Handlers.
    void MExitClick();
    void MAboutClick();
    void MLangEnglishClick();
    void MLangRussianClick();
    void PageControl1Change(int page);
    void ListViewProductsSelectItem(int row, bool selected);
    void ListViewAutoSelectItem(int row, bool selected);
    void ListViewManualSelectItem(int row, bool selected);
    static void ApplicationEvents1Exception(const char* what);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    bool FormClose();
    // Breaks off every run, test and download and waits for their workers.
    void StopWorkers();
    void FormKeyDown(QKeyEvent* event);
    // The lists kept in files, in page order.
    std::vector<ListDocument*> Documents();
    // At start: the status bar offers the recovery copies newer than their lists' files.
    void OfferUnsaved();
    // The parts whose layout (size, place, column widths, split, page) the settings file keeps.
    WindowLayoutView::Parts LayoutParts();

    void BuildActions();
    void BuildPages();

    // Runs go through `proxy` from now on, and so does the browser.
    void UseProxy(const ProxySetting& proxy);
    // The captions anew from the current language's file, before a dialog opens.
    void RefreshCaptions() { ApplyLanguage(currentLanguage_); }

    ProgramFiles files_;
    Settings settings_;
    OwnSites ownSites_;   // the author's sites, shown after the given table
    SiteTable siteTable_; // row i of the Auto Submit list is its row i
    std::string currentLanguage_;
    WindowHelp help_{files_, currentLanguage_, this};
    ListRows products_;
    ListRows auto_;
    ListRows manual_;

    PreparedSubmission prepared_; // read by the form fill when a page has loaded
    std::unique_ptr<ActionList> actions_;
    std::unique_ptr<UndoCommands> undo_;    // Undo and Redo of the page shown
    std::unique_ptr<HistoryStore> history_; // outlives the commands that record into it
    std::unique_ptr<SubmitCommands> submission_;
    std::unique_ptr<PadCommands> padCommands_; // uses submission_
    QPointer<THistoryWindow> historyWindow_;

    QTabWidget* pageControl_ = nullptr;
    ProductsPage* pageProducts_ = nullptr;
    AutoSubmitPage* pageAuto_ = nullptr;
    ManualSubmitPage* pageManual_ = nullptr;
    OwnSiteCommands* ownSiteCommands_ = nullptr;
    SiteSetCommands* siteSetCommands_ = nullptr;
    std::unique_ptr<CaptionTable> captions_;
    StatusBarView* statusBar_ = nullptr;
    // The Manual Submit page has been shown, so its splitter has been laid out: before that
    // its sizes are only the panels' hints and are not worth remembering.
    bool manualPageShown_ = false;
    QAction* mLangEnglish_ = nullptr;
    QAction* mLangRussian_ = nullptr;
    TThemeManager* themeManager_ = nullptr;

    TFormProgress* formProgress_ = nullptr;
    TFormProxy* formProxy_ = nullptr;
    TAboutBox* aboutBox_ = nullptr;
};
