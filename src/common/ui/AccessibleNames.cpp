#include "common/ui/AccessibleNames.h"

#include "common/ui/ShownText.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

namespace {

// The controls without a caption of their own: the text of a label of the same window that
// stands beside them, or a description.
struct Described {
    const char* Control;
    const char* Label;       // object name of the label whose text names the control, or null
    const char* Description; // used when there is no such label
};

constexpr Described Descriptions[] = {
    {"ListViewProducts", nullptr, "Products"},
    {"ListViewAuto", nullptr, "Automatic sites"},
    {"ListViewManual", nullptr, "Manual sites"},
    {"ComboBoxAdress", nullptr, "Address"},
    {"ComboBoxSpeed", "LabelSpeed", "Speed"},
    {"EditAuthorEmail", "LabelAuthorEmail", "E-mail address"},
    {"WebBrowser1", nullptr, "Web page"},
    {"ProgressBar1", nullptr, "Page loading progress"},
    {"ProgressBarCurrent", "LabelCurrent", "Current"},
    {"ProgressBarTotal", "LabelTotal", "Total"},
    {"PageControl1", nullptr, "Pages"},
    {"ToolBarProducts", nullptr, "Products tool bar"},
    {"ToolBarSites", nullptr, "Automatic sites tool bar"},
    {"ToolBarManual", nullptr, "Manual sites tool bar"},
    {"CoolBar1", nullptr, "Address bar"},
    {"ToolBarNavi", nullptr, "Navigation tool bar"},
};

// The property that holds the name given here, so that a later pass can tell it from one
// the window set itself.
constexpr const char* GivenName = "qpGivenAccessibleName";

QString WithoutMnemonic(QString text)
{
    // "&&" is a shown "&"; a single "&" marks the mnemonic.
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text.trimmed();
}

// The control a part belongs to: an editable combo box or a spin box for its edit line,
// which is what takes the focus.
QWidget* OwnerOfPart(QWidget* w)
{
    QWidget* parent = w->parentWidget();
    if (qobject_cast<QLineEdit*>(w) && (qobject_cast<QComboBox*>(parent) || qobject_cast<QAbstractSpinBox*>(parent)))
        return parent;
    return nullptr;
}

// Whether the widget is a control a user reaches and a screen reader names; a list's
// headers and scroll bars go with their list.
bool IsControl(const QWidget* w)
{
    if (qobject_cast<const QHeaderView*>(w) || qobject_cast<const QScrollBar*>(w)) return false;
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QProgressBar*>(w) ||
           qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QTabBar*>(w) ||
           qobject_cast<const QGroupBox*>(w);
}

const Described* DescriptionOf(const QString& name)
{
    for (const Described& d : Descriptions)
        if (name == QLatin1String(d.Control)) return &d;
    return nullptr;
}

// The label that stands for `w`: the one whose buddy it is, or its row's label in a form.
QString LabelText(QWidget* w)
{
    QWidget* window = w->window();
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy() == w) return l->text();
    if (QWidget* parent = w->parentWidget())
        if (auto* form = qobject_cast<QFormLayout*>(parent->layout()))
            if (auto* l = qobject_cast<QLabel*>(form->labelForField(w))) return l->text();
    return {};
}

QString NameFor(QWidget* w)
{
    if (QWidget* owner = OwnerOfPart(w)) return NameFor(owner);
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        text = b->text();
        if (auto* t = qobject_cast<QToolButton*>(w); text.isEmpty() && t && t->defaultAction())
            text = t->defaultAction()->text();
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        text = g->title();
    }
    if (text.isEmpty()) text = LabelText(w);
    // A tab bar is named after its tab widget.
    const QString name = qobject_cast<QTabBar*>(w) && qobject_cast<QTabWidget*>(w->parentWidget())
                             ? w->parentWidget()->objectName()
                             : w->objectName();
    if (text.isEmpty() && !name.isEmpty()) {
        if (const Described* d = DescriptionOf(name)) {
            if (d->Label)
                if (auto* l = w->window()->findChild<QLabel*>(QLatin1String(d->Label))) text = l->text();
            if (text.isEmpty()) text = ShownText::Caption(d->Description);
        }
    }
    text = WithoutMnemonic(text);
    if (text.endsWith(QLatin1Char(':'))) text.chop(1);
    return text;
}

void Name(QWidget* w)
{
    if (!IsControl(w) && !DescriptionOf(w->objectName())) return;
    const QString current = w->accessibleName();
    // A name the window set itself stays.
    if (!current.isEmpty() && current != w->property(GivenName).toString()) return;
    const QString name = NameFor(w);
    if (name.isEmpty() || name == current) return;
    w->setAccessibleName(name);
    w->setProperty(GivenName, name);
}

// Names the controls made under a root after it was named, when they are first shown.
class Watcher : public QObject {
public:
    static constexpr const char* Tag = "AccessibleNamesWatcher";

    explicit Watcher(QWidget* root) : QObject(root), root_(root)
    {
        setObjectName(QLatin1String(Tag));
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Polish && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (root_ && root_->isAncestorOf(w)) Name(w);
        }
        return false;
    }

private:
    QPointer<QWidget> root_;
};

} // namespace

void AccessibleNames::Apply(QWidget* root)
{
    Name(root);
    for (QWidget* w : root->findChildren<QWidget*>()) Name(w);
    if (!root->findChild<QObject*>(QLatin1String(Watcher::Tag), Qt::FindDirectChildrenOnly)) new Watcher(root);
}
