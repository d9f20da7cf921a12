#include "lang/ui/TAboutBox.h"

#include "common/ui/ErrorGuard.h"
#include "common/ui/ShellOpen.h"
#include "lang/ui/ProgramIcon.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

std::function<void(TAboutBox&)>& Hook()
{
    static std::function<void(TAboutBox&)> hook;
    return hook;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, const QColor& colour, bool bold)
{
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(QString::fromUtf8(name));
    // A language file's text is shown as it stands (the link line opens exactly what it
    // shows), never read as markup.
    l->setTextFormat(Qt::PlainText);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Program"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    panel_ = new QFrame(this);
    panel_->setObjectName(QStringLiteral("Panel1"));
    panel_->setFrameShape(QFrame::Panel);
    panel_->setFrameShadow(QFrame::Sunken);
    panel_->setMouseTracking(true);
    panel_->installEventFilter(this);

    auto* icon = new QLabel(panel_);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    QPixmap pixmap = ProgramIcon::Get().pixmap(32, 32);
    if (pixmap.isNull()) pixmap = style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32);
    icon->setPixmap(pixmap);
    icon->setFixedSize(32, 32);
    icon->setScaledContents(true);

    const QColor titleColour = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
    auto* title = MakeLabel(panel_, "LabelTitle", "Quillpost 1.3", titleColour, true);
    auto* about = MakeLabel(panel_, "LabelAbout", "submit PAD files to software sites", QColor(128, 0, 0), false);
    auto* author = MakeLabel(panel_, "LabelAuthor", "Written by the Quillpost developers", QColor(0, 0, 128), true);
    auto* email = MakeLabel(panel_, "LabelEmail", EmailLine, QColor(0, 128, 128), true);
    email->setWordWrap(true);
    labelSite_ = MakeLabel(panel_, "LabelSite", "http://www.quillpost.example/", QColor(0, 0, 255), false);
    QFont f = labelSite_->font();
    f.setUnderline(true);
    labelSite_->setFont(f);
    labelSite_->setCursor(Qt::PointingHandCursor);
    labelSite_->setMouseTracking(true);
    labelSite_->installEventFilter(this);

    auto* head = new QHBoxLayout;
    head->addWidget(icon, 0, Qt::AlignTop);
    head->addSpacing(8);
    head->addWidget(title, 1, Qt::AlignVCenter);
    auto* inner = new QVBoxLayout(panel_);
    inner->setContentsMargins(12, 12, 12, 12);
    inner->addLayout(head);
    inner->addSpacing(8);
    for (QLabel* l : {about, author, email, labelSite_}) inner->addWidget(l);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addWidget(panel_);
    outer->addWidget(okButton_, 0, Qt::AlignHCenter);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

QColor TAboutBox::LinkColour() const
{
    return labelSite_->palette().color(QPalette::WindowText);
}

void TAboutBox::SetLinkColour(const QColor& colour)
{
    if (LinkColour() == colour) return;
    QPalette p = labelSite_->palette();
    p.setColor(QPalette::WindowText, colour);
    labelSite_->setPalette(p);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == labelSite_) {
        switch (event->type()) {
        case QEvent::Enter: SetLinkColour(QColor(255, 0, 0)); break;
        case QEvent::MouseMove:
            // Taken here, so that the panel under the label does not see it too.
            SetLinkColour(QColor(255, 0, 0));
            event->accept();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            ErrorGuard::Run([this] { ShellOpen::Address(labelSite_->text()); });
            return true;
        default: break;
        }
    } else if (watched == panel_ && event->type() == QEvent::MouseMove) {
        SetLinkColour(QColor(0, 0, 255));
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    // Centred on the screen, not over the main window.
    if (QScreen* desktop = screen()) {
        const QRect area = desktop->availableGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    QDialog::showEvent(event);
}

void TAboutBox::ShowModal()
{
    if (Hook()) {
        show();
        Hook()(*this);
        if (isVisible()) accept();
        return;
    }
    exec();
}

void TAboutBox::setExecHook(std::function<void(TAboutBox&)> hook)
{
    Hook() = std::move(hook);
}
