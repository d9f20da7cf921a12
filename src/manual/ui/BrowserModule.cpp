#include "manual/ui/BrowserModule.h"

#include "manual/ui/BrowserEngine.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QPluginLoader>

#include <utility>

// Qt GUI's setter of the context that every later OpenGL context shares with (exported by
// Qt GUI, declared in its private header; Qt WebEngine declares it the same way).
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace {

QOpenGLContext*& OwnShareContext()
{
    static QOpenGLContext* context = nullptr;
    return context;
}

// What Qt WebEngine does when the application object is made, if it is linked into the
// program: one OpenGL context that every later context shares with, so that the engine's
// frames (made by its GPU thread) can be drawn in the widgets' context. Here it is done
// when the browser is first needed, before the engine is loaded. Without it the engine
// warns that it was initialised from a plugin and then fails (Qt 6.4 crashes on the
// missing context). Contexts made earlier would not share, but this program makes none
// before its browser: its windows are raster-painted until the view is added to one.
void ShareOpenGLContexts()
{
    if (QOpenGLContext::globalShareContext() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    auto* context = new QOpenGLContext;
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    qt_gl_set_global_share_context(context);
    OwnShareContext() = context;
    qAddPostRoutine([] {
        if (QOpenGLContext::globalShareContext() == OwnShareContext()) qt_gl_set_global_share_context(nullptr);
        delete std::exchange(OwnShareContext(), nullptr);
    });
}

QString& PathOverride()
{
    static QString path;
    return path;
}

// The module loaded, by the path it was asked for.
struct LoadedModule {
    QString path;
    QPluginLoader* loader = nullptr;
};

LoadedModule& Loaded()
{
    static LoadedModule loaded;
    return loaded;
}

} // namespace

QString BrowserModule::Path()
{
    if (!PathOverride().isEmpty()) return PathOverride();
    return QCoreApplication::applicationDirPath() + QStringLiteral("/modules/quillpost-browser.so");
}

void BrowserModule::SetPath(const QString& path)
{
    PathOverride() = path;
}

BrowserEngineFactory* BrowserModule::Factory(Phrase& error)
{
    const QString path = Path();
    if (Loaded().loader && Loaded().path == path)
        return qobject_cast<BrowserEngineFactory*>(Loaded().loader->instance());
    Phrase why;
    if (!QFileInfo::exists(path)) {
        why = Phrase("the file is missing");
    } else {
        ShareOpenGLContexts();
        auto* loader = new QPluginLoader(path);
        // Unloading the web engine while its threads run would pull the code from under them.
        loader->setLoadHints(QLibrary::PreventUnloadHint);
        QObject* instance = loader->instance();
        if (auto* factory = qobject_cast<BrowserEngineFactory*>(instance)) {
            Loaded() = {path, loader};
            return factory;
        }
        why = instance ? Phrase("it is not a browser module of this version of Quillpost")
                       : Phrase::Text(loader->errorString().toStdString());
        delete loader;
    }
    error = Phrase("The web browser could not be started: its module %1 could not be loaded (%2). The rest of the "
                   "program works without it; reinstalling Quillpost puts the module back.",
                   {Phrase::Text(path.toStdString()), std::move(why)});
    return nullptr;
}
