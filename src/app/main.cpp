#include "LumoApplication.h"
#include "LumoClass.h"
#include "web/WebBrowser.h"

int main(int argc, char** argv) {
    // The browser engine must be prepared before the application object exists.
    WebBrowser::PrepareProcess();
    LumoApplication application(argc, argv);
    LumoClass entry;
    if (entry.run(QApplication::arguments().mid(1)) != LumoClass::Outcome::RunLoop) return entry.exitCode();
    return QApplication::exec();
}
