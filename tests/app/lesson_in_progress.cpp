// A lumoclass process in the middle of a lesson, for the single-instance rule across real
// processes: the real main window against the configured service, signed in as "teacher", with
// a book and its first unit picked and the cache clean-up ticked, holding the login window's
// registration as the hidden login dialog does. Built under the name lumoclass, which is the
// name the rule ends. Usage: lumoclass BOOK-ID; prints "ready" once the lesson stands.
#include <QCheckBox>
#include <QComboBox>
#include <cstdio>

#include "app/LumoApplication.h"
#include "app/Tfmlogin.h"
#include "catalogue/FillBookCombo.h"
#include "main/TFmMain.h"
#include "platform/WindowRegistry.h"
#include "service/ClientConfig.h"
#include "service/HttpClient.h"
#include "service/TstudyDM.h"

int main(int argc, char** argv) {
    LumoApplication application(argc, argv);
    if (argc != 2) return 2;
    const ClientConfig config = ClientConfig::load();
    TstudyDM dm(config);
    dm.SetUpClassroomProxy();
    WindowRegistry login(Tfmlogin::windowClassName());
    TFmMain window(dm);
    window.Member.UserId = "t1001";
    window.LoadUnitList();
    window.OfferResume("teacher");
    auto* books = window.findChild<QComboBox*>("cbbooks");
    for (int i = 0; i < books->count(); ++i) {
        if (ComboBook(books, i)->bookid != GbkString(argv[1])) continue;
        books->setCurrentIndex(i);
        emit books->activated(i);
    }
    auto* units = window.findChild<QComboBox*>("CBUnitClassUse");
    units->setCurrentIndex(0);
    emit units->activated(0);
    window.findChild<QCheckBox*>("CheckBoxDeleteFile")->setChecked(true);
    QCoreApplication::processEvents();
    if (!login.isRegistered() || window.ChosenUnit() == nullptr) return 3;
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
