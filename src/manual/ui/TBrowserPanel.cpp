#include "manual/ui/TBrowserPanel.h"

#include <QComboBox>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWebEngineView>

// Placeholder layout; the full panel is built in its own change.
struct TBrowserPanel::Impl {
    QComboBox* address = nullptr;
    QWebEngineView* view = nullptr;
    QProgressBar* progress = nullptr;
};

TBrowserPanel::TBrowserPanel(QWidget* parent) : QWidget(parent), d(new Impl)
{
    setObjectName(QStringLiteral("PanelBrowser"));
    auto* layout = new QVBoxLayout(this);
    d->address = new QComboBox(this);
    d->address->setObjectName(QStringLiteral("ComboBoxAdress"));
    d->address->setEditable(true);
    d->view = new QWebEngineView(this);
    d->view->setObjectName(QStringLiteral("WebBrowser1"));
    d->progress = new QProgressBar(this);
    d->progress->setObjectName(QStringLiteral("ProgressBar1"));
    layout->addWidget(d->address);
    layout->addWidget(d->view, 1);
    layout->addWidget(d->progress);
}

TBrowserPanel::~TBrowserPanel()
{
    delete d;
}

std::string TBrowserPanel::AddressText() const
{
    return d->address->currentText().toLocal8Bit().toStdString();
}

void TBrowserPanel::NavigateTo(const std::string&) {}
void TBrowserPanel::NavigatePost(const std::string&, const std::string&) {}
void TBrowserPanel::RunScript(const std::string&) {}
QWebEngineView* TBrowserPanel::View() const { return d->view; }
QComboBox* TBrowserPanel::AddressBox() const { return d->address; }
QProgressBar* TBrowserPanel::Progress() const { return d->progress; }
