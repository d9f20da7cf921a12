// The status bar follows the lists: totals after every command, and the named row's text.
#include "app/ui/TestProgram.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

TEST(TForm1StatusBar, TotalAndRowTextFollowAddDeleteLoadAndPageChanges)
{
    TestProgram p;
    auto form = p.Start();
    auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    TListView* products = form->ListViewProducts();
    EXPECT_EQ(form->StatusPanelText(0), QStringLiteral(" Total: 3"));

    TItemDialog::setExecHook([](TItemDialog& d) {
        d.EditTitle()->setText(QStringLiteral("Zeta Tool"));
        d.EditLink()->setText(QStringLiteral("http://zeta.example/pad.xml"));
        QTest::mouseClick(d.ButtonOk(), Qt::LeftButton);
    });
    FindAction(form.get(), "AAddProduct")->trigger();
    EXPECT_EQ(form->StatusPanelText(0), QStringLiteral(" Total: 4"));

    // The named row renamed through Edit, then deleted.
    ClickRow(products, 3);
    EXPECT_EQ(form->StatusPanelText(1), QStringLiteral("Zeta Tool - http://zeta.example/pad.xml"));
    TItemDialog::setExecHook([](TItemDialog& d) {
        d.EditTitle()->setText(QStringLiteral("Alpha Tool"));
        QTest::mouseClick(d.ButtonOk(), Qt::LeftButton);
    });
    FindAction(form.get(), "AEditProduct")->trigger();
    EXPECT_EQ(form->StatusPanelText(1), QStringLiteral("Alpha Tool - http://zeta.example/pad.xml"));
    FindAction(form.get(), "ADeleteProduct")->trigger(); // answered OK
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Are you sure ?"});
    EXPECT_EQ(form->StatusPanelText(0), QStringLiteral(" Total: 3"));
    EXPECT_EQ(form->StatusPanelText(1), QString());

    p.dir.Write("two.dat", "One|http://one/|\r\nTwo|http://two/|\r\n");
    FileDialogs::setNextFileName(QString::fromStdString(p.dir.File("two.dat")));
    FindAction(form.get(), "ALoadProducts")->trigger();
    EXPECT_EQ(form->StatusPanelText(0), QStringLiteral(" Total: 2"));
    FindAction(form.get(), "ADeleteAllProduct")->trigger();
    EXPECT_EQ(form->StatusPanelText(0), QStringLiteral(" Total: 0"));

    // A site named on the Auto Submit page is not shown on the other pages.
    pages->setCurrentIndex(1);
    ClickRow(form->ListViewAuto(), 0, Qt::NoModifier, 0);
    EXPECT_FALSE(form->StatusPanelText(1).isEmpty());
    pages->setCurrentIndex(2);
    EXPECT_EQ(form->StatusPanelText(0), QStringLiteral(" Total: 3"));
    EXPECT_EQ(form->StatusPanelText(1), QString());
    ClickRow(form->ListViewManual(), 0, Qt::NoModifier, 0);
    const ListRows& manual = form->ManualList();
    EXPECT_EQ(form->StatusPanelText(1).toStdString(),
              std::string(manual.Caption(0)) + " - " + std::string(manual.Text(0, 1)));
    FindAction(form.get(), "ADeleteAllManual")->trigger();
    EXPECT_EQ(form->StatusPanelText(0), QStringLiteral(" Total: 0"));
    EXPECT_EQ(form->StatusPanelText(1), QString());
}
