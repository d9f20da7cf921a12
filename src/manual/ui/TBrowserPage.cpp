#include "manual/ui/TBrowserPage.h"

#include <QUrl>

TBrowserPage::TBrowserPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

void TBrowserPage::AllowNextFileLoad()
{
    m_allowFileLoad = true;
}

bool TBrowserPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    // Only the application's own loads arrive as "typed"; a page cannot ask for one.
    const bool ownLoad = isMainFrame && type == NavigationTypeTyped;
    const bool allowFile = ownLoad && m_allowFileLoad;
    if (isMainFrame && type != NavigationTypeRedirect) m_allowFileLoad = false;

    if (url.scheme().compare(QStringLiteral("file"), Qt::CaseInsensitive) != 0) return true;
    // Going back, forward or reloading reaches only entries that were accepted before.
    if (allowFile || (isMainFrame && (type == NavigationTypeBackForward || type == NavigationTypeReload)))
        return true;
    emit NavigationRefused(url);
    return false;
}

QWebEnginePage* TBrowserPage::createWindow(WebWindowType)
{
    return this;
}
