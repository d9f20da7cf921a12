#include "lang/ui/THelpViewer.h"

#include "common/ui/LanguageListeners.h"
#include "common/ui/ShownText.h"
#include "lang/HelpFile.h"

#include <QFile>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextCursor>
#include <QVBoxLayout>

bool THelpViewer::Open(const QString& path, QWidget* owner, const QString& heading)
{
    auto* viewer = owner->findChild<THelpViewer*>(QStringLiteral("HelpViewer"), Qt::FindDirectChildrenOnly);
    const bool made = viewer == nullptr;
    if (made) viewer = new THelpViewer(owner);
    if (!viewer->Load(path)) {
        if (made) delete viewer;
        return false;
    }
    if (heading.isEmpty() || !viewer->ShowSection(heading)) {
        QTextCursor top = viewer->text_->textCursor();
        top.movePosition(QTextCursor::Start);
        viewer->text_->setTextCursor(top);
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return true;
}

THelpViewer::THelpViewer(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("HelpText"));
    text_->setReadOnly(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // The help texts line up their columns with spaces.
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    find_ = new QLineEdit(this);
    find_->setObjectName(QStringLiteral("HelpFind"));
    find_->setClearButtonEnabled(true);
    find_->hide();
    connect(find_, &QLineEdit::returnPressed, this, &THelpViewer::FindNext);
    connect(find_, &QLineEdit::textEdited, this, [this] {
        // Typing searches again from the start of the match shown, so it grows in place.
        QTextCursor c = text_->textCursor();
        c.setPosition(c.selectionStart());
        text_->setTextCursor(c);
        FindNext();
    });

    auto* find = new QShortcut(QKeySequence::Find, this, this, &THelpViewer::ShowFind);
    find->setContext(Qt::WindowShortcut);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(text_, 1);
    layout->addWidget(find_);
    resize(640, 520);
    Recaption();
    LanguageListeners::Follow(this, [this] { Recaption(); });
}

void THelpViewer::Recaption()
{
    text_->setAccessibleName(ShownText::Caption("Help text"));
    find_->setPlaceholderText(ShownText::Caption("Find"));
    find_->setAccessibleName(ShownText::Caption("Find in help text"));
}

bool THelpViewer::Load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QByteArray bytes = file.readAll();
    bytes.replace("\r\n", "\n");
    text_->setPlainText(QString::fromUtf8(bytes));
    setWindowTitle(path);
    return true;
}

bool THelpViewer::FindNext()
{
    const QString what = find_->text();
    bool found = what.isEmpty();
    if (!found) {
        found = text_->find(what);
        if (!found) {
            // Round to the top and once more.
            QTextCursor c = text_->textCursor();
            c.movePosition(QTextCursor::Start);
            text_->setTextCursor(c);
            found = text_->find(what);
        }
    }
    // A text that is nowhere turns the box's text red.
    QPalette p = find_->palette();
    p.setColor(QPalette::Text, found ? palette().color(QPalette::Text) : QColor(192, 0, 0));
    find_->setPalette(p);
    return found;
}

bool THelpViewer::ShowSection(const QString& heading)
{
    const QString text = text_->toPlainText();
    const QByteArray bytes = text.toUtf8();
    const auto offset = HelpFile::SectionOffset(bytes.toStdString(), heading.toStdString());
    if (!offset) return false;
    const int position = static_cast<int>(QString::fromUtf8(bytes.left(static_cast<qsizetype>(*offset))).size());
    // To the end first, so that showing the heading brings it to the top, not the bottom.
    QTextCursor c = text_->textCursor();
    c.movePosition(QTextCursor::End);
    text_->setTextCursor(c);
    text_->ensureCursorVisible();
    c.setPosition(position);
    text_->setTextCursor(c);
    text_->ensureCursorVisible();
    return true;
}

void THelpViewer::ShowFind()
{
    find_->show();
    find_->setFocus(Qt::ShortcutFocusReason);
    find_->selectAll();
}

void THelpViewer::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (find_->isVisible()) {
            find_->hide();
            text_->setFocus();
        } else {
            close();
        }
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
