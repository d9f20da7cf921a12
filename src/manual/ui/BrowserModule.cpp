#include "manual/ui/BrowserModule.h"

#include "manual/ui/BrowserEngine.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QPluginLoader>

#include <dlfcn.h>

#include <utility>

namespace {

// Qt GUI's setter of the context that every later OpenGL context shares with: exported by
// Qt GUI but declared only in its private header, so it is looked up by its symbol name when
// first needed rather than linked. A Qt without it (or built in a namespace, which changes the
// name) then costs the browser, not the whole program. The name below is the function
// `void qt_gl_set_global_share_context(QOpenGLContext*)` as GCC and Clang mangle it.
constexpr const char* kSetShareContextSymbol = "_Z30qt_gl_set_global_share_contextP14QOpenGLContext";
using SetShareContextFunction = void (*)(QOpenGLContext*);

void* LookUpLoaded(const char* name)
{
    return dlsym(RTLD_DEFAULT, name);
}

BrowserModule::SymbolLookup& Lookup()
{
    static BrowserModule::SymbolLookup lookup = LookUpLoaded;
    return lookup;
}

struct OwnShare {
    QOpenGLContext* context = nullptr;
    SetShareContextFunction set = nullptr;
};

OwnShare& Own()
{
    static OwnShare own;
    return own;
}

// What Qt WebEngine does when the application object is made, if it is linked into the
// program: one OpenGL context that every later context shares with, so that the engine's
// frames (made by its GPU thread) can be drawn in the widgets' context, and the attribute
// that tells Qt's OpenGL classes it is there. Here it is done when the browser is first
// needed, before the engine is loaded. Without it the engine warns that it was initialised
// from a plugin and then fails (Qt 6.4 crashes on the missing context). Contexts made
// earlier would not share, but this program makes none before its browser: its windows are
// raster-painted until the view is added to one (a test holds it to that).
//
// False when this Qt has no setter, or one that does not set what
// QOpenGLContext::globalShareContext() reads: the engine must not be loaded then.
bool ShareOpenGLContexts()
{
    if (QOpenGLContext::globalShareContext() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return true;
    const auto set = reinterpret_cast<SetShareContextFunction>(Lookup()(kSetShareContextSymbol));
    if (!set) return false;
    auto* context = new QOpenGLContext;
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    set(context);
    if (QOpenGLContext::globalShareContext() != context) {
        delete context;
        return false;
    }
    Own() = {context, set};
    // Set late on purpose (the context it would have made at the start is the one above), so
    // Qt's warning that it belongs before the application object is dropped.
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& where, const QString& text) {
        if (!text.contains(QLatin1String("AA_ShareOpenGLContexts"))) previous(type, where, text);
    });
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    qInstallMessageHandler(previous);
    qAddPostRoutine([] {
        OwnShare own = std::exchange(Own(), {});
        if (QOpenGLContext::globalShareContext() == own.context) own.set(nullptr);
        delete own.context;
    });
    return true;
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

void BrowserModule::SetSymbolLookup(SymbolLookup lookup)
{
    Lookup() = lookup ? lookup : LookUpLoaded;
}

BrowserEngineFactory* BrowserModule::Factory(QString& error)
{
    const QString path = Path();
    if (Loaded().loader && Loaded().path == path)
        return qobject_cast<BrowserEngineFactory*>(Loaded().loader->instance());
    QString why;
    if (!QFileInfo::exists(path)) {
        why = QStringLiteral("the file is missing");
    } else if (!ShareOpenGLContexts()) {
        why = QStringLiteral("this version of Qt lacks the function qt_gl_set_global_share_context, which the "
                             "web engine needs");
    } else {
        auto* loader = new QPluginLoader(path);
        // Unloading the web engine while its threads run would pull the code from under them.
        loader->setLoadHints(QLibrary::PreventUnloadHint);
        QObject* instance = loader->instance();
        if (auto* factory = qobject_cast<BrowserEngineFactory*>(instance)) {
            Loaded() = {path, loader};
            return factory;
        }
        why = instance ? QStringLiteral("it is not a browser module of this version of Quillpost")
                       : loader->errorString();
        delete loader;
    }
    error = QStringLiteral("The web browser could not be started: its module %1 could not be loaded (%2). "
                           "The rest of the program works without it; reinstalling Quillpost puts the module "
                           "back.")
                .arg(path, why);
    return nullptr;
}
