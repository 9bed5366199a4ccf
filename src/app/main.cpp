#include "LumoApplication.h"
#include "LumoClass.h"

int main(int argc, char** argv) {
    LumoApplication application(argc, argv);
    LumoClass entry;
    if (entry.run(QApplication::arguments().mid(1)) != LumoClass::Outcome::RunLoop) return entry.exitCode();
    return QApplication::exec();
}
