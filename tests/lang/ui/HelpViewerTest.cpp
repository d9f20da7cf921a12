// Help > Content where the desktop has no program for text files: the program's own viewer.
#include "app/ui/TestProgram.h"

#include "lang/ui/THelpViewer.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

THelpViewer* Viewer(TForm1& form)
{
    return form.findChild<THelpViewer*>(QStringLiteral("HelpViewer"));
}

} // namespace

TEST(HelpViewer, ShowsTheHelpTextWhenTheDesktopCannotOpenItAndFindsWordsRoundTheEnd)
{
    TestProgram p;
    // Text beyond ASCII is read as UTF-8; "Quill" appears twice.
    p.dir.Write("help/Help - En.txt", "Quill help \xE2\x80\x94 first\r\nsecond line, Quill again\r\n");
    auto form = p.Start();
    std::vector<QString> tried;
    ShellOpen::setHook([&tried](const QString& target, bool) {
        tried.push_back(target);
        return false;
    });
    FindAction(form.get(), "AContent")->trigger();
    THelpViewer* viewer = Viewer(*form);
    ASSERT_NE(viewer, nullptr);
    ASSERT_EQ(tried.size(), 1u); // the desktop was asked first
    const QString path = QString::fromStdString(p.dir.File("help/Help - En.txt"));
    EXPECT_EQ(tried[0], path);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), path);
    auto* text = viewer->findChild<QPlainTextEdit*>(QStringLiteral("HelpText"));
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->toPlainText(), QString::fromUtf8("Quill help \u2014 first\nsecond line, Quill again\n"));

    auto* find = viewer->findChild<QLineEdit*>(QStringLiteral("HelpFind"));
    EXPECT_FALSE(find->isVisible());
    // (A window shown over its owner counts as active while the owner is; the keys need it itself.)
    viewer->activateWindow();
    for (int i = 0; i < 100 && QApplication::activeWindow() != viewer; ++i) QTest::qWait(20);
    ASSERT_EQ(QApplication::activeWindow(), viewer);
    QTest::keyClick(text, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(find->isVisible());
    QTest::keyClicks(find, QStringLiteral("quill"));
    EXPECT_EQ(text->textCursor().selectionStart(), 0); // letter case is not matched
    QTest::keyClick(find, Qt::Key_Return);
    const int second = static_cast<int>(text->toPlainText().indexOf(QStringLiteral("Quill again")));
    EXPECT_EQ(text->textCursor().selectionStart(), second);
    QTest::keyClick(find, Qt::Key_Return); // past the last match: round to the first
    EXPECT_EQ(text->textCursor().selectionStart(), 0);
    EXPECT_EQ(text->textCursor().selectedText(), QStringLiteral("Quill"));
    find->setText(QStringLiteral("nowhere"));
    EXPECT_FALSE(viewer->FindNext());
    QTest::keyClick(find, Qt::Key_Escape);
    EXPECT_FALSE(find->isVisible());
    EXPECT_TRUE(viewer->isVisible());

    // Asked again (now in Russian): the same window shows the other file.
    FindAction(form.get(), "MLangRussian")->trigger();
    FindAction(form.get(), "AContent")->trigger();
    EXPECT_EQ(form->findChildren<THelpViewer*>().size(), 1);
    EXPECT_EQ(Viewer(*form)->windowTitle(), QString::fromStdString(p.dir.File("help/Help - Ru.txt")));
    EXPECT_TRUE(text->toPlainText().startsWith(
        QString::fromUtf8("Quillpost 1.3 - \u0421\u043f\u0440\u0430\u0432\u043a\u0430")));
}

TEST(HelpViewer, AMissingHelpFileOpensNoViewerAndTheDesktopKeepsTheTask)
{
    TestProgram p;
    p.Remove("help");
    auto form = p.Start();
    ShellOpen::setHook([](const QString&, bool) { return false; });
    FindAction(form.get(), "AContent")->trigger();
    EXPECT_EQ(Viewer(*form), nullptr);
    EXPECT_TRUE(p.Messages().empty());
}
