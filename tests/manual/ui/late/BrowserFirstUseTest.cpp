// The OpenGL context that the web engine shares its frames through is made at the browser's
// first use, so nothing may have made an OpenGL context before then: a context made earlier
// would not share, and the engine's frames could not be drawn in it. This test starts no
// browser and runs before any other test of this runner does (the file is linked first);
// BrowserLoadedLate checks what the first use leaves.
#include "app/ui/TestProgram.h"

#include "manual/ui/BrowserModule.h"
#include "manual/ui/TBrowserPanel.h"

#include <QFile>
#include <QOpenGLContext>
#include <QTabWidget>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

bool WebEngineInProcess()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

// Every sign of an OpenGL context in the process, empty when there is none.
std::string OpenGlInUse()
{
    std::string found;
    if (QOpenGLContext::globalShareContext()) found += "a global share context; ";
    if (QOpenGLContext::currentContext()) found += "a current context; ";
    if (QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts)) found += "AA_ShareOpenGLContexts; ";
    if (!qApp->findChildren<QOpenGLContext*>().isEmpty()) found += "a context owned by the application; ";
    for (QWindow* window : QGuiApplication::allWindows()) {
        if (window->surfaceType() != QSurface::RasterSurface)
            found += "window " + window->objectName().toStdString() + " is not raster-painted; ";
        if (!window->findChildren<QOpenGLContext*>().isEmpty())
            found += "window " + window->objectName().toStdString() + " owns a context; ";
    }
    for (QWidget* widget : QApplication::allWidgets())
        if (!widget->findChildren<QOpenGLContext*>(Qt::FindDirectChildrenOnly).isEmpty())
            found += "widget " + widget->objectName().toStdString() + " owns a context; ";
    return found;
}

void* NoSuchSymbol(const char*)
{
    return nullptr;
}

// A function found under the setter's name that sets nothing (a Qt where the name lives on
// with another meaning).
void SetsNothing(QOpenGLContext*)
{}
void* SetterThatSetsNothing(const char*)
{
    return reinterpret_cast<void*>(&SetsNothing);
}

} // namespace

TEST(BrowserFirstUse, NoOpenGlContextBeforeItAndAQtWithoutTheSetterGetsTheNotAvailableText)
{
    ASSERT_FALSE(WebEngineInProcess()) << "an earlier test of this run started the browser";
    TestProgram p;
    auto form = p.Start();
    auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    // Every page but the one that holds the browser, each shown and painted.
    int browserPage = -1;
    for (int page = 0; page < pages->count(); ++page) {
        if (pages->widget(page)->isAncestorOf(form->PanelBrowser())) {
            browserPage = page;
            continue;
        }
        pages->setCurrentIndex(page);
        form->grab();
        QTest::qWait(20);
    }
    ASSERT_NE(browserPage, -1);
    EXPECT_FALSE(form->PanelBrowser()->EngineMade());
    EXPECT_EQ(OpenGlInUse(), "");

    TBrowserPanel* panel = form->PanelBrowser();
    for (BrowserModule::SymbolLookup lookup : {&NoSuchSymbol, &SetterThatSetsNothing}) {
        BrowserModule::SetSymbolLookup(lookup);
        pages->setCurrentIndex(browserPage);
        panel->NavigateTo("http://127.0.0.1:9/");
        EXPECT_FALSE(panel->EngineMade());
        EXPECT_TRUE(panel->FailureText().contains(QStringLiteral("lacks the function qt_gl_set_global_share_context")))
            << panel->FailureText().toStdString();
        EXPECT_FALSE(WebEngineInProcess());
        EXPECT_EQ(OpenGlInUse(), "");
    }
    EXPECT_TRUE(p.Messages().empty());
    BrowserModule::SetSymbolLookup(nullptr);
}
