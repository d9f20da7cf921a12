// The browser as the program has it: this runner, like the program, does not link Qt
// WebEngine, so the panel loads the browser module, and with it the web engine, only when it
// first needs it, long after the application object was made. The tests run in this order:
// the first use, in the last, makes the OpenGL context that the engine shares its frames
// through, and nothing may have made one before it (one made earlier would not share).
#include "app/ui/TestProgram.h"
#include "manual/FormFillScript.h"
#include "manual/ui/BrowserModule.h"
#include "manual/ui/TBrowserPanel.h"
#include "support/ui/LocalWebServer.h"

#include <QFile>
#include <QImage>
#include <QOpenGLContext>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

bool WebEngineInProcess()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

} // namespace

TEST(BrowserLoadedLate, NoPageOrWindowOfTheProgramMakesAnOpenGlContextBeforeTheFirstUse)
{
    TestProgram p;
    auto form = p.Start();
    auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    for (int page = 0; page < pages->count(); ++page) {
        if (pages->widget(page)->isAncestorOf(form->PanelBrowser())) continue;
        pages->setCurrentIndex(page);
        form->grab();
    }
    ASSERT_FALSE(form->PanelBrowser()->EngineMade());
    EXPECT_EQ(QOpenGLContext::globalShareContext(), nullptr);
    EXPECT_EQ(QOpenGLContext::currentContext(), nullptr);
    // A window holding an OpenGL widget is composed through a context of its own.
    for (QWindow* window : QGuiApplication::allWindows())
        EXPECT_EQ(window->surfaceType(), QSurface::RasterSurface) << window->objectName().toStdString();
}

TEST(BrowserLoadedLate, AMissingOrBrokenModuleOrAQtWithoutTheSetterIsNamedInThePanelAndTheCommandsDoNothing)
{
    // A Qt without the setter of the shared OpenGL context, or with one that sets nothing
    // (first: the broken module below is loaded after the context is shared).
    const auto missing = [](const char*) -> void* { return nullptr; };
    const auto setsNothing = [](const char*) { return reinterpret_cast<void*>(+[](QOpenGLContext*) {}); };
    for (BrowserModule::SymbolLookup lookup : {+missing, +setsNothing}) {
        BrowserModule::SetSymbolLookup(lookup);
        TBrowserPanel panel;
        panel.NavigateTo("http://127.0.0.1:9/");
        EXPECT_FALSE(panel.EngineMade());
        EXPECT_TRUE(panel.FailureText().contains(QStringLiteral("lacks the function qt_gl_set_global_share_context")));
        EXPECT_EQ(QOpenGLContext::globalShareContext(), nullptr);
    }
    BrowserModule::SetSymbolLookup(nullptr);
    QTemporaryDir dir;
    QFile broken(dir.filePath(QStringLiteral("broken.so")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a shared library");
    broken.close();
    for (const QString& path : {dir.filePath(QStringLiteral("none.so")), broken.fileName()}) {
        BrowserModule::SetPath(path);
        TBrowserPanel panel;
        panel.show();
        panel.NavigateTo("http://127.0.0.1:9/");
        panel.GoBack();
        panel.Refresh();
        panel.Print(); // no dialog: there is no page to print
        panel.RunScript("1");
        QTest::qWait(20);
        EXPECT_FALSE(panel.EngineMade()) << path.toStdString();
        EXPECT_EQ(panel.View(), nullptr);
        EXPECT_TRUE(panel.FailureText().contains(path)) << panel.FailureText().toStdString();
        EXPECT_EQ(panel.AddressText(), "http://127.0.0.1:9/");
    }
    BrowserModule::SetPath({});
    EXPECT_FALSE(WebEngineInProcess());
}

TEST(BrowserLoadedLate, TheEngineArrivesWithTheFirstPageWhichIsDrawnAndHasItsFormFilled)
{
    LocalWebServer server;
    ASSERT_TRUE(server.IsListening());
    server.SetPage("/form.html", "<!DOCTYPE html><html><body style=\"margin:0;background:#fff\">"
                                 "<div style=\"width:200px;height:200px;background:#000\"></div>"
                                 "<form action=\"/sent\"><input name=\"padurl\"></form></body></html>");
    server.SetPage("/sent", "<!DOCTYPE html><html><body>sent</body></html>");
    const std::string padLink = "http://x.example/p.xml?a=1&b=\"'<";

    TBrowserPanel panel;
    panel.resize(500, 400);
    EXPECT_FALSE(WebEngineInProcess());
    QSignalSpy complete(&panel, &TBrowserPanel::DocumentComplete);
    panel.NavigateTo(server.Url(QStringLiteral("/form.html")).toStdString());
    EXPECT_TRUE(panel.EngineMade());
    EXPECT_TRUE(WebEngineInProcess());
    // As the engine's own start-up leaves things when it is linked into a program.
    EXPECT_NE(QOpenGLContext::globalShareContext(), nullptr);
    EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts));
    panel.show();
    ASSERT_TRUE(complete.wait(60000));
    EXPECT_TRUE(complete.takeFirst().first().toBool());

    // Painted: the black square on the white page reaches the view's image.
    bool dark = false, light = false;
    for (int i = 0; i < 300 && !(dark && light); ++i) {
        QTest::qWait(20);
        const QImage shot = panel.Frame()->grab().toImage();
        dark = shot.width() > 250 && qGray(shot.pixel(100, 100)) < 40;
        light = shot.width() > 250 && qGray(shot.pixel(250, 100)) > 215;
    }
    EXPECT_TRUE(dark && light) << "the page was not drawn";

    panel.RunScript(FormFillScript::Build("padurl", padLink));
    panel.RunScript("document.forms[0].submit()");
    ASSERT_TRUE(complete.wait(60000));
    const LocalWebServer::Request* sent = server.LastFor("/sent");
    ASSERT_NE(sent, nullptr);
    const QUrlQuery query(QUrl(QString::fromLatin1(sent->target)));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("padurl"), QUrl::FullyDecoded).toStdString(), padLink);
}
