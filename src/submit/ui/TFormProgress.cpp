#include "submit/ui/TFormProgress.h"

#include "common/ui/LocalText.h"
#include "common/ui/ShownText.h"
#include "submit/RunProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

std::function<void(TFormProgress&)>& Hook()
{
    static std::function<void(TFormProgress&)> hook;
    return hook;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text)
{
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(QString::fromUtf8(name));
    // Product and site titles are shown as they stand, never read as markup.
    l->setTextFormat(Qt::PlainText);
    return l;
}

QProgressBar* MakeBar(QWidget* parent, const char* name)
{
    auto* b = new QProgressBar(parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setRange(0, 100);
    b->setValue(0);
    b->setTextVisible(false);
    return b;
}

} // namespace

TFormProgress::TFormProgress(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormProgress"));
    setWindowTitle(QStringLiteral(" Submission Progress"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setModal(true);
    // A window of its own, but in the font of the window that owns it (the main window's).
    setAttribute(Qt::WA_WindowPropagation);

    labelProduct_ = MakeLabel(this, "LabelProduct", "Product:");
    labelProductTitle_ = MakeLabel(this, "LabelProductTitle", "");
    labelSite_ = MakeLabel(this, "LabelSite", "Site:");
    labelSiteTitle_ = MakeLabel(this, "LabelSiteTitle", "");
    labelCurrent_ = MakeLabel(this, "LabelCurrent", "Current:");
    labelTotal_ = MakeLabel(this, "LabelTotal", "Total:");
    barCurrent_ = MakeBar(this, "ProgressBarCurrent");
    barTotal_ = MakeBar(this, "ProgressBarTotal");
    labelCounts_ = MakeLabel(this, "LabelCounts", "");
    countsTimer_ = new QTimer(this);
    countsTimer_->setInterval(1000);
    connect(countsTimer_, &QTimer::timeout, this, &TFormProgress::RefreshCounts);
    buttonCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    buttonCancel_->setObjectName(QStringLiteral("ButtonCancel"));
    buttonCancel_->setAutoDefault(false);
    connect(buttonCancel_, &QPushButton::clicked, this, &TFormProgress::ButtonCancelClick);
    PlaceControls();
}

void TFormProgress::PlaceControls()
{
    // The classic layout (captions at 8, values and bars at 56, bars 225 wide), with the line
    // of counts below the bars and Cancel below it; widened when the captions of a language,
    // or a long line of counts in it, need more room.
    int captionWidth = 0;
    for (QLabel* l : {labelProduct_, labelSite_, labelCurrent_, labelTotal_}) {
        l->adjustSize();
        captionWidth = std::max(captionWidth, l->sizeHint().width());
    }
    const RunProgress widest{999, 999, 999};
    const QString widestCounts =
        ShownText::Message(widest.LinePhrase(std::chrono::hours(10) - std::chrono::seconds(1), 2 * widest.Done()));
    const int countsWidth = labelCounts_->fontMetrics().horizontalAdvance(widestCounts);
    const int valueLeft = std::max(56, 8 + captionWidth + 8);
    const int lineHeight = std::max(16, labelProduct_->sizeHint().height());
    const int step = std::max(0, lineHeight - 16);
    const int barWidth = 225;
    const int width = std::max({291, valueLeft + barWidth + 10, 8 + countsWidth + 8});

    labelProduct_->move(8, 8);
    labelProductTitle_->setGeometry(valueLeft, 8, width - valueLeft - 8, lineHeight);
    labelSite_->move(8, 24 + step);
    labelSiteTitle_->setGeometry(valueLeft, 24 + step, width - valueLeft - 8, lineHeight);
    labelCurrent_->move(8, 48 + 2 * step);
    barCurrent_->setGeometry(valueLeft, 48 + 2 * step, barWidth, 16);
    labelTotal_->move(8, 74 + 2 * step);
    barTotal_->setGeometry(valueLeft, 72 + 2 * step, barWidth, 16);
    labelCounts_->setGeometry(8, 96 + 2 * step, width - 16, lineHeight);
    const int buttonTop = 96 + 3 * step + 20;
    const int buttonWidth = std::max(65, buttonCancel_->sizeHint().width());
    const int buttonHeight = std::max(25, buttonCancel_->sizeHint().height());
    // At 112 in the classic width, and kept in the middle when the window or button grows.
    const int buttonLeft = 112 + (width - 291 - (buttonWidth - 65)) / 2;
    buttonCancel_->setGeometry(buttonLeft, buttonTop, buttonWidth, buttonHeight);
    setFixedSize(width, std::max(151, buttonTop + buttonHeight + 10));
}

void TFormProgress::showEvent(QShowEvent* event)
{
    PlaceControls();
    // Centred on the desktop, not over the main window.
    if (QScreen* desktop = screen()) {
        const QRect area = desktop->availableGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    QDialog::showEvent(event);
    RefreshCounts();
    countsTimer_->start();
}

void TFormProgress::hideEvent(QHideEvent* event)
{
    countsTimer_->stop();
    QDialog::hideEvent(event);
}

void TFormProgress::ShowCounts(std::function<QString()> line)
{
    countsLine_ = std::move(line);
    RefreshCounts();
}

void TFormProgress::RefreshCounts()
{
    labelCounts_->setText(countsLine_ ? countsLine_() : QString());
}

void TFormProgress::ShowModal()
{
    if (Hook()) {
        show();
        Hook()(*this);
        return;
    }
    exec();
}

void TFormProgress::setExecHook(std::function<void(TFormProgress&)> hook)
{
    Hook() = std::move(hook);
}

void TFormProgress::ButtonCancelClick()
{
    reject();
}

void TFormProgress::reject()
{
    emit CancelRun();
    QDialog::reject();
}
