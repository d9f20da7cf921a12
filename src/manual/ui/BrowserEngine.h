#pragma once

#include <QtPlugin>

#include <functional>

class QByteArray;
class QPrinter;
class QString;
class QUrl;
class QWebEngineView;
class QWidget;

// The web engine behind the browser panel: a page view with its page and private profile.
// It lives in the browser module (quillpost-browser.so beside the program), which alone
// links Qt WebEngine; the program knows it only through this header and loads the module
// when the browser is first needed (BrowserModule).
//
// Made and used on the GUI thread. The panel owns it; deleting it deletes the view, then the
// page, then the profile.
class BrowserEngine {
public:
    // What the engine tells the panel. Each is called on the GUI thread, never during the call
    // that made the engine.
    struct Events {
        std::function<void(int percent)> Progress;
        std::function<void(bool ok)> LoadFinished;
        // A page tried to leave the web (a local file, an address for another program).
        std::function<void(const QUrl& url)> NavigationRefused;
        std::function<void(bool ok)> PrintFinished;
    };

    virtual ~BrowserEngine() = default;

    // The page view (object name WebBrowser1), a child of the parent it was made with.
    virtual QWebEngineView* View() = 0;
    // The view as a plain widget, for layouts and focus chains.
    virtual QWidget* Widget() = 0;
    // Loads `url` as the panel's own load, the one kind that may open a local file. With
    // `postData`, it is sent as the form-encoded body of a POST request.
    virtual void Load(const QUrl& url, const QByteArray* postData) = 0;
    // `url` answered a submission: it is neither reloaded nor gone back or forward to.
    virtual void AddSubmission(const QUrl& url) = 0;
    // Runs `script` in the top-level page, in a world apart from the page's own scripts.
    virtual void RunScript(const QString& script) = 0;
    virtual void Back() = 0;
    virtual void Forward() = 0;
    virtual void Stop() = 0;
    virtual void Reload() = 0;
    virtual void SetHtml(const QString& html) = 0;
    virtual QUrl Url() const = 0;
    virtual void ClearHistory() = 0;
    // Prints the page on display; `printer` must outlive the Events::PrintFinished call.
    virtual void Print(QPrinter* printer) = 0;
};

// What the module exports: the maker of engines.
class BrowserEngineFactory {
public:
    virtual ~BrowserEngineFactory() = default;
    // A new engine whose view is a child of `parent`.
    virtual BrowserEngine* MakeEngine(QWidget* parent, BrowserEngine::Events events) = 0;
};

#define BrowserEngineFactory_iid "org.quillpost.BrowserEngineFactory/1"
Q_DECLARE_INTERFACE(BrowserEngineFactory, BrowserEngineFactory_iid)
