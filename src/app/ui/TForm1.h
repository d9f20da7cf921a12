#pragma once

#include "app/ProgramFiles.h"
#include "app/StatusPanels.h"
#include "app/ui/WindowLayoutView.h"
#include "catalogue/ListRows.h"
#include "common/PreparedSubmission.h"
#include "submit/OwnSites.h"
#include "submit/SiteTable.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class AutoSubmitPage;
class CaptionTable;
class ListRowsModel;
class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class TAboutBox;
class TFormAuthorEmail;
class TFormAutoSite;
class TBrowserPanel;
class TFormAddManual;
class TFormAddProduct;
class TFormEditManual;
class TFormEditProduct;
class TFormProgress;
class TFormProxy;
class SubmitCommands;
struct ProxySetting;
class TListView;
class TThemeManager;

// The main window: the Products, Auto Submit and Manual Submit pages with their tool bars
// and lists, the main menu, the pop-up menus and the status bar. It owns the three lists,
// the category list, the secondary windows and every action, and wires them together: each
// command is a short call into the core or into the page or window it concerns.
//
// Files: programFolder holds data/, language/ and help/. When it is empty, the
// executable's folder is used and the settings file is the executable's name + ".ini"
// beside it; when a folder is given (tests, portable use) the settings file is
// "quillpost.ini" in that folder.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* Caption = "Quillpost 1.3";
    // Settings file, section Configuration: "1" lets Submit All send to https sites.
    static constexpr const char* AllowHttpsKey = "AllowHttps";

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
    const std::vector<std::string>& Categories() const { return categories_; }
    // Submit All, Submit and the PAD tests, with the workers they have under way.
    SubmitCommands& Submission() { return *submission_; }
    int Speed() const { return speed_; }
    const ProgramFiles& Files() const { return files_; }
    QString StatusPanelText(int panel) const;

    TFormAddProduct* FormAddProduct() const { return formAddProduct_; }
    TFormEditProduct* FormEditProduct() const { return formEditProduct_; }
    TFormAddManual* FormAddManual() const { return formAddManual_; }
    TFormEditManual* FormEditManual() const { return formEditManual_; }
    TFormProgress* FormProgress() const { return formProgress_; }
    TFormProxy* FormProxy() const { return formProxy_; }
    TFormAutoSite* FormAutoSite() const { return formAutoSite_; }
    TFormAuthorEmail* FormAuthorEmail() const { return formAuthorEmail_; }
    // The Auto Submit list's table: the given sites, then the author's own.
    const SiteTable& Sites() const { return siteTable_; }
    const OwnSites& AuthorSites() const { return ownSites_; }
    TAboutBox* AboutBox() const { return aboutBox_; }
    TBrowserPanel* PanelBrowser() const { return panelBrowser_; }
    TListView* ListViewProducts() const { return listViewProducts_; }
    TListView* ListViewAuto() const;
    TListView* ListViewManual() const { return listViewManual_; }

    // The submission last prepared, whose page gets its PAD-link field filled when it has
    // loaded in the browser panel.
    void SetSubmission(const std::string& scriptUrl, const std::string& linkField, const std::string& padLink);
    const std::string& SubmitScriptUrlText() const { return prepared_.ScriptUrl; }

    // The caption that language key `key` names, as it stands now; nothing when no control
    // of this program carries that key.
    std::optional<QString> LanguageCaption(const std::string& key);

    // What Ctrl+Q does to end the program (the event loop's exit); tests replace it.
    static void setExitHook(std::function<void()> hook);

    // Commands.
    void AAddProductExecute();
    void AEditProductExecute();
    void AContentExecute();
    void AExitExecute();
    void AAboutExecute();
    void ADeleteProductExecute();
    void AClearProductsExecute();
    void ALoadProductsExecute();
    void ASaveProductsExecute();
    void ATestPadsExecute();
    void ATestPadExecute();
    void AValidatePadsExecute();
    void AValidatePadExecute();
    void ASubmitAutoExecute();
    void ASubmitAllAutoExecute();
    void ARetryFailedAutoExecute();
    void AOpenReportsAutoExecute();
    void AProxyExecute();
    void AAuthorEmailExecute();
    void AAllowHttpsExecute();
    void AAddSiteAutoExecute();
    void AEditSiteAutoExecute();
    void ADeleteSiteAutoExecute();
    void AAddManualExecute();
    void AEditManualExecute();
    void ADeleteManualExecute();
    void ADeleteSelectedManualExecute();
    void ADeleteAllManualExecute();
    void AVisitManualExecute();
    void ALoadManualExecute();
    void ASaveManualExecute();
    void ACheckProductsExecute();
    void AUnCheckProductsExecute();
    void ACheckAutoExecute();
    void AUnCheckAutoExecute();
    void ADeleteSelectedProductExecute();
    void ADeleteCheckedProductExecute();
    void ADeleteAllProductExecute();

    // Handlers.
    void MExitClick();
    void MAboutClick();
    void MLangEnglishClick();
    void MLangRussianClick();
    void PageControl1Change(int page);
    void ComboBoxSpeedChange(int index);
    void ListViewProductsSelectItem(int row, bool selected);
    void ListViewAutoSelectItem(int row, bool selected);
    void ListViewManualSelectItem(int row, bool selected);
    void WebBrowser1DocumentComplete();
    static void ApplicationEvents1Exception(const char* what);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    bool FormClose();
    void FormKeyDown(QKeyEvent* event);
    // The parts whose layout (size, place, column widths, split, page) the settings file keeps.
    WindowLayoutView::Parts LayoutParts();

    void BuildActions();
    void BuildMenus();
    void BuildPages();
    void BuildStatusBar();
    // The keys of the commands, and beside their menu entries the keys that run them.
    void BuildKeys();
    QAction* MakeAction(const char* name, const char* category, const char* caption, void (TForm1::*handler)());
    QAction* Action(const char* name) const;
    QAction* Entry(QMenu* menu, const char* name, const char* actionName);

    // The commands that the Products and Manual Submit pages share.
    void DeleteSelectedRows(ListRows& list);
    void LoadList(ListRows& list, bool checkRows);
    void SaveList(ListRows& list, const char* presetName, int fields);
    // The status bar's panels as statusState_ has them now.
    void ShowStatus();
    // A run's progress or result in the second panel.
    void ShowRunStatus(const std::string& text);
    // Runs go through `proxy` from now on, and so does the browser.
    void UseProxy(const ProxySetting& proxy);
    // The author's sites: the one selected in the Auto Submit list (-1 when none is), the
    // list's rows after a change (check boxes and statuses kept by title), the entries that
    // only apply to them, and a change made, saved, and undone again when it cannot be saved.
    int SelectedOwnSite() const;
    void ShowOwnSites(const std::string& checkedTitle = {});
    void UpdateSiteActions();
    void ChangeOwnSites(const std::function<std::string(OwnSites&)>& change, const std::string& checkedTitle);

    ProgramFiles files_;
    OwnSites ownSites_;   // the author's sites, shown after the given table
    SiteTable siteTable_; // row i of the Auto Submit list is its row i
    std::string currentLanguage_;
    int speed_ = 1;
    std::vector<std::string> categories_;
    ListRows products_;
    ListRows auto_;
    ListRows manual_;

    PreparedSubmission prepared_; // read by the form fill when a page has loaded
    std::unique_ptr<SubmitCommands> submission_;

    std::map<std::string, QAction*> actions_;
    QObject* actionList_ = nullptr;
    QTabWidget* pageControl_ = nullptr;
    AutoSubmitPage* pageAuto_ = nullptr;
    std::unique_ptr<CaptionTable> captions_;
    QLabel* statusPanels_[2] = {nullptr, nullptr};
    StatusPanels statusState_;
    // The Manual Submit page has been shown, so its splitter has been laid out: before that
    // its sizes are only the panels' hints and are not worth remembering.
    bool manualPageShown_ = false;
    ListRowsModel* modelProducts_ = nullptr;
    ListRowsModel* modelManual_ = nullptr;
    TListView* listViewProducts_ = nullptr;
    TListView* listViewManual_ = nullptr;
    TBrowserPanel* panelBrowser_ = nullptr;
    QAction* mLangEnglish_ = nullptr;
    QAction* mLangRussian_ = nullptr;
    TThemeManager* themeManager_ = nullptr;

    TFormAddProduct* formAddProduct_ = nullptr;
    TFormEditProduct* formEditProduct_ = nullptr;
    TFormAddManual* formAddManual_ = nullptr;
    TFormEditManual* formEditManual_ = nullptr;
    TFormProgress* formProgress_ = nullptr;
    TFormProxy* formProxy_ = nullptr;
    TFormAutoSite* formAutoSite_ = nullptr;
    TFormAuthorEmail* formAuthorEmail_ = nullptr;
    TAboutBox* aboutBox_ = nullptr;
};
