#pragma once

#include "catalogue/ListDocument.h"

#include <QWidget>

#include <functional>
#include <string>

class ActionList;
class ListRows;
class ListRowsModel;
class QSplitter;
class TBrowserPanel;
class TFormAddManual;
class TFormEditManual;
class TListView;
struct PreparedSubmission;

// The Manual Submit page (TabSheetManual): the tool bar ToolBarManual in PanelTopManual, the
// list of sites ListViewManual with its pop-up PopupMenuManual and Delete's drop-down
// PopupMenuDeleteManual, the browser panel beside it (Splitter1), the Add Site and Edit Site
// dialogs, and the Manual actions with their handlers. When the script address of the
// submission last prepared has loaded in the browser, its PAD-link field is filled; the
// pop-up's Submit prepares the selected site's page for the product selected on Products.
//
// Lives on the GUI thread; the lists, the prepared submission, the action list and the window
// outlive it.
class ManualSubmitPage : public QWidget {
    Q_OBJECT
public:
    // `sites` is kept in `sitesPath`, which is watched for changes by other programs.
    // `refreshCaptions` sets the captions anew from the language file before a dialog opens;
    // `tell` puts a text into the status bar.
    ManualSubmitPage(ListRows& sites, const ListRows& products, const std::string& sitesPath,
                     PreparedSubmission& prepared, ActionList& actions, std::function<void()> refreshCaptions,
                     std::function<void(const Phrase&)> tell, QWidget* parent = nullptr);
    ~ManualSubmitPage() override;

    ListDocument& Document() { return document_; }
    ListRowsModel* Model() const { return model_; }
    TListView* ListViewManual() const { return listView_; }
    TBrowserPanel* PanelBrowser() const { return panelBrowser_; }
    QSplitter* Splitter() const { return splitter_; }
    TFormAddManual* FormAddManual() const { return formAddManual_; }
    TFormEditManual* FormEditManual() const { return formEditManual_; }

    void AAddManualExecute();
    void AEditManualExecute();
    void ADeleteManualExecute();
    void ADeleteSelectedManualExecute();
    void ADeleteAllManualExecute();
    void AVisitManualExecute();
    void ALoadManualExecute();
    void ASaveManualExecute();
    // The pop-up's Submit: opens the selected site's link in the browser and, once it has
    // loaded, fills its PAD-link field with the PAD link of the product selected on Products.
    // Offered only while such a product is selected.
    void MenuItem1Click();
    void WebBrowser1DocumentComplete();

private:
    void BuildActions();
    void BuildWidgets();

    ListRows& sites_;
    const ListRows& products_;
    ListDocument document_;
    PreparedSubmission& prepared_;
    ActionList& actions_;
    std::function<void()> refreshCaptions_;
    std::function<void(const Phrase&)> tell_;
    ListRowsModel* model_ = nullptr;
    TListView* listView_ = nullptr;
    QSplitter* splitter_ = nullptr;
    TBrowserPanel* panelBrowser_ = nullptr;
    TFormAddManual* formAddManual_ = nullptr;
    TFormEditManual* formEditManual_ = nullptr;
};
