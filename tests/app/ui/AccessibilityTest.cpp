// A screen reader can name every control of the main window and of each of its dialogs, in
// either language.
#include "app/ui/TestProgram.h"

#include "lang/ui/THelpViewer.h"

#include <QAccessible>
#include <QDialog>
#include <QSet>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

bool IsControlRole(QAccessible::Role role)
{
    static const QSet<QAccessible::Role> controls = {QAccessible::PushButton,   QAccessible::CheckBox,
                                                     QAccessible::RadioButton,  QAccessible::ComboBox,
                                                     QAccessible::EditableText, QAccessible::SpinBox,
                                                     QAccessible::List,         QAccessible::Tree,
                                                     QAccessible::Table,        QAccessible::PageTabList,
                                                     QAccessible::ProgressBar,  QAccessible::Slider,
                                                     QAccessible::ButtonMenu,   QAccessible::ButtonDropDown};
    return controls.contains(role);
}

// The visible controls of `window` that the accessibility interface gives no name.
std::vector<std::string> Unnamed(QWidget* window)
{
    std::vector<std::string> out;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        if (!w->isVisible() || w->window() != window) continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (!a || !IsControlRole(a->role())) continue;
        if (a->text(QAccessible::Name).trimmed().isEmpty())
            out.push_back(w->metaObject()->className() + std::string(" ") + w->objectName().toStdString());
    }
    return out;
}

} // namespace

TEST(Accessibility, EveryControlOfTheWindowAndItsDialogsHasANameThatFollowsTheLanguage)
{
    TestProgram p;
    auto form = p.Start();
    ShellOpen::setHook([](const QString&, bool) { return false; }); // Help shows our viewer
    FindAction(form.get(), "AContent")->trigger();

    for (const char* language : {"MLangEnglish", "MLangRussian"}) {
        SCOPED_TRACE(language);
        FindAction(form.get(), language)->trigger();
        auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QApplication::processEvents();
            EXPECT_EQ(Unnamed(form.get()), std::vector<std::string>()) << "page " << page;
        }
        // The page view is made on first show and has no caption of its own.
        QWidget* view = form->findChild<QWidget*>(QStringLiteral("WebBrowser1"));
        ASSERT_NE(view, nullptr);
        EXPECT_FALSE(QAccessible::queryAccessibleInterface(view)->text(QAccessible::Name).isEmpty());

        QList<QWidget*> windows;
        for (QDialog* d : form->findChildren<QDialog*>()) windows.push_back(d);
        windows.push_back(form->findChild<THelpViewer*>());
        for (QWidget* w : windows) {
            w->show();
            QApplication::processEvents();
            EXPECT_EQ(Unnamed(w), std::vector<std::string>()) << w->objectName().toStdString();
            w->hide();
        }

        // A name follows its caption into the new language.
        auto* add = form->findChild<QToolButton*>(QStringLiteral("ToolButtonAddProduct"));
        EXPECT_EQ(QAccessible::queryAccessibleInterface(add)->text(QAccessible::Name),
                  add->text().remove(QLatin1Char('&')));
    }
}
