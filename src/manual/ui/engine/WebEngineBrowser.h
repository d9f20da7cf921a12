#pragma once

#include "manual/ui/BrowserEngine.h"

#include <QObject>

class QWebEngineProfile;
class TBrowserPage;

// The browser panel's engine on Qt WebEngine: a private profile that keeps nothing on disk
// and fetches without the HTTP cache, the page that keeps pages inside the web, and the view.
class WebEngineBrowser : public QObject, public BrowserEngine {
    Q_OBJECT
public:
    WebEngineBrowser(QWidget* parent, Events events);
    ~WebEngineBrowser() override;

    QWebEngineView* View() override;
    QWidget* Widget() override;
    void Load(const QUrl& url, const QByteArray* postData) override;
    void AddSubmission(const QUrl& url) override;
    void RunScript(const QString& script) override;
    void Back() override;
    void Forward() override;
    void Stop() override;
    void Reload() override;
    void SetHtml(const QString& html) override;
    QUrl Url() const override;
    void ClearHistory() override;
    void Print(QPrinter* printer) override;

private:
    Events events_;
    QWebEngineProfile* profile_ = nullptr;
    TBrowserPage* page_ = nullptr;
    QWebEngineView* view_ = nullptr;
};

// The module's one export.
class BrowserPlugin : public QObject, public BrowserEngineFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID BrowserEngineFactory_iid)
    Q_INTERFACES(BrowserEngineFactory)
public:
    BrowserEngine* MakeEngine(QWidget* parent, BrowserEngine::Events events) override;
};
