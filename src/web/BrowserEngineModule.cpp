#include "BrowserEngineModule.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QOpenGLContext>
#include <string>

#include "service/AppError.h"

// Qt's own switch for the global share context, which QGuiApplication uses when the attribute is
// set before it exists; exported by Qt GUI without a public declaration.
void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {

CreateBrowserEngineViewFunction loaded = nullptr;

void deleteShareContext() {
    QOpenGLContext* context = QOpenGLContext::globalShareContext();
    qt_gl_set_global_share_context(nullptr);
    delete context;
}

}  // namespace

void BrowserEngineModule::PrepareGraphics() {
    // The engine draws its pages in OpenGL contexts of its own and hands them to the view's
    // contexts, which can take them only when all share with one global context. Qt makes that
    // context at start when Qt::AA_ShareOpenGLContexts is set before the application object;
    // made here, the driver is loaded only when a page is first shown, and the engine, finding
    // the context, goes on as if it had been made at start. A context that cannot be created
    // leaves the engine to draw in software, as it would at start.
    if (QOpenGLContext::globalShareContext() != nullptr) return;
    auto* context = new QOpenGLContext;
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    qt_gl_set_global_share_context(context);
    // Post routines run while the window system is still there.
    qAddPostRoutine(deleteShareContext);
}

QString BrowserEngineModule::installedPath(const QString& programFolder) {
    return QDir(programFolder)
        .absoluteFilePath(QStringLiteral(LUMO_WEB_MODULE_FROM_PROGRAM "/") + fileName());
}

CreateBrowserEngineViewFunction BrowserEngineModule::entryPoint() {
    if (loaded != nullptr) return loaded;
    PrepareGraphics();
    const QString installed = installedPath(QCoreApplication::applicationDirPath());
    const QByteArray name = QFile::exists(installed) ? QFile::encodeName(installed) : fileName().toUtf8();
    void* module = ::dlopen(name.constData(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr)
        throw AppError("The player cannot start: its browser module " + name.toStdString() +
                       " did not load (" + ::dlerror() + ")");
    void* entry = ::dlsym(module, LUMO_BROWSER_ENGINE_ENTRY);
    if (entry == nullptr) {
        ::dlclose(module);
        throw AppError("The player cannot start: the browser module " + name.toStdString() +
                       " is of another version");
    }
    loaded = reinterpret_cast<CreateBrowserEngineViewFunction>(entry);
    return loaded;
}
