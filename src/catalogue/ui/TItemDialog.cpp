#include "catalogue/ui/TItemDialog.h"

#include "catalogue/ItemCheck.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ShownText.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

std::function<void(TItemDialog&)>& Hook()
{
    static std::function<void(TItemDialog&)> hook;
    return hook;
}

QString U(const char* s)
{
    return QString::fromUtf8(s);
}

} // namespace

TItemDialog::TItemDialog(const Layout& layout, QWidget* parent) : QDialog(parent), linkLine_(layout.LinkLine)
{
    setObjectName(U(layout.Name));
    setWindowTitle(U(layout.Caption));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    group_ = new QGroupBox(U(layout.GroupCaption), this);
    group_->setObjectName(U(layout.GroupName));
    labelTitle_ = new QLabel(QStringLiteral("Title:"), group_);
    labelTitle_->setObjectName(QStringLiteral("LabelTitle"));
    labelLink_ = new QLabel(U(layout.LinkLabelCaption), group_);
    labelLink_->setObjectName(U(layout.LinkLabelName));
    editTitle_ = new QLineEdit(group_);
    editTitle_->setObjectName(QStringLiteral("EditTitle"));
    editLink_ = new QLineEdit(U(layout.InitialLink), group_);
    editLink_->setObjectName(QStringLiteral("EditLink"));

    // A text box takes 32,767 characters unless told otherwise: a longer field would be cut
    // by an OK that did not touch it.
    editTitle_->setMaxLength(std::numeric_limits<int>::max());
    editLink_->setMaxLength(std::numeric_limits<int>::max());

    labelTitle_->setTextFormat(Qt::PlainText);
    labelLink_->setTextFormat(Qt::PlainText);

    auto* form = new QFormLayout(group_);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(labelTitle_, editTitle_);
    if (layout.Category) {
        buttonFromPad_ = new QPushButton(QStringLiteral("From PAD"), group_);
        buttonFromPad_->setObjectName(QStringLiteral("ButtonFromPad"));
        buttonFromPad_->setAutoDefault(false);
        auto* linkRow = new QHBoxLayout;
        linkRow->setContentsMargins(0, 0, 0, 0);
        linkRow->addWidget(editLink_, 1);
        linkRow->addWidget(buttonFromPad_);
        form->addRow(labelLink_, linkRow);
        connect(buttonFromPad_, &QPushButton::clicked, this,
                [this] { ErrorGuard::Run([this] { ButtonFromPadClick(); }); });
    } else {
        form->addRow(labelLink_, editLink_);
    }
    if (layout.Category) {
        labelCat_ = new QLabel(QStringLiteral("Category:"), group_);
        labelCat_->setObjectName(QStringLiteral("LabelCat"));
        labelCat_->setTextFormat(Qt::PlainText);
        comboCat_ = new QComboBox(group_);
        comboCat_->setObjectName(QStringLiteral("ComboBoxCat"));
        comboCat_->setEditable(true);
        comboCat_->setInsertPolicy(QComboBox::NoInsert);
        comboCat_->setMaxVisibleItems(20);
        // The window keeps its size; long category names scroll in the box.
        comboCat_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        comboCat_->setMinimumContentsLength(12);
        comboCat_->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
        form->addRow(labelCat_, comboCat_);

        // Shown only when From PAD failed; a long address is cut rather than widening the window.
        labelFromPad_ = new QLabel(group_);
        labelFromPad_->setObjectName(QStringLiteral("LabelFromPad"));
        labelFromPad_->setTextFormat(Qt::PlainText);
        QSizePolicy cut(QSizePolicy::Ignored, QSizePolicy::Preferred);
        cut.setHeightForWidth(true);
        labelFromPad_->setSizePolicy(cut);
        labelFromPad_->setWordWrap(true);
        labelFromPad_->hide();
        form->addRow(labelFromPad_);
    }

    buttonOk_ = new QPushButton(QStringLiteral("OK"), this);
    buttonOk_->setObjectName(QStringLiteral("ButtonOk"));
    buttonCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    buttonCancel_->setObjectName(QStringLiteral("ButtonCancel"));
    for (QPushButton* b : {buttonOk_, buttonCancel_}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setMinimumWidth(75);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(buttonOk_);
    buttons->addWidget(buttonCancel_);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addWidget(group_);
    outer->addStretch(1);
    outer->addLayout(buttons);

    setTabOrder(buttonOk_, buttonCancel_);
    setTabOrder(buttonCancel_, editTitle_);
    setTabOrder(editTitle_, editLink_);
    if (buttonFromPad_) setTabOrder(editLink_, buttonFromPad_);
    if (comboCat_) setTabOrder(buttonFromPad_, comboCat_);

    connect(buttonOk_, &QPushButton::clicked, this, [this] { ErrorGuard::Run([this] { ButtonOkClick(); }); });
    connect(buttonCancel_, &QPushButton::clicked, this, [this] { ButtonCancelClick(); });

    givenSize_ = QSize(layout.Width, layout.Height);
    resize(givenSize_);
}

void TItemDialog::showEvent(QShowEvent* event)
{
    // A failure of the last From PAD is no news at the next opening.
    if (labelFromPad_) {
        labelFromPad_->clear();
        labelFromPad_->hide();
    }
    // The given size, unless the captions of the current language need more room.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QSize want = givenSize_.expandedTo(minimumSizeHint());
    setFixedSize(want);
    // Centred on the screen, wherever the main window stands.
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
    // Long texts show from their beginning.
    editTitle_->home(false);
    editLink_->home(false);
    if (comboCat_ && comboCat_->lineEdit()) comboCat_->lineEdit()->home(false);
    buttonOk_->setFocus();
}

void TItemDialog::keyPressEvent(QKeyEvent* event)
{
    // Neither button is a cancel button: Escape does not close the dialog (nor does Enter
    // press OK, since no button is the default).
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

std::string TItemDialog::TitleText() const
{
    return LocalText::ToBytes(editTitle_->text(), titleBytes_);
}

std::string TItemDialog::LinkText() const
{
    return LocalText::ToBytes(editLink_->text(), linkBytes_);
}

std::string TItemDialog::CategoryText() const
{
    if (!comboCat_) return std::string();
    const int i = comboCat_->currentIndex();
    if (i >= 0 && static_cast<size_t>(i) < categories_.size() && comboCat_->currentText() == comboCat_->itemText(i))
        return categories_[static_cast<size_t>(i)];
    return LocalText::ToBytes(comboCat_->currentText());
}

void TItemDialog::SetTexts(const std::string& title, const std::string& link)
{
    titleBytes_ = title;
    linkBytes_ = link;
    editTitle_->setText(LocalText::ToQ(title));
    editLink_->setText(LocalText::ToQ(link));
}

void TItemDialog::FillCategories(const std::vector<std::string>& categories, int select)
{
    if (!comboCat_) return;
    categories_ = categories;
    comboCat_->clear();
    for (const std::string& c : categories) comboCat_->addItem(LocalText::ToQ(c));
    comboCat_->setCurrentIndex(select);
    if (select < 0) comboCat_->setEditText(QString());
}

void TItemDialog::ShowModal()
{
    if (Hook()) {
        show();
        Hook()(*this);
        if (isVisible()) reject();
        return;
    }
    exec();
}

void TItemDialog::setExecHook(std::function<void(TItemDialog&)> hook)
{
    Hook() = std::move(hook);
}

void TItemDialog::ButtonOkClick()
{
    const std::string message = ItemCheck::Message(TitleText(), LinkText(), linkLine_, CategoryText());
    if (!message.empty()) {
        MessageBoxes::Show(ItemCheck::Shown(message));
        return;
    }
    if (!ConfirmWrite()) return;
    WriteRow();
    accept();
}

void TItemDialog::ButtonCancelClick()
{
    reject();
}

void TItemDialog::done(int result)
{
    StopPadFetch();
    QDialog::done(result);
}

void TItemDialog::ButtonFromPadClick()
{
    if (!buttonFromPad_ || !padFetch_.Start || fetching_) return;
    labelFromPad_->clear();
    labelFromPad_->hide();
    fetching_ = true;
    buttonFromPad_->setEnabled(false);
    // The fetch may end after the dialog is gone (the window stops it first, but nothing here
    // relies on that).
    QPointer<TItemDialog> self(this);
    try {
        padFetch_.Start(LinkText(), categories_, [self](const PadSummary& summary) {
            if (self) self->PadFetched(summary);
        });
    } catch (...) {
        fetching_ = false;
        buttonFromPad_->setEnabled(true);
        throw; // the error guard shows it
    }
}

void TItemDialog::PadFetched(const PadSummary& summary)
{
    if (!fetching_) return;
    fetching_ = false;
    buttonFromPad_->setEnabled(true);
    if (!summary.Ok()) {
        QStringList lines;
        for (const PadProblem& p : summary.Problems) lines << ShownText::Message(PadValidation::LinePhrase(p));
        labelFromPad_->setText(lines.join(QLatin1Char('\n')));
        labelFromPad_->setToolTip(labelFromPad_->text());
        labelFromPad_->show();
        // Room for the reason below the boxes: the window grows downwards as far as it needs.
        layout()->activate();
        setFixedHeight(std::max({height(), minimumSizeHint().height(), heightForWidth(width())}));
        return;
    }
    // A PAD file is UTF-8; the boxes hand back the locale's bytes for it.
    titleBytes_.clear();
    editTitle_->setText(QString::fromUtf8(summary.Title));
    editTitle_->home(false);
    const auto found = std::find(categories_.begin(), categories_.end(), summary.Category);
    if (comboCat_ && found != categories_.end()) {
        comboCat_->setCurrentIndex(static_cast<int>(found - categories_.begin()));
        if (comboCat_->lineEdit()) comboCat_->lineEdit()->home(false);
    }
}

void TItemDialog::StopPadFetch()
{
    if (!fetching_) return;
    fetching_ = false;
    if (padFetch_.Cancel) padFetch_.Cancel();
    buttonFromPad_->setEnabled(true);
}
