#include "manual/ui/engine/TBrowserPage.h"

#include <QUrl>

namespace {

// Schemes that stay inside the web engine.
bool IsWebScheme(const QString& scheme)
{
    for (const char* web : {"http", "https", "data", "about", "blob"})
        if (scheme.compare(QLatin1String(web), Qt::CaseInsensitive) == 0) return true;
    return false;
}

} // namespace

TBrowserPage::TBrowserPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent)
{}

void TBrowserPage::ExpectOwnLoad()
{
    m_ownLoadExpected = true;
}

void TBrowserPage::AddSubmission(const QUrl& url)
{
    if (!url.isEmpty() && !m_submissions.contains(url)) m_submissions.append(url);
}

bool TBrowserPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame && (type == NavigationTypeBackForward || type == NavigationTypeReload) &&
        m_submissions.contains(url))
        return false;

    // Only the application's own loads arrive as "typed"; a page cannot ask for one.
    const bool ownLoad = isMainFrame && type == NavigationTypeTyped && m_ownLoadExpected;
    if (isMainFrame && type != NavigationTypeRedirect) m_ownLoadExpected = false;

    if (IsWebScheme(url.scheme())) return true;
    // Going back, forward or reloading reaches only entries that were accepted before.
    if (ownLoad || (isMainFrame && (type == NavigationTypeBackForward || type == NavigationTypeReload))) return true;
    emit NavigationRefused(url);
    return false;
}

QWebEnginePage* TBrowserPage::createWindow(WebWindowType)
{
    return this;
}
