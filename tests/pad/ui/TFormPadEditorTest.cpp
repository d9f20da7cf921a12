// The PAD editor in the real window: the author's file in, a description checked as it is
// typed, the file saved with only that text changed.
#include "app/ui/TestProgram.h"

#include "common/ui/FileDialogs.h"
#include "common/ui/MessageBoxes.h"
#include "lang/ui/THelpViewer.h"
#include "pad/ui/TFormPadEditor.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

TEST(TFormPadEditor, ADescriptionPastItsLimitIsShownThenFixedAndTheSaveKeepsEveryOtherByte)
{
    TestProgram p;
    auto form = p.Start();
    FindAction(form.get(), "MProductsEditPad")->trigger();
    auto* editor = form->findChild<TFormPadEditor*>(QStringLiteral("FormPadEditor"));
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(editor->HasDocument()); // no product selected: nothing downloaded

    const std::string before = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<!-- by hand -->\r\n"
                               "<XML_DIZ_INFO>\r\n  <Unknown a=\"1\">x</Unknown>\r\n  <Program_Descriptions>\r\n"
                               "    <English>\r\n      <Char_Desc_45>Notes caf\xE9</Char_Desc_45>\r\n"
                               "    </English>\r\n  </Program_Descriptions>\r\n</XML_DIZ_INFO>\r\n";
    p.dir.Write("tidy.xml", before);
    ASSERT_TRUE(editor->OpenPath(QString::fromStdString(p.dir.File("tidy.xml"))));
    const QString path = QStringLiteral("Program_Descriptions/English/Char_Desc_45");
    auto* line = editor->findChild<QLineEdit*>(path);
    auto* problem = editor->findChild<QLabel*>(path + QStringLiteral(":Problem"));
    auto* count = editor->findChild<QLabel*>(path + QStringLiteral(":Count"));
    ASSERT_TRUE(line && problem && count);
    EXPECT_EQ(line->text(), QStringLiteral("Notes caf\u00E9"));
    EXPECT_EQ(problem->text(), QString());
    EXPECT_EQ(count->text(), QStringLiteral("10 / 45"));

    const QString fixed = QStringLiteral("Forty-five characters of text, \u00E9 included too");
    ASSERT_EQ(fixed.size(), 45);
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("Forty-five characters of text, "));
    QTest::sendKeyEvent(QTest::Click, line, Qt::Key_Eacute, QStringLiteral("\u00E9"), Qt::NoModifier);
    QTest::keyClicks(line, QStringLiteral(" included too!"));
    ASSERT_EQ(line->text(), fixed + QStringLiteral("!"));
    EXPECT_EQ(problem->text(), QStringLiteral("should be 1 to 45 characters"));
    EXPECT_EQ(count->text(), QStringLiteral("46 / 45"));

    // A changed document is not dropped unasked.
    MessageBoxes::setNextAnswer(MessageBoxes::Answer::Cancel);
    editor->close();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->Changed());

    QTest::keyClick(line, Qt::Key_Backspace);
    EXPECT_EQ(problem->text(), QString());
    EXPECT_EQ(count->text(), QStringLiteral("45 / 45"));
    editor->findChild<QPushButton*>(QStringLiteral("ButtonSave"))->click();
    EXPECT_FALSE(editor->Changed());
    std::string after = before;
    after.replace(after.find("Notes caf\xE9"), 10, "Forty-five characters of text, \xE9 included too");
    EXPECT_EQ(p.dir.Read("tidy.xml"), after);
    editor->close();
    EXPECT_FALSE(editor->isVisible());
}

TEST(TFormPadEditor, ItsKeysPressItsButtonsAndF1OpensItsSectionOfTheHelp)
{
    TestProgram p;
    auto form = p.Start();
    FindAction(form.get(), "MProductsEditPad")->trigger();
    auto* editor = form->findChild<TFormPadEditor*>(QStringLiteral("FormPadEditor"));
    ASSERT_NE(editor, nullptr);
    auto press = [editor](Qt::Key key, Qt::KeyboardModifiers mods) {
        // The editor's own window, not only one that shares the main window's activation.
        editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([editor] { return QApplication::activeWindow() == editor; }));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : editor, key, mods);
    };
    // Save cannot be pressed while no file is open, so Ctrl+S does nothing yet.
    FileDialogs::clearShown();
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(FileDialogs::shown().empty());
    press(Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(FileDialogs::shown().size(), 1u);
    EXPECT_EQ(FileDialogs::shown()[0].Dialog, FileDialogs::Kind::Open);
    EXPECT_TRUE(FileDialogs::shown()[0].Filter.startsWith(QStringLiteral("PAD File"))); // not the product list's
    press(Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(editor->HasDocument());
    press(Qt::Key_S, Qt::ControlModifier); // a new file has no name yet: Save asks for one
    ASSERT_EQ(FileDialogs::shown().size(), 2u);
    EXPECT_EQ(FileDialogs::shown()[1].Dialog, FileDialogs::Kind::Save);

    press(Qt::Key_F1, Qt::NoModifier);
    auto* viewer = form->findChild<THelpViewer*>(QStringLiteral("HelpViewer"));
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    const QString heading = viewer->findChild<QPlainTextEdit*>(QStringLiteral("HelpText"))->textCursor().block().text();
    EXPECT_TRUE(heading.contains(QStringLiteral("Edit PAD File"))) << heading.toStdString();
    viewer->close();
    MessageBoxes::setNextAnswer(MessageBoxes::Answer::No);
    editor->close();
}
