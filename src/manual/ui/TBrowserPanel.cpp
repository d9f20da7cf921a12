#include "manual/ui/TBrowserPanel.h"

#include "common/ui/ShownText.h"
#include "manual/ui/BrowserEngine.h"
#include "manual/ui/BrowserModule.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>
#include <utility>

namespace {

std::function<bool(QPrinter&)>& PrintDialogHook()
{
    static std::function<bool(QPrinter&)> hook;
    return hook;
}

std::function<void(const QString&)>& MessageHook()
{
    static std::function<void(const QString&)> hook;
    return hook;
}

QString FromBytes(const std::string& bytes)
{
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString Paragraph(const char* english)
{
    return QStringLiteral("<p>") + ShownText::Caption(english).toHtmlEscaped() + QStringLiteral("</p>");
}

// One of the panel's own pages, in the language shown: `title` as its title and heading,
// then `body`, which is HTML already.
QString OwnPage(const QString& title, const QString& body)
{
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title>"
                          "<style>body{font-family:sans-serif;margin:2em;max-width:40em;color:#222}"
                          "h1{font-size:1.4em}li{margin:.3em 0}</style></head><body><h1>%1</h1>%2</body></html>")
        .arg(title.toHtmlEscaped(), body);
}

// What Home shows: the engine has no home page setting of its own.
QString AboutPageHtml()
{
    QString items;
    for (const char* item : {"Double-click a site in the list on the left (or choose Visit) to open its submission "
                             "page here, or type an address into the box above and press Enter.",
                             "When the page that opens is the submission script of the site last prepared for "
                             "submission, its PAD link field is filled in with your product's PAD link. Check the "
                             "rest of the form and send it yourself.",
                             "Back and Forward walk through the pages you reached by links inside pages; a page "
                             "opened from the site list, from the address box or by Submit starts them afresh. Stop "
                             "and Refresh work as in any browser; Home shows this page; Print prints the page on "
                             "display or saves it as a PDF file."})
        items += QStringLiteral("<li>") + ShownText::Caption(item).toHtmlEscaped() + QStringLiteral("</li>");
    return OwnPage(ShownText::Caption("Quillpost browser"),
                   Paragraph("This panel is where you submit your products to download sites by hand.") +
                       QStringLiteral("<ul>") + items + QStringLiteral("</ul>") +
                       Paragraph("Pages are always fetched afresh from the site and nothing is kept on disk when the "
                                 "program ends. Pages cannot open files of this computer: only a file address that "
                                 "you type yourself, or the link of a site in your list, opens one."));
}

} // namespace

struct TBrowserPanel::Impl {
    QToolBar* coolBar = nullptr;
    QComboBox* address = nullptr;
    QToolBar* toolBar = nullptr;
    QWidget* frame = nullptr;              // where the view goes; empty until the engine is made
    std::unique_ptr<BrowserEngine> engine; // made on first use, from the browser module
    QLabel* failure = nullptr;             // in the frame when the module could not be loaded
    QProgressBar* progress = nullptr;
    QToolButton* printButton = nullptr;
    std::unique_ptr<QPrinter> printer; // set while a print is under way
    bool printDialogOpen = false;
    QString requested;       // the text of the panel's last load, until a load completes
    bool replacing = false;  // a load that starts the history afresh is under way
    bool submitting = false; // a submission is loading
};

