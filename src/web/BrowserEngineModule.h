#pragma once

#include <QString>

#include "BrowserEngineView.h"

// Loads the browser engine's module on first use and hands out its entry point. Until then the
// process holds neither the engine nor an OpenGL driver: both cost a start that only signs in
// more than the whole login dialog does.
//
// Before the module is loaded the engine's graphics are prepared as it needs them: one global
// OpenGL context that the engine's and the windows' contexts share, made on the window thread.
// The module is looked for where the package installs it relative to the program, then by the
// dynamic loader's search, which finds it in the build tree through the build's run path. Once
// loaded it stays for the life of the process.
class BrowserEngineModule {
public:
    static QString fileName() { return QStringLiteral("lumoclass-webengine.so"); }
    // Where an installed program in `programFolder` has its module.
    static QString installedPath(const QString& programFolder);

    // Loads the module if that has not happened yet. Raises AppError, naming what was tried and
    // why it failed, when it cannot be loaded or lacks the entry point.
    static CreateBrowserEngineViewFunction entryPoint();

private:
    static void PrepareGraphics();
};
