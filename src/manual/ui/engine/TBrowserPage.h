#pragma once

#include <QList>
#include <QUrl>
#include <QWebEnginePage>

class QWebEngineProfile;

// The page behind the browser panel's view. It keeps pages inside the web: an address
// outside it (a local file: address, or a scheme that the engine would hand to another
// program of this computer, such as mailto:) opens only when the panel itself asked for
// it, that is when the user typed it into the address box or visited a manual site with
// such a link. A page's links, forms, scripts, redirects and frames never reach one.
// Links that ask for a new window open in this page, since the panel has no windows or
// tabs of its own.
//
// It also keeps a submission from being sent twice: going back or forward to the page that
// answered a submission of the panel, or reloading it, would post the form again (the engine
// keeps no copy of the page), so such navigations are refused.
class TBrowserPage : public QWebEnginePage {
    Q_OBJECT
public:
    TBrowserPage(QWebEngineProfile* profile, QObject* parent = nullptr);

    // The next top-level load is the panel's own (it may leave the web).
    void ExpectOwnLoad();
    // `url` was posted to by a submission: it is not loaded again from the history or by a
    // reload.
    void AddSubmission(const QUrl& url);

signals:
    // A navigation to `url` was refused because it would have left the web.
    void NavigationRefused(const QUrl& url);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    bool m_ownLoadExpected = false;
    QList<QUrl> m_submissions;
};
