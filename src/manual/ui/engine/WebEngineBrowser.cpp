#include "manual/ui/engine/WebEngineBrowser.h"

#include "manual/ui/engine/TBrowserPage.h"

#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

WebEngineBrowser::WebEngineBrowser(QWidget* parent, Events events) : events_(std::move(events))
{
    profile_ = new QWebEngineProfile(this);
    profile_->setHttpCacheType(QWebEngineProfile::NoCache);
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    QWebEngineSettings* settings = profile_->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    page_ = new TBrowserPage(profile_);
    view_ = new QWebEngineView(parent);
    view_->setObjectName(QStringLiteral("WebBrowser1"));
    view_->setPage(page_);
    view_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    connect(view_, &QWebEngineView::loadProgress, this, [this](int percent) { events_.Progress(percent); });
    connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) { events_.LoadFinished(ok); });
    connect(page_, &TBrowserPage::NavigationRefused, this, [this](const QUrl& url) { events_.NavigationRefused(url); });
    // A page's own print requests (window.print()) are left unanswered: a page asking in a
    // loop would keep the user in print dialogs. Only the panel's Print prints.
    connect(view_, &QWebEngineView::printFinished, this, [this](bool ok) { events_.PrintFinished(ok); });
}

WebEngineBrowser::~WebEngineBrowser()
{
    // The view goes before its page, and the page before its profile (a child of this).
    delete view_;
    delete page_;
}

QWebEngineView* WebEngineBrowser::View()
{
    return view_;
}

QWidget* WebEngineBrowser::Widget()
{
    return view_;
}

void WebEngineBrowser::Load(const QUrl& url, const QByteArray* postData)
{
    page_->ExpectOwnLoad();
    if (postData == nullptr) {
        view_->load(url);
        return;
    }
    QWebEngineHttpRequest request(url, QWebEngineHttpRequest::Post);
    request.setHeader(QByteArrayLiteral("Content-Type"), QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setPostData(*postData);
    view_->load(request);
}

void WebEngineBrowser::AddSubmission(const QUrl& url)
{
    page_->AddSubmission(url);
}

void WebEngineBrowser::RunScript(const QString& script)
{
    // In a world of its own: the page's scripts share the document but not the functions,
    // so a page that redefines them cannot mislead or watch the script.
    page_->runJavaScript(script, QWebEngineScript::ApplicationWorld);
}

void WebEngineBrowser::Back()
{
    view_->back();
}

void WebEngineBrowser::Forward()
{
    view_->forward();
}

void WebEngineBrowser::Stop()
{
    view_->stop();
}

void WebEngineBrowser::Reload()
{
    view_->reload();
}

void WebEngineBrowser::SetHtml(const QString& html)
{
    view_->setHtml(html);
}

QUrl WebEngineBrowser::Url() const
{
    return view_->url();
}

void WebEngineBrowser::ClearHistory()
{
    page_->history()->clear();
}

void WebEngineBrowser::Print(QPrinter* printer)
{
    view_->print(printer);
}

BrowserEngine* BrowserPlugin::MakeEngine(QWidget* parent, BrowserEngine::Events events)
{
    return new WebEngineBrowser(parent, std::move(events));
}
