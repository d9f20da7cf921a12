// Languages, help and the about window, through the real main window.
#include "app/ui/TFormProxy.h"
#include "app/ui/TestProgram.h"

#include "history/ui/THistoryWindow.h"
#include "lang/LanguageKeys.h"
#include "lang/ui/QtTranslations.h"
#include "lang/ui/TAboutBox.h"
#include "lang/ui/THelpViewer.h"
#include "lang/ui/TThemeManager.h"
#include "manual/ui/TFormEditManual.h"
#include "pad/ui/TFormPadEditor.h"

#include <QAbstractButton>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

// How often `path` is opened while `fn` runs; closes are watched too, or inotify would merge
// two opens in a row into one event.
template <typename Fn>
int OpensOf(const std::string& path, Fn&& fn)
{
    const int fd = ::inotify_init1(IN_NONBLOCK);
    if (fd < 0 || ::inotify_add_watch(fd, path.c_str(), IN_OPEN | IN_CLOSE) < 0) throw std::runtime_error("no inotify");
    fn();
    int opens = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            opens += (e->mask & IN_OPEN) != 0;
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
    ::close(fd);
    return opens;
}

} // namespace

TEST(Language, EveryKeyNamesACaptionThatALanguageFileSets)
{
    TestProgram p;
    p.Remove("language"); // nothing replaces the built-in texts
    auto form = p.Start();
    EXPECT_TRUE(p.Messages().empty()); // a missing language file is not an error
    std::string probe = "[Interface]\r\n";
    int n = 0;
    std::vector<LanguageKey> keys(LanguageKeys::All().begin(), LanguageKeys::All().end());
    keys.insert(keys.end(), LanguageKeys::Extra().begin(), LanguageKeys::Extra().end());
    for (const LanguageKey& k : keys) {
        SCOPED_TRACE(k.Key);
        std::optional<QString> caption = form->LanguageCaption(k.Key);
        ASSERT_TRUE(caption.has_value());
        EXPECT_EQ(caption->toStdString(), k.English);
        probe += std::string(k.Key) + "=T" + std::to_string(n++) + "\r\n";
    }
    p.dir.Write("language/Probe.ini", probe);
    form->ApplyLanguage("Probe");
    n = 0;
    for (const LanguageKey& k : keys)
        EXPECT_EQ(form->LanguageCaption(k.Key)->toStdString(), "T" + std::to_string(n++)) << k.Key;
    // Where the captions show.
    auto text = [&](const char* key) { return form->LanguageCaption(key).value(); };
    EXPECT_EQ(FindAction(form.get(), "MProductsAdd")->text(),
              text("AAddProduct->Caption") + QStringLiteral("\tCtrl+N"));
    EXPECT_EQ(FindAction(form.get(), "PMCheck")->text(), text("ATestPad->Caption"));
    EXPECT_EQ(form->findChild<QToolButton*>(QStringLiteral("ToolButtonDeleteManual"))->text(),
              text("ADeleteManual->Caption"));
    EXPECT_EQ(form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->tabText(1), text("TabSheetAuto->Caption"));
    EXPECT_EQ(form->ListViewManual()->model()->headerData(2, Qt::Horizontal).toString(),
              text("ListViewManual->Column[2]->Caption"));
    EXPECT_EQ(form->FormProgress()->findChild<QLabel*>(QStringLiteral("LabelSite"))->text(),
              text("FormProgress->LabelSite->Caption"));
    EXPECT_EQ(form->AboutBox()->findChild<QLabel*>(QStringLiteral("LabelSite"))->text(),
              text("AboutBox->LabelSite->Caption"));
    EXPECT_EQ(FindAction(form.get(), "MProxy")->text(), text("AProxy->Caption"));
    EXPECT_EQ(form->FormProxy()->findChild<QLabel*>(QStringLiteral("LabelProxyPort"))->text(),
              text("FormProxy->LabelProxyPort->Caption"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quillpost 1.3")); // no key for it
    EXPECT_FALSE(FindAction(form.get(), "MLangEnglish")->isChecked());
    EXPECT_FALSE(FindAction(form.get(), "MLangRussian")->isChecked());
}

TEST(Language, AKeyMissingFromTheNewLanguageKeepsThePreviousText)
{
    TestProgram p;
    std::string english = p.dir.Read("language/English.ini");
    const size_t line = english.find("MFile->Caption=");
    p.dir.Write("language/English.ini", english.erase(line, english.find('\n', line) + 1 - line));
    p.dir.Write("quillpost.ini", "[Configuration]\r\nLanguage=Russian\r\n");
    auto form = p.Start();
    FindAction(form.get(), "MLangEnglish")->trigger();
    EXPECT_EQ(form->CurrentLanguage(), "English");
    EXPECT_TRUE(FindAction(form.get(), "MLangEnglish")->isChecked());
    EXPECT_FALSE(FindAction(form.get(), "MLangRussian")->isChecked());
    EXPECT_EQ(form->findChild<QMenu*>(QStringLiteral("MFile"))->title(), QStringLiteral("Файл"));
    EXPECT_EQ(form->findChild<QMenu*>(QStringLiteral("MHelp"))->title(), QStringLiteral("Help"));
}

TEST(Language, AnUnknownNameChecksNeitherEntry)
{
    for (const char* name : {"Klingon", "english"}) {
        SCOPED_TRACE(name);
        TestProgram p;
        p.dir.Write("quillpost.ini", std::string("[configuration]\r\nlanguage=") + name + "\r\n");
        auto form = p.Start();
        EXPECT_EQ(form->CurrentLanguage(), name);
        EXPECT_FALSE(FindAction(form.get(), "MLangEnglish")->isChecked());
        EXPECT_FALSE(FindAction(form.get(), "MLangRussian")->isChecked());
        EXPECT_EQ(form->findChild<QMenu*>(QStringLiteral("MFile"))->title(), QStringLiteral("File"));
        FindAction(form.get(), "MLangEnglish")->trigger();
        EXPECT_TRUE(FindAction(form.get(), "MLangEnglish")->isChecked());
    }
}

TEST(Language, TheFileIsReadAgainBeforeEachDialog)
{
    TestProgram p;
    auto form = p.Start();
    form->ListViewManual()->SelectRows({0});
    std::string text = p.dir.Read("language/English.ini");
    text.replace(text.find("FormEditManual->Caption=Edit Site"), 33, "FormEditManual->Caption=Change Site");
    text.replace(text.find("FormEditManual->LabelText->Caption=Link:"), 40, "FormEditManual->LabelText->Caption=");
    p.dir.Write("language/English.ini", text);

    QString title, label;
    TItemDialog::setExecHook([&](TItemDialog& d) {
        title = d.windowTitle();
        label = d.findChild<QLabel*>(QStringLiteral("LabelText"))->text();
    });
    FindAction(form.get(), "AEditManual")->trigger();
    EXPECT_EQ(title, QStringLiteral("Change Site"));
    EXPECT_EQ(label, QString()); // an empty value empties the caption
}

TEST(Language, ALanguageIsReadOnceForTheCaptionsAndTheTexts)
{
    TestProgram p;
    auto form = p.Start();
    TAboutBox::setExecHook([](TAboutBox&) {});
    EXPECT_EQ(OpensOf(p.dir.File("language/Russian.ini"), [&] { FindAction(form.get(), "MLangRussian")->trigger(); }),
              1);
    EXPECT_EQ(OpensOf(p.dir.File("language/Russian.ini"), [&] { FindAction(form.get(), "AAbout")->trigger(); }), 1);
    EXPECT_EQ(form->findChild<QAction*>(QStringLiteral("AAbout"))->text(), QStringLiteral("О программе"));
}

TEST(Language, ContentOpensTheHelpOfTheCurrentLanguage)
{
    TestProgram p;
    auto form = p.Start();
    auto* help = form->findChild<QMenu*>(QStringLiteral("MHelp"));
    ASSERT_EQ(help->actions().size(), 2);
    help->actions().at(0)->trigger(); // Content
    FindAction(form.get(), "MLangRussian")->trigger();
    FindAction(form.get(), "AContent")->trigger();
    form->ApplyLanguage("Klingon");
    FindAction(form.get(), "AContent")->trigger(); // still Russian: applying does not change it
    ASSERT_EQ(p.opened.size(), 3u);
    const std::string folder = form->Files().Folder();
    EXPECT_EQ(p.opened[0], std::make_pair(folder + "help/Help - En.txt", true));
    EXPECT_EQ(p.opened[1], std::make_pair(folder + "help/Help - Ru.txt", true));
    EXPECT_EQ(p.opened[2], p.opened[1]);
    EXPECT_TRUE(std::filesystem::exists(p.opened[1].first));

    p.dir.Write("quillpost.ini", "[Configuration]\r\nLanguage=Klingon\r\n");
    auto other = p.Start();
    p.opened.clear();
    FindAction(other.get(), "AContent")->trigger();
    EXPECT_TRUE(p.opened.empty());
}

TEST(Language, TheAboutWindowFollowsTheLanguageAndItsLinkIsLive)
{
    TestProgram p;
    auto form = p.Start();
    std::string text = p.dir.Read("language/English.ini");
    text.replace(text.find("AboutBox->LabelSite->Caption="), 59,
                 "AboutBox->LabelSite->Caption=http://127.0.0.1:9/maker");
    p.dir.Write("language/English.ini", text);

    QColor overLink, overPanel;
    TAboutBox::setExecHook([&](TAboutBox& box) {
        QLabel* site = box.LabelSite();
        QTest::mouseMove(site, site->rect().center());
        QMouseEvent move(QEvent::MouseMove, QPointF(site->rect().center()),
                         QPointF(site->mapToGlobal(site->rect().center())), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(site, &move);
        overLink = box.LinkColour();
        QWidget* panel = box.findChild<QWidget*>(QStringLiteral("Panel1"));
        QMouseEvent movePanel(QEvent::MouseMove, QPointF(2, 2), QPointF(panel->mapToGlobal(QPoint(2, 2))), Qt::NoButton,
                              Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(panel, &movePanel);
        overPanel = box.LinkColour();
        QTest::mouseClick(site, Qt::RightButton);
        EXPECT_TRUE(box.isVisible()); // the window stays open
    });
    FindAction(form.get(), "MAbout")->trigger();
    EXPECT_EQ(overLink, QColor(255, 0, 0));
    EXPECT_EQ(overPanel, QColor(0, 0, 255));
    ASSERT_EQ(p.opened.size(), 1u);
    EXPECT_EQ(p.opened[0], std::make_pair(std::string("http://127.0.0.1:9/maker"), false));
    EXPECT_TRUE(p.Messages().empty());
}

TEST(Language, ThemeManagerChecksItsOwner)
{
    TestProgram p;
    auto form = p.Start();
    EXPECT_NE(form->findChild<TThemeManager*>(QStringLiteral("ThemeManager1")), nullptr);
    // A refused owner is named in the message.
    const auto refusal = [](QObject* owner) -> std::string {
        try {
            TThemeManager manager(owner);
        } catch (const std::logic_error& e) {
            return e.what();
        }
        return "allowed";
    };
    EXPECT_EQ(refusal(form.get()), "Only one instance of TThemeManager allowed on form");
    QWidget window;
    QWidget child(&window);
    QObject plain;
    EXPECT_EQ(refusal(&plain), "Control parent must be a form!");
    EXPECT_THROW({ TThemeManager onChild(&child); }, std::logic_error);
    TThemeManager first(&window); // a window of its own takes one
    EXPECT_EQ(first.parent(), &window);
}

TEST(Language, QtsOwnTextsFollowTheMenuAndStayEnglishWithoutTheirFiles)
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ru.qm")))
        GTEST_SKIP() << "Qt's Russian translations are not installed";
    const auto yes = [] {
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::Yes)->text();
    };
    TestProgram p;
    auto form = p.Start();
    FindAction(form.get(), "MLangRussian")->trigger();
    EXPECT_EQ(yes(), QStringLiteral("&Да"));
    FindAction(form.get(), "MLangEnglish")->trigger();
    EXPECT_EQ(yes(), QStringLiteral("&Yes"));
    QTemporaryDir empty;
    QtTranslations::SetFolder(empty.path());
    QtTranslations::Use("Russian");
    EXPECT_EQ(yes(), QStringLiteral("&Yes"));
    QtTranslations::SetFolder({});
}

TEST(Language, EveryOpenWindowFollowsAChangeAtOnceAndAClosedOneIsLetGo)
{
    TestProgram p;
    auto form = p.Start();
    FindAction(form.get(), "AHistoryAuto")->trigger();
    FindAction(form.get(), "MProductsEditPad")->trigger();
    QPointer<THistoryWindow> history = form->findChild<THistoryWindow*>(QStringLiteral("HistoryWindow"));
    auto* editor = form->findChild<TFormPadEditor*>(QStringLiteral("FormPadEditor"));
    ASSERT_TRUE(history && editor);
    ASSERT_TRUE(THelpViewer::Open(QString::fromStdString(p.dir.File("help/Help - En.txt")), editor));
    auto* find = editor->findChild<THelpViewer*>(QStringLiteral("HelpViewer"))
                     ->findChild<QLineEdit*>(QStringLiteral("HelpFind"));
    auto* status = editor->findChild<QLabel*>(QStringLiteral("LabelPadStatus"));
    auto* close = history->findChild<QPushButton*>(QStringLiteral("CloseButton"));
    FindAction(form.get(), "MLangRussian")->trigger();
    EXPECT_EQ(history->windowTitle(), QStringLiteral("История"));
    EXPECT_EQ(close->text(), QStringLiteral("Закрыть"));
    EXPECT_TRUE(status->text().startsWith(QStringLiteral("PAD-файл не открыт"))) << status->text().toStdString();
    EXPECT_EQ(find->placeholderText(), QStringLiteral("Найти"));

    history->close(); // deleted when closed: the next change must not reach it
    ASSERT_TRUE(QTest::qWaitFor([&history] { return history.isNull(); }));
    FindAction(form.get(), "MLangEnglish")->trigger();
    EXPECT_EQ(find->placeholderText(), QStringLiteral("Find"));
    EXPECT_TRUE(status->text().startsWith(QStringLiteral("No PAD file open"))) << status->text().toStdString();
    MessageBoxes::setNextAnswer(MessageBoxes::Answer::No);
    editor->close();
}

TEST(Language, AFileInWindows1251ShowsItsWordsAndTheStatusBarSaysHowItWasRead)
{
    TestProgram p;
    p.dir.Write("language/Russian.ini", "[Interface]\r\nMFile->Caption=\xD4\xE0\xE9\xEB\r\n"); // "Файл"
    p.dir.Write("quillpost.ini", "[Configuration]\r\nLanguage=Russian\r\n");
    auto form = p.Start();
    EXPECT_EQ(form->LanguageCaption("MFile->Caption"), QStringLiteral("Файл"));
    EXPECT_EQ(form->StatusPanelText(1), QStringLiteral("Russian.ini is not UTF-8 text; it was read as Windows-1251"));
}
