// The main window's own keys (what Escape does depends on where the focus is) and the
// windows it owns.
#include "app/ui/TestProgram.h"

#include "manual/ui/TBrowserPanel.h"
#include "submit/ui/TFormProgress.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// Gives `widget` the focus and presses Escape, as a user would: the key goes to the
// widget that holds the focus.
void EscapeIn(TForm1& form, QWidget* widget)
{
    if (!form.isVisible()) form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    widget->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(widget->hasFocus()) << widget->objectName().toStdString();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
}

} // namespace

TEST(TForm1Window, EscapeClosesTheWindowOnlyWhenTheFocusIsOnTheWindowItself)
{
    TestProgram p;
    auto form = p.Start();
    auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    pages->setCurrentIndex(2); // the browser's controls are on the Manual Submit page
    auto* browser = form->findChild<TBrowserPanel*>(QStringLiteral("PanelBrowser"));
    ASSERT_NE(browser, nullptr);

    struct Place {
        const char* what;
        QWidget* widget;
    };
    const Place places[] = {
        {"the address box", browser->AddressBox()},
        {"the tab bar", pages->tabBar()},
        {"a browser button", form->findChild<QToolButton*>(QStringLiteral("ToolButtonBack"))},
        {"the manual list", form->findChild<QWidget*>(QStringLiteral("ListViewManual"))},
    };
    for (const Place& place : places) {
        ASSERT_NE(place.widget, nullptr) << place.what;
        EscapeIn(*form, place.widget);
        EXPECT_TRUE(form->isVisible()) << "Escape in " << place.what << " closed the window";
    }
    pages->setCurrentIndex(1);
    EscapeIn(*form, form->findChild<QComboBox*>(QStringLiteral("ComboBoxSpeed")));
    EXPECT_TRUE(form->isVisible()) << "Escape in the speed box closed the window";
    EXPECT_TRUE(p.Messages().empty());

    // Nothing inside holds the focus: the key is the window's own.
    if (!form->isVisible()) form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
}

TEST(TForm1Window, TheProgressWindowIsInTheMainWindowsFont)
{
    TestProgram p;
    auto form = p.Start();
    auto* progress = form->findChild<TFormProgress*>(QStringLiteral("FormProgress"));
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->font().toString().toStdString(), form->font().toString().toStdString());
    EXPECT_EQ(progress->ButtonCancel()->font().toString().toStdString(), form->font().toString().toStdString());
}
