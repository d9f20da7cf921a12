// The keyboard: each key runs the command of the page shown, and the menus show the keys.
#include "app/ui/TestProgram.h"

#include "lang/HelpFile.h"
#include "manual/ui/TBrowserPanel.h"

#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

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

    // Each command's key stands beside its menu entry, which binds no key of its own.
    const std::pair<const char*, const char*> entries[] = {
        {"MProductsAdd", "Ctrl+N"},  {"MProductsEdit", "Ctrl+E"},    {"MProductsLoad", "Ctrl+O"},
        {"MProductsSave", "Ctrl+S"}, {"MSubmitAuto", "Ctrl+Return"}, {"MHistoryAuto", "Ctrl+H"},
        {"PMAddProduct", "Ctrl+N"},  {"MenuItem4", "Ctrl+E"},
    };
    for (const auto& [entry, key] : entries) {
        QAction* a = FindAction(form.get(), entry);
        EXPECT_EQ(a->text().section(QLatin1Char('\t'), 1).toStdString(), key) << entry;
        EXPECT_TRUE(a->shortcut().isEmpty()) << entry;
    }
    // A language applied keeps the key beside the new caption.
    FindAction(form.get(), "MLangRussian")->trigger();
    EXPECT_EQ(FindAction(form.get(), "MProductsLoad")->text(), QStringLiteral("Загрузить\tCtrl+O"));
}

namespace {

// The windows where a key can run: a shortcut's, or those of the widgets an action stands on
// (for an entry of a menu, the window the menu belongs to).
std::set<QWidget*> WindowsOf(const QObject* holder)
{
    std::set<QWidget*> windows;
    if (auto* shortcut = qobject_cast<const QShortcut*>(holder)) {
        if (auto* w = qobject_cast<QWidget*>(shortcut->parent())) windows.insert(w->window());
        return windows;
    }
    for (QObject* placed : qobject_cast<const QAction*>(holder)->associatedObjects()) {
        auto* w = qobject_cast<QWidget*>(placed);
        while (qobject_cast<QMenu*>(w)) w = w->parentWidget();
        if (w) windows.insert(w->window());
    }
    return windows;
}

// The keys of every action and shortcut of the program's windows open now.
std::map<QString, std::vector<QObject*>> KeysBound()
{
    std::map<QString, std::vector<QObject*>> bound;
    std::set<QObject*> seen;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        for (QAction* a : top->findChildren<QAction*>())
            if (seen.insert(a).second)
                for (const QKeySequence& key : a->shortcuts()) bound[key.toString()].push_back(a);
        for (QShortcut* s : top->findChildren<QShortcut*>())
            if (seen.insert(s).second)
                for (const QKeySequence& key : s->keys()) bound[key.toString()].push_back(s);
    }
    return bound;
}

// The main window with the PAD editor, the history window and the help viewer open.
std::unique_ptr<TForm1> StartWithEveryWindow(TestProgram& p)
{
    auto form = p.Start();
    FindAction(form.get(), "MProductsEditPad")->trigger();
    FindAction(form.get(), "AHistoryAuto")->trigger();
    FindAction(form.get(), "AKeyHelp")->trigger();
    for (const char* name : {"FormPadEditor", "HistoryWindow", "HelpViewer"})
        EXPECT_NE(form->findChild<QWidget*>(QString::fromUtf8(name)), nullptr) << name;
    return form;
}

} // namespace

// Qt runs neither action of a key bound twice where both can run ("Ambiguous shortcut overload").
TEST(TForm1Keys, NoKeyIsBoundTwiceInOneWindowOfTheProgram)
{
    TestProgram p;
    auto form = StartWithEveryWindow(p);
    int keys = 0;
    for (const auto& [key, holders] : KeysBound()) {
        ++keys;
        for (size_t i = 0; i < holders.size(); ++i) {
            for (size_t j = i + 1; j < holders.size(); ++j) {
                const QObject* a = holders[i];
                const QObject* b = holders[j];
                std::set<QWidget*> both;
                const std::set<QWidget*> wa = WindowsOf(a), wb = WindowsOf(b);
                std::set_intersection(wa.begin(), wa.end(), wb.begin(), wb.end(), std::inserter(both, both.end()));
                EXPECT_TRUE(both.empty()) << key.toStdString() << ": " << a->objectName().toStdString() << " and "
                                          << b->objectName().toStdString();
            }
        }
    }
    EXPECT_GE(keys, 15);
}

// A key the help names that nothing binds (or one written so that it reads as another) fails here.
TEST(TForm1Keys, EveryKeyInTheHelpsTableOfKeysIsBound)
{
    TestProgram p;
    auto form = StartWithEveryWindow(p);
    const std::map<QString, std::vector<QObject*>> bound = KeysBound();
    // Handled by the lists and windows themselves, not by actions (tested with them).
    const std::set<QString> ownKeys = {QStringLiteral("Return"), QStringLiteral("Del"), QStringLiteral("Esc")};
    for (const char* language : {"English", "Russian"}) {
        SCOPED_TRACE(language);
        const std::string help = p.dir.Read(HelpFile::For(language));
        const auto sections = HelpFile::Sections(help);
        ASSERT_GE(sections.size(), 12u);
        const HelpSection& table = sections[11];
        std::istringstream lines(help.substr(table.Offset, table.End - table.Offset));
        int named = 0;
        for (std::string line; std::getline(lines, line);) {
            // "  Ctrl+N        Add ...", or a key column alone with its text on the next line.
            if (line.size() < 3 || line.compare(0, 2, "  ") != 0 || line[2] == ' ') continue;
            const std::string column = line.substr(2, line.find("  ", 2) - 2);
            for (const QString& name : QString::fromStdString(column).trimmed().split(QStringLiteral(", "))) {
                const QKeySequence key =
                    QKeySequence::fromString(name == QStringLiteral("Enter") ? QStringLiteral("Return") : name);
                ++named;
                ASSERT_EQ(key.count(), 1) << name.toStdString();
                EXPECT_TRUE(bound.count(key.toString()) || ownKeys.count(key.toString())) << name.toStdString();
            }
        }
        EXPECT_GT(named, 18);
    }
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
