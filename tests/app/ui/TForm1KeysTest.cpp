// The keyboard: each key runs the command of the page shown, and the menus show the keys.
#include "app/ui/TestProgram.h"

#include "manual/ui/TBrowserPanel.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

// The item dialogs that opened, by name; each is cancelled.
std::vector<std::string> opened;

void PressIn(TForm1& form, QWidget* widget, Qt::Key key, Qt::KeyboardModifiers mods = Qt::ControlModifier)
{
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    widget->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(QApplication::focusWidget(), key, mods);
}

} // namespace

TEST(TForm1Keys, EachKeyRunsTheCommandOfThePageShownAndTheMenusShowThem)
{
    TestProgram p;
    auto form = p.Start();
    opened.clear();
    TItemDialog::setExecHook([](TItemDialog& d) {
        opened.push_back(d.objectName().toStdString());
        QTest::mouseClick(d.ButtonCancel(), Qt::LeftButton);
    });
    auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    TListView* products = form->ListViewProducts();

    PressIn(*form, products, Qt::Key_N);
    ClickRow(products, 1);
    PressIn(*form, products, Qt::Key_E);
    PressIn(*form, products, Qt::Key_Return, Qt::NoModifier);
    EXPECT_EQ(opened, (std::vector<std::string>{"FormAddProduct", "FormEditProduct", "FormEditProduct"}));

    FileDialogs::clearShown();
    PressIn(*form, products, Qt::Key_O);
    PressIn(*form, products, Qt::Key_S);
    ASSERT_EQ(FileDialogs::shown().size(), 2u);
    EXPECT_EQ(FileDialogs::shown()[1].Preset, QStringLiteral("products.dat"));

    // Ctrl+Enter: Submit All, with nothing checked, so nothing is sent.
    QSignalSpy submitted(FindAction(form.get(), "ASubmitAllAuto"), &QAction::triggered);
    PressIn(*form, products, Qt::Key_Return);
    PressIn(*form, products, Qt::Key_Enter);
    EXPECT_EQ(submitted.count(), 2);
    p.Messages();

    // The browser's keys wait for its page.
    auto* browser = form->findChild<TBrowserPanel*>(QStringLiteral("PanelBrowser"));
    PressIn(*form, products, Qt::Key_L);
    EXPECT_FALSE(browser->AddressBox()->hasFocus());

    // The same keys on the Manual Submit page work on its list.
    opened.clear();
    pages->setCurrentIndex(2);
    QApplication::processEvents();
    TListView* manual = form->ListViewManual();
    PressIn(*form, manual, Qt::Key_N);
    ClickRow(manual, 0, Qt::NoModifier, 0);
    PressIn(*form, manual, Qt::Key_E);
    EXPECT_EQ(opened, (std::vector<std::string>{"FormAddManual", "FormEditManual"}));
    FileDialogs::clearShown();
    PressIn(*form, manual, Qt::Key_S);
    ASSERT_EQ(FileDialogs::shown().size(), 1u);
    EXPECT_EQ(FileDialogs::shown()[0].Preset, QStringLiteral("sites.dat"));
    PressIn(*form, manual, Qt::Key_L);
    EXPECT_TRUE(browser->AddressBox()->hasFocus());
    EXPECT_TRUE(p.Messages().empty());

    // Each command's key stands beside its menu entry.
    const std::pair<const char*, const char*> entries[] = {
        {"MProductsAdd", "Ctrl+N"},  {"MProductsEdit", "Ctrl+E"},    {"MProductsLoad", "Ctrl+O"},
        {"MProductsSave", "Ctrl+S"}, {"MSubmitAuto", "Ctrl+Return"},
    };
    for (const auto& [entry, key] : entries)
        EXPECT_EQ(FindAction(form.get(), entry)->shortcut().toString().toStdString(), key) << entry;
}

TEST(TForm1Keys, TheProductsToolBarWrapsOnlyWhenTheWindowIsTooNarrowForOneRow)
{
    TestProgram p;
    auto form = p.Start();
    auto* row1 = form->findChild<QToolBar*>(QStringLiteral("ToolBarProductsRow1"));
    auto* row2 = form->findChild<QToolBar*>(QStringLiteral("ToolBarProductsRow2"));
    form->resize(1280, 900);
    QApplication::processEvents();
    EXPECT_EQ(row2->y(), row1->y());
    EXPECT_GT(row2->x(), row1->x());
    EXPECT_GE(row2->width(), row2->sizeHint().width()); // no button hidden
    form->resize(400, 454);
    QApplication::processEvents();
    EXPECT_GE(row2->y(), row1->y() + row1->height());
    EXPECT_GE(row1->width(), row1->sizeHint().width());
}
