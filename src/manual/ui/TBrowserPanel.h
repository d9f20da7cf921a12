#pragma once

#include "common/Phrase.h"

#include <QWidget>

#include <functional>
#include <string>

class BrowserEngine;
class QComboBox;
class QPrinter;
class QProgressBar;
class QShowEvent;
class QToolBar;
class QToolButton;
class QUrl;
class QWebEngineView;

// The small web browser on the right of the Manual Submit page (object name
// "PanelBrowser"): address box, navigation buttons, the page view and a progress bar.
// Child object names: CoolBar1, ComboBoxAdress, ToolBarNavi, ToolButtonBack,
// ToolButtonForward, ToolButtonStop, ToolButtonRefresh, ToolButtonHome, ToolButtonPrint,
// WebBrowser1, ProgressBar1.
//
// Pages are fetched without the HTTP cache, in a private profile that keeps nothing on
// disk. A page never reaches a local file: file: addresses load only through the panel's
// own loads (Enter in the address box, NavigateTo, NavigatePost). Those loads never run a
// javascript: address: it is refused with the panel's explanation page. A page's own
// print requests are ignored; only Print prints. The address box shows what the program
// or the user put there, not the page on display. The panel's own loads start the history
// afresh: Back and Forward walk only the links followed since.
//
// The web engine (profile, page and view) is made on first use: when the panel is first
// shown, or when an operation needs the view. It comes from the browser module, loaded
// then (BrowserModule), so that a start which never needs it does not pay for Qt WebEngine.
// Until then an empty frame holds the view's place; the other controls exist from the
// start. When the module cannot be loaded, the frame says so with the loader's reason and
// the operations do nothing.
class TBrowserPanel : public QWidget {
    Q_OBJECT
public:
    explicit TBrowserPanel(QWidget* parent = nullptr);
    ~TBrowserPanel() override;

    // The address box's text as 8-bit bytes.
    std::string AddressText() const;
    // Puts `url` into the address box unchanged and loads it (no post data). Once it has
    // loaded, it is the only page in the history.
    void NavigateTo(const std::string& url);
    // Puts `url` into the address box and loads it with `postData` sent as the body of a
    // POST request: a submission. It leaves no history to go back through: once its answer
    // has loaded, that answer is the only page in the history, and it is neither reloaded nor
    // gone back to later (either would send the submission again).
    void NavigatePost(const std::string& url, const std::string& postData);
    // Runs a script in the current top-level page, isolated from the page's own scripts.
    void RunScript(const std::string& script);

    // The page view, made (with the whole web engine) if it is not there yet; nullptr when
    // the browser module cannot be loaded.
    QWebEngineView* View();
    // Whether the view has been made.
    bool EngineMade() const;
    // What the frame says when the browser module could not be loaded; empty otherwise.
    QString FailureText() const;
    // The view's place: an empty frame until the view is made, then the view's parent.
    QWidget* Frame() const;
    QComboBox* AddressBox() const;
    QProgressBar* Progress() const;

    // The buttons' commands.
    void GoBack();
    void GoForward();
    void StopLoading();
    void Refresh();
    // Shows the panel's own page about what it is for (the engine names no home page).
    void GoHome();
    // Asks for a printer (or a PDF file) through the print dialog and prints the page.
    void Print();

    // Test hooks. The print dialog hook gets the printer to set up and returns true to
    // print; the message hook receives what would be shown in a message box. An empty
    // function restores the real dialog or message box.
    static void SetPrintDialogHook(std::function<bool(QPrinter&)> hook);
    static void SetMessageHook(std::function<void(const QString&)> hook);

signals:
    // The page finished loading (ok false: it could not be loaded). The engine reports one
    // completion per top-level navigation, after the page's frames have loaded.
    void DocumentComplete(bool ok);
    // A page tried to open a local file (or hand an address to another program, as
    // mailto: would) and was stopped.
    void NavigationRefused(const QUrl& url);
    // A print started by Print ended.
    void PrintFinished(bool ok);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The engine, made if it is not there yet; nullptr (and the frame says why) when the
    // module cannot be loaded.
    BrowserEngine* Engine();
    void ShowFailure(const Phrase& error);
    void LoadFromAddressBox();
    // False when the address was refused and nothing loads.
    bool Load(const QString& text, const QByteArray* postData);
    // After a page of the panel's own loads (Enter, NavigateTo, NavigatePost) has loaded: Back
    // has no way to the pages before it. After a submission's answer, nothing loads that answer
    // again.
    void StartHistoryAfresh(bool submission);
    void ShowMessage(const QString& text);
    void ExplainUnopenedAddress();
    // Shows the panel's own page saying that `requested` was not opened: `sentence`, one of
    // our texts, with %1 for the address.
    void ShowExplanation(const QString& requested, const char* sentence);

    struct Impl;
    Impl* d;
};