TBrowserPanel::TBrowserPanel(QWidget* parent) : QWidget(parent), d(new Impl)
{
    setObjectName(QStringLiteral("PanelBrowser"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The address band.
    d->coolBar = new QToolBar(this);
    d->coolBar->setObjectName(QStringLiteral("CoolBar1"));
    d->coolBar->setMovable(false);
    d->coolBar->setFloatable(false);
    d->coolBar->setMinimumHeight(21);
    d->address = new QComboBox(d->coolBar);
    d->address->setObjectName(QStringLiteral("ComboBoxAdress"));
    d->address->setEditable(true);
    // The list of the box stays empty: Enter must not add what was typed.
    d->address->setInsertPolicy(QComboBox::NoInsert);
    d->address->setDuplicatesEnabled(true);
    d->address->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    d->address->installEventFilter(this);
    d->address->lineEdit()->installEventFilter(this);
    d->coolBar->addWidget(d->address);
    layout->addWidget(d->coolBar);

    // The navigation buttons, a separator before each.
    d->toolBar = new QToolBar(this);
    d->toolBar->setObjectName(QStringLiteral("ToolBarNavi"));
    d->toolBar->setMovable(false);
    d->toolBar->setFloatable(false);
    d->toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    struct ButtonDef {
        const char* name;
        const char* caption;
        void (TBrowserPanel::*command)();
    };
    const ButtonDef buttons[] = {
        {"ToolButtonBack", "Back", &TBrowserPanel::GoBack},
        {"ToolButtonForward", "Forward", &TBrowserPanel::GoForward},
        {"ToolButtonStop", "Stop", &TBrowserPanel::StopLoading},
        {"ToolButtonRefresh", "Refresh", &TBrowserPanel::Refresh},
        {"ToolButtonHome", "Home", &TBrowserPanel::GoHome},
        {"ToolButtonPrint", "Print", &TBrowserPanel::Print},
    };
    for (const auto& def : buttons) {
        d->toolBar->addSeparator();
        auto* button = new QToolButton(d->toolBar);
        button->setObjectName(QString::fromLatin1(def.name));
        button->setText(QString::fromLatin1(def.caption));
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setAutoRaise(true);
        // 50 pixels wide; a longer caption from a language file widens its button
        // rather than being cut.
        button->setMinimumWidth(50);
        connect(button, &QToolButton::clicked, this, def.command);
        d->toolBar->addWidget(button);
        if (def.command == &TBrowserPanel::Print) d->printButton = button;
    }
    layout->addWidget(d->toolBar);

    // The page view's place. The web engine costs start-up time and, with its helper
    // processes, well over a hundred megabytes, and most runs never open this page: its
    // module is loaded and the view made when the panel is first shown or an operation
    // needs it (Engine()).
    d->frame = new QWidget(this);
    d->frame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* frameLayout = new QVBoxLayout(d->frame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->setSpacing(0);
    layout->addWidget(d->frame, 1);

    d->progress = new QProgressBar(this);
    d->progress->setObjectName(QStringLiteral("ProgressBar1"));
    d->progress->setRange(0, 100);
    d->progress->setValue(0);
    layout->addWidget(d->progress);
}

TBrowserPanel::~TBrowserPanel()
{
    // The engine's view goes before the frame that holds it.
    d->engine.reset();
    delete d;
}

std::string TBrowserPanel::AddressText() const
{
    return d->address->currentText().toLocal8Bit().toStdString();
}

void TBrowserPanel::NavigateTo(const std::string& url)
{
    const QString text = FromBytes(url);
    d->address->setEditText(text);
    Load(text, nullptr);
}

void TBrowserPanel::NavigatePost(const std::string& url, const std::string& postData)
{
    const QString text = FromBytes(url);
    d->address->setEditText(text);
    const QByteArray body = QByteArray::fromStdString(postData);
    d->submitting = Load(text, &body);
    // As asked for; the engine's own spelling of it is added once the answer has loaded.
    if (d->submitting) d->engine->AddSubmission(QUrl(text));
}

bool TBrowserPanel::Load(const QString& text, const QByteArray* postData)
{
    const QUrl target(text);
    // A javascript: address would run its script inside the page on display, with that
    // site's rights: a shared site list could act where the user is logged in.
    if (target.scheme().compare(QLatin1String("javascript"), Qt::CaseInsensitive) == 0) {
        d->requested.clear();
        ShowExplanation(text, "The address %1 is a script, not a web page. The panel runs no scripts from "
                              "addresses; open the site's page by its http:// or https:// address.");
        return false;
    }
    BrowserEngine* engine = Engine();
    if (!engine) return false;
    d->requested = text;
    d->replacing = true;
    engine->Load(target, postData);
    return true;
}

void TBrowserPanel::RunScript(const std::string& script)
{
    if (BrowserEngine* engine = Engine()) engine->RunScript(FromBytes(script));
}

QWebEngineView* TBrowserPanel::View()
{
    BrowserEngine* engine = Engine();
    return engine ? engine->View() : nullptr;
}

BrowserEngine* TBrowserPanel::Engine()
{
    if (d->engine) return d->engine.get();
    Phrase error;
    BrowserEngineFactory* factory = BrowserModule::Factory(error);
    if (!factory) {
        ShowFailure(error);
        return nullptr;
    }
    BrowserEngine::Events events;
    events.Progress = [this](int percent) {
        // The engine reports percent: its maximum is always 100.
        d->progress->setMaximum(100);
        d->progress->setValue(percent);
    };
    events.LoadFinished = [this](bool ok) {
        if (std::exchange(d->replacing, false)) StartHistoryAfresh(std::exchange(d->submitting, false));
        emit DocumentComplete(ok);
        ExplainUnopenedAddress();
    };
    events.NavigationRefused = [this](const QUrl& url) { emit NavigationRefused(url); };
    events.PrintFinished = [this](bool ok) {
        d->printer.reset();
        d->printButton->setEnabled(true);
        if (!ok) ShowMessage(ShownText::Message(Phrase("The page could not be printed.")));
        emit PrintFinished(ok);
    };
    d->engine.reset(factory->MakeEngine(d->frame, std::move(events)));
    delete std::exchange(d->failure, nullptr);
    QWidget* view = d->engine->Widget();
    d->frame->layout()->addWidget(view);
    // Shown at once when the panel is (the layout alone would show it one event later).
    view->show();
    // In the focus chain where it always stood: after the buttons.
    QWidget::setTabOrder(d->printButton, view);
    return d->engine.get();
}

void TBrowserPanel::ShowFailure(const Phrase& error)
{
    if (!d->failure) {
        d->failure = new QLabel(d->frame);
        d->failure->setObjectName(QStringLiteral("LabelBrowserFailure"));
        d->failure->setWordWrap(true);
        d->failure->setAlignment(Qt::AlignCenter);
        d->failure->setMargin(12);
        d->failure->setTextInteractionFlags(Qt::TextSelectableByMouse);
        d->frame->layout()->addWidget(d->failure);
        d->failure->show();
    }
    d->failure->setText(ShownText::Message(error));
}

QString TBrowserPanel::FailureText() const
{
    return d->failure ? d->failure->text() : QString();
}

bool TBrowserPanel::EngineMade() const
{
    return d->engine != nullptr;
}

QWidget* TBrowserPanel::Frame() const
{
    return d->frame;
}

void TBrowserPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Just after the panel appears, so that its page shows at once and the view follows.
    if (!d->engine && !d->failure) QTimer::singleShot(0, this, [this] { Engine(); });
}

QComboBox* TBrowserPanel::AddressBox() const
{
    return d->address;
}

QProgressBar* TBrowserPanel::Progress() const
{
    return d->progress;
}

void TBrowserPanel::GoBack()
{
    if (BrowserEngine* engine = Engine()) engine->Back();
}

void TBrowserPanel::GoForward()
{
    if (BrowserEngine* engine = Engine()) engine->Forward();
}

void TBrowserPanel::StopLoading()
{
    if (BrowserEngine* engine = Engine()) engine->Stop();
}

void TBrowserPanel::Refresh()
{
    if (BrowserEngine* engine = Engine()) engine->Reload();
}

void TBrowserPanel::GoHome()
{
    if (BrowserEngine* engine = Engine()) engine->SetHtml(AboutPageHtml());
}

void TBrowserPanel::Print()
{
    // One print at a time, and only of a page on display.
    if (d->printer || d->printDialogOpen || !Engine()) return;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    bool accepted = false;
    d->printDialogOpen = true;
    if (PrintDialogHook()) {
        accepted = PrintDialogHook()(*printer);
    } else {
        QPrintDialog dialog(printer.get(), this);
        accepted = dialog.exec() == QDialog::Accepted;
    }
    d->printDialogOpen = false;
    if (!accepted) return;
    d->printer = std::move(printer);
    d->printButton->setEnabled(false);
    d->engine->Print(d->printer.get());
}

void TBrowserPanel::SetPrintDialogHook(std::function<bool(QPrinter&)> hook)
{
    PrintDialogHook() = std::move(hook);
}

void TBrowserPanel::SetMessageHook(std::function<void(const QString&)> hook)
{
    MessageHook() = std::move(hook);
}

void TBrowserPanel::ShowMessage(const QString& text)
{
    if (MessageHook()) {
        MessageHook()(text);
        return;
    }
    QMessageBox::warning(this, QApplication::applicationDisplayName(), text);
}

void TBrowserPanel::ExplainUnopenedAddress()
{
    const QString requested = std::exchange(d->requested, QString());
    // The engine opens an address it cannot use at all (no scheme, an unknown scheme) as
    // an empty page without a word; say why instead. An empty address stays empty.
    const QUrl shown = d->engine->Url();
    const QUrl blank(QStringLiteral("about:blank"));
    if (requested.isEmpty() || QUrl(requested) == blank || !(shown.isEmpty() || shown == blank)) return;
    // With a web scheme the address was fine: the site answered with something that is no
    // page (a file to download) or not at all. Without one, the address itself is the
    // trouble.
    const QString scheme = QUrl(requested).scheme().toLower();
    const bool web = scheme == QStringLiteral("http") || scheme == QStringLiteral("https");
    // The explanation takes the place of the empty page, as the load it explains would have.
    d->replacing = true;
    ShowExplanation(requested, web ? "The address %1 could not be shown: the site did not answer with a web page."
                                   : "The address %1 cannot be opened. Type the whole address, beginning with "
                                     "http:// or https://.");
}

void TBrowserPanel::StartHistoryAfresh(bool submission)
{
    // The engine adds every load to its history and cannot drop one entry alone, so the page
    // that was on display goes with every page before it: the page just loaded is where Back
    // starts from, and Back never fetches the site visited before. A submission's answer, the
    // one page that would post again, is also never loaded from the history or reloaded.
    d->engine->ClearHistory();
    if (submission) d->engine->AddSubmission(d->engine->Url());
}

void TBrowserPanel::ShowExplanation(const QString& requested, const char* sentence)
{
    BrowserEngine* engine = Engine();
    if (!engine) return;
    const QString address = QStringLiteral("<b>") + requested.toHtmlEscaped() + QStringLiteral("</b>");
    engine->SetHtml(OwnPage(ShownText::Caption("Address not opened"),
                            QStringLiteral("<p>") + ShownText::Caption(sentence).toHtmlEscaped().arg(address) +
                                QStringLiteral("</p>")));
}

void TBrowserPanel::LoadFromAddressBox()
{
    // The text as it stands: no scheme added, nothing checked.
    Load(d->address->currentText(), nullptr);
}

bool TBrowserPanel::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == d->address || watched == d->address->lineEdit()) && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            LoadFromAddressBox();
            return true; // the combo box would otherwise add the text to its list
        }
    }
    return QWidget::eventFilter(watched, event);
}
