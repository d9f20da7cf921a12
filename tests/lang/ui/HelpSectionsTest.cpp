// The help texts against the real window: every menu entry is documented, F1 opens the help
// at the page shown, and the Undo entry speaks the language shown.
#include "app/ui/TestProgram.h"

#include "common/ui/LocalText.h"
#include "lang/HelpFile.h"
#include "lang/ui/THelpViewer.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

// A command added to a menu without a word in the help of each language fails here.
TEST(HelpSections, EveryMenuEntryOfEitherLanguageIsInAHelpSectionOfThatLanguage)
{
    for (const std::string language : {"English", "Russian"}) {
        SCOPED_TRACE(language);
        TestProgram p;
        p.dir.Write("quillpost.ini", "[Configuration]\r\nLanguage=" + language + "\r\n");
        auto form = p.Start();
        const std::string help = p.dir.Read(HelpFile::For(language));
        std::string sections;
        for (const HelpSection& s : HelpFile::Sections(help)) sections += help.substr(s.Offset, s.End - s.Offset);
        int checked = 0;
        auto expectDocumented = [&](const QString& caption) {
            const std::string plain = HelpFile::PlainCaption(LocalText::ToBytes(caption));
            if (plain.empty()) return;
            ++checked;
            EXPECT_NE(sections.find(plain), std::string::npos) << "not in the help: " << plain;
        };
        for (QMenu* menu : form->findChildren<QMenu*>()) { // the main menu's and the lists' menus
            expectDocumented(menu->title());
            for (QAction* entry : menu->actions())
                if (!entry->isSeparator() && !entry->menu())
                    expectDocumented(entry->text().section(QLatin1Char('\t'), 0, 0)); // without the key shown
        }
        EXPECT_GT(checked, 40);
    }
}

TEST(HelpSections, F1OpensTheHelpOfTheLanguageShownAtTheSectionOfThePageShown)
{
    TestProgram p;
    p.dir.Write("quillpost.ini", "[Configuration]\r\nLanguage=Russian\r\n");
    auto form = p.Start();
    auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    form->show();
    for (int page : {1, 0}) {
        pages->setCurrentIndex(page);
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : form.get(), Qt::Key_F1);
        auto* viewer = form->findChild<THelpViewer*>(QStringLiteral("HelpViewer"));
        ASSERT_NE(viewer, nullptr);
        EXPECT_TRUE(viewer->isVisible());
        EXPECT_EQ(viewer->windowTitle().toStdString(), p.dir.File("help/Help - Ru.txt"));
        auto* text = viewer->findChild<QPlainTextEdit*>(QStringLiteral("HelpText"));
        const QString heading = text->textCursor().block().text();
        EXPECT_TRUE(heading.contains(pages->tabText(page))) << heading.toStdString();
        EXPECT_EQ(text->cursorForPosition(QPoint(0, 0)).block().text(), heading); // scrolled to the top of the view
        viewer->close();
    }
}

TEST(HelpSections, TheUndoEntryNamesItsStepInTheLanguageShown)
{
    TestProgram p;
    p.dir.Write("quillpost.ini", "[Configuration]\r\nLanguage=Russian\r\n");
    auto form = p.Start();
    ASSERT_GT(form->ListViewProducts()->model()->rowCount(), 0);
    FindAction(form.get(), "ADeleteAllProduct")->trigger();
    EXPECT_EQ(FindAction(form.get(), "AUndo")->text(), QStringLiteral("Отменить удаление всех"));
    FindAction(form.get(), "MLangEnglish")->trigger();
    EXPECT_EQ(FindAction(form.get(), "AUndo")->text(), QStringLiteral("Undo Delete All"));
}
