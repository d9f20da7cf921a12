// The tool bars keep every caption whole in either language: a bar without the room for all
// its buttons puts the rest in its extension menu instead of narrowing them.
#include "app/ui/TestProgram.h"

#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

QToolBar* Bar(TForm1& form, const char* name)
{
    return form.findChild<QToolBar*>(QString::fromUtf8(name));
}

// Each button shown on `bar` is as wide as its caption needs and never narrower than the
// bar's button width; each action not shown is reached from the bar's extension menu.
// Returns how many buttons are shown.
int ExpectWholeCaptions(QToolBar* bar)
{
    const int buttonWidth = bar->property("ButtonWidth").toInt();
    auto* extension = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    int shown = 0;
    for (QAction* action : bar->actions()) {
        if (action->isSeparator()) continue;
        QWidget* button = bar->widgetForAction(action);
        const std::string what = bar->objectName().toStdString() + ": " + action->text().toStdString();
        if (button->isVisible()) {
            ++shown;
            EXPECT_GE(button->width(), button->sizeHint().width()) << what;
            EXPECT_GE(button->width(), buttonWidth) << what;
            EXPECT_LE(button->geometry().right(), bar->contentsRect().right()) << what;
        } else {
            EXPECT_TRUE(extension && extension->isVisible() && extension->menu()->actions().contains(action))
                << what << " is neither shown nor in the extension menu";
        }
    }
    return shown;
}

int ButtonCount(const QToolBar* bar)
{
    int count = 0;
    for (const QAction* action : bar->actions()) count += action->isSeparator() ? 0 : 1;
    return count;
}

void ExpectProductsCaptionsWhole(TForm1& form)
{
    QApplication::processEvents();
    for (const char* name : {"ToolBarProductsRow1", "ToolBarProductsRow2"})
        EXPECT_GT(ExpectWholeCaptions(Bar(form, name)), 0) << name;
}

} // namespace

TEST(ToolBarCaptions, RussianCaptionsStayWholeAtTheFirstStartSizeAndAfterEachLanguageChange)
{
    TestProgram p;
    p.dir.Write("quillpost.ini", "[Configuration]\nLanguage=Russian\n");
    auto form = p.Start();
    ExpectProductsCaptionsWhole(*form);

    FindAction(form.get(), "MLangEnglish")->trigger();
    ExpectProductsCaptionsWhole(*form);
    // English fits the first-start window: no button is left to the extension menu.
    for (const char* name : {"ToolBarProductsRow1", "ToolBarProductsRow2"}) {
        QToolBar* bar = Bar(*form, name);
        EXPECT_EQ(ExpectWholeCaptions(bar), ButtonCount(bar)) << name;
    }

    FindAction(form.get(), "MLangRussian")->trigger();
    ExpectProductsCaptionsWhole(*form);
}

TEST(ToolBarCaptions, ANarrowWindowMovesButtonsToTheExtensionMenuAndAWideOneShowsAllInOneRow)
{
    TestProgram p;
    p.dir.Write("quillpost.ini", "[Configuration]\nLanguage=Russian\n");
    auto form = p.Start();
    QToolBar* row1 = Bar(*form, "ToolBarProductsRow1");
    QToolBar* row2 = Bar(*form, "ToolBarProductsRow2");

    form->resize(200, 454);
    ExpectProductsCaptionsWhole(*form);
    EXPECT_LT(ExpectWholeCaptions(row1), ButtonCount(row1));

    form->resize(1280, 900);
    QApplication::processEvents();
    EXPECT_EQ(row2->y(), row1->y());
    for (QToolBar* bar : {row1, row2}) EXPECT_EQ(ExpectWholeCaptions(bar), ButtonCount(bar));
}
