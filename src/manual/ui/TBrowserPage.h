#pragma once

#include <QWebEnginePage>

class QWebEngineProfile;

// The page behind the browser panel's view. It keeps pages away from local files: a
// file: address is loaded only when the panel itself asked for it (the user typed it into
// the address box or visited a manual site with such a link); a page's links, forms,
// scripts, redirects and frames never reach one. Links that ask for a new window open in
// this page, since the panel has no windows or tabs of its own.
class TBrowserPage : public QWebEnginePage {
    Q_OBJECT
public:
    TBrowserPage(QWebEngineProfile* profile, QObject* parent = nullptr);

    // The next top-level load that the panel starts may be a file: address.
    void AllowNextFileLoad();

signals:
    // A navigation to `url` was refused because it would have opened a local file.
    void NavigationRefused(const QUrl& url);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    bool m_allowFileLoad = false;
};
