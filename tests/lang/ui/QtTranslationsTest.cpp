// Qt's own texts (message box buttons, the text boxes' context menus) follow the language
// chosen in the menu.
#include "app/ui/TestProgram.h"

#include "lang/ui/QtTranslations.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

QString YesButton()
{
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
    return box.button(QMessageBox::Yes)->text();
}

QString FirstEditMenuEntry()
{
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    return menu->actions().value(0) ? menu->actions().value(0)->text() : QString();
}

bool RussianInstalled()
{
    return QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ru.qm"));
}

} // namespace

TEST(QtTranslations, TheLanguageMenuSwitchesQtsOwnButtonsAndMenusToRussianAndBack)
{
    if (!RussianInstalled()) GTEST_SKIP() << "Qt's Russian translations are not installed";
    TestProgram p;
    auto form = p.Start();
    const QString englishYes = YesButton();
    const QString englishUndo = FirstEditMenuEntry();
    EXPECT_EQ(englishYes, QStringLiteral("&Yes"));

    FindAction(form.get(), "MLangRussian")->trigger();
    EXPECT_EQ(YesButton(), QStringLiteral("&Да"));
    EXPECT_NE(FirstEditMenuEntry(), englishUndo);
    EXPECT_FALSE(FirstEditMenuEntry().contains(QStringLiteral("Undo")));

    FindAction(form.get(), "MLangEnglish")->trigger();
    EXPECT_EQ(YesButton(), englishYes);
    EXPECT_EQ(FirstEditMenuEntry(), englishUndo);
}

TEST(QtTranslations, MissingTranslationsOrALanguageQtDoesNotKnowLeaveQtInEnglish)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    QtTranslations::SetFolder(empty.path());
    QtTranslations::Use("Russian");
    EXPECT_EQ(YesButton(), QStringLiteral("&Yes"));
    QtTranslations::SetFolder({});

    // A language of the user's own making that is no language Qt names; and Russian, then a
    // name differing only in letter case, which loads Qt's English again.
    for (const char* name : {"Probe", "russian"}) {
        if (RussianInstalled()) QtTranslations::Use("Russian");
        QtTranslations::Use(name);
        EXPECT_EQ(YesButton(), QStringLiteral("&Yes")) << name;
    }
}
