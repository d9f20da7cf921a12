// The web engine is made on first use: a start that never opens the Manual Submit page
// never makes it, while the browser's controls are there (and captioned) from the start.
#include "app/ui/TestProgram.h"

#include "manual/ui/TBrowserPanel.h"
#include "support/ui/LocalWebServer.h"

#include <QProgressBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

QWebEngineView* AnyView(TForm1& form)
{
    return form.findChild<QWebEngineView*>();
}

} // namespace

TEST(BrowserOnFirstUse, AStartMakesNoEngineYetTheControlsAreThereCaptionedAndVisitMakesItAndLoads)
{
    LocalWebServer server;
    ASSERT_TRUE(server.IsListening());
    server.SetPage("/site.html", "<!DOCTYPE html><html><head><title>The site</title></head><body>x</body></html>");
    const std::string site = server.Url(QStringLiteral("/site.html")).toStdString();
    TestProgram p;
    p.dir.Write("quillpost.ini", "[Configuration]\nLanguage=Russian\n");
    p.dir.Write("data/sites.dat", "Site|" + site + "|\r\n");
    auto form = p.Start();
    TBrowserPanel* panel = form->PanelBrowser();
    QTest::qWait(100); // nothing makes it behind the user's back either

    EXPECT_FALSE(panel->EngineMade());
    EXPECT_EQ(AnyView(*form), nullptr);
    for (const char* name : {"CoolBar1", "ComboBoxAdress", "ToolBarNavi", "ProgressBar1"})
        EXPECT_NE(panel->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    auto* back = panel->findChild<QToolButton*>(QStringLiteral("ToolButtonBack"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->text(), QStringLiteral("Назад"));
    EXPECT_EQ(panel->Progress()->maximum(), 100);

    // Visit from the list, the Manual Submit page never shown: the engine is made and the
    // site loads into the view in the frame.
    QSignalSpy complete(panel, &TBrowserPanel::DocumentComplete);
    form->ListViewManual()->SelectRows({0});
    FindAction(form.get(), "AVisitManual")->trigger();
    EXPECT_TRUE(panel->EngineMade());
    ASSERT_TRUE(complete.wait(60000));
    EXPECT_TRUE(complete.first().first().toBool());
    QWebEngineView* view = AnyView(*form);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view, panel->View());
    EXPECT_EQ(view->objectName(), QStringLiteral("WebBrowser1"));
    EXPECT_EQ(view->parentWidget(), panel->Frame());
    EXPECT_EQ(view->title(), QStringLiteral("The site"));
    EXPECT_EQ(server.CountFor("/site.html"), 1);
    EXPECT_EQ(panel->AddressText(), site);
    EXPECT_EQ(form->findChildren<QWebEngineView*>().size(), 1);
    EXPECT_TRUE(p.Messages().empty());
}

TEST(BrowserOnFirstUse, ShowingTheManualPageMakesTheEngineWithNoPageLoaded)
{
    TestProgram p;
    auto form = p.Start();
    TBrowserPanel* panel = form->PanelBrowser();
    auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    pages->setCurrentIndex(1);
    QApplication::processEvents();
    EXPECT_FALSE(panel->EngineMade());

    pages->setCurrentIndex(2);
    for (int i = 0; i < 500 && !panel->EngineMade(); ++i) QTest::qWait(10);
    ASSERT_TRUE(panel->EngineMade());
    QWebEngineView* view = AnyView(*form);
    ASSERT_NE(view, nullptr);
    // It shows in, and fills, the frame that held its place.
    for (int i = 0; i < 100 && !(view->isVisible() && view->size() == panel->Frame()->size()); ++i) QTest::qWait(10);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->size(), panel->Frame()->size());
    EXPECT_TRUE(view->url().isEmpty() || view->url() == QUrl(QStringLiteral("about:blank")));
    EXPECT_TRUE(panel->AddressText().empty());

    // Showing it again makes no second one.
    pages->setCurrentIndex(0);
    pages->setCurrentIndex(2);
    QTest::qWait(50);
    EXPECT_EQ(form->findChildren<QWebEngineView*>().size(), 1);
}
