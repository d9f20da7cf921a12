// Nothing in the program may make an OpenGL context before the browser's first use: the
// context that the web engine shares its frames through is made then, and one made earlier
// would not share with it. Linked before this runner's tests that start the browser.
#include "app/ui/TestProgram.h"

#include "manual/ui/TBrowserPanel.h"

#include <QOpenGLContext>
#include <QTabWidget>
#include <QWindow>

#include <gtest/gtest.h>

TEST(BrowserFirstUse, NoPageOrWindowOfTheProgramMakesAnOpenGlContextBeforeIt)
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
