// Soak: the lesson's navigation repeated in one process against the demo service, without
// opening a material (the browser engine cannot run under the sanitizers). Prints the resident
// memory after round 20 and after the last round; built in every build, run by hand:
//   soak_lesson [ROUNDS]      (from tools/soak-lesson.sh, which gives it a fresh environment)
#include <QtTest>

#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QTreeWidget>
#include <cstdio>

#include "DataModule.h"
#include "DemoService.h"
#include "MainWindowControls.h"
#include "MessageRecorder.h"
#include "TestActions.h"
#include "app/LumoApplication.h"
#include "catalogue/FillBookCombo.h"
#include "main/TFmMain.h"
#include "media/PhonicsPage.h"
#include "media/SyllabusWordPage.h"
#include "pages/TextBookPage.h"
#include "questions/QuestionBankPage.h"
#include "service/ClientConfig.h"
#include "service/TstudyDM.h"

namespace {

long residentKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// One lesson; false when a step did not give what it should.
bool lesson(TFmMain& w, int round) {
    const char* bookIds[] = {"b3a", "b5b"};
    const char* bookId = bookIds[round % 2];
    for (int i = 0; i < books(w)->count(); ++i)
        if (ComboBook(books(w), i)->bookid == GbkString(bookId)) pick(books(w), i);
    if (units(w)->count() == 0) return false;
    pick(units(w), 0);
    choose(radio(w, "RBtnTextbook"));
    if (textBook(w)->LVTextBook->count() == 0) return false;
    asUser([&w] { textBook(w)->ImagerightClick(); });
    choose(radio(w, "RbtnSceneClassUse"));
    choose(radio(w, "RBtnWordClassUse"));
    if (wordSheet(w)->LVSyllabusWordClassUse->count() == 0) return false;
    choose(radio(w, "RbtnPassageClassUse"));
    choose(radio(w, "RBtnPhonics"));
    if (phonicsSheet(w)->LVPhonics->count() == 0) return false;
    choose(radio(w, "RBTNQuestionBank"));
    QuestionBankPage& bank = *questionBank(w);
    bank.Button61Click();
    if (bank.cbsection->count() == 0) return false;
    pick(bank.cbsection, 0);
    choose(radio(w, "RBtnHomeworkClassUse"));
    return tree(w, "LVHomework")->topLevelItemCount() > 0;
}

}  // namespace

int main(int argc, char** argv) {
    LumoApplication application(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    MessageRecorder messages;
    DemoService service;
    const auto dm = dataModule(service.clientConfig());
    int status = 0;
    {
        TFmMain window(*dm);
        window.Member.UserId = "t1001";
        window.LoadUnitList();
        window.LoadHomeworkList();
        window.LoadClipList();
        long after20 = 0;
        for (int round = 1; round <= rounds; ++round) {
            if (!lesson(window, round)) {
                std::printf("round %d: a step gave nothing\n", round);
                status = 1;
                break;
            }
            if (round == 20) after20 = residentKiB();
        }
        const long last = residentKiB();
        std::printf("rounds %d, RSS after round 20: %ld KiB, after the last: %ld KiB (%+.1f%%)\n", rounds,
                    after20, last, after20 > 0 ? 100.0 * (last - after20) / after20 : 0.0);
    }
    if (!messages.texts().isEmpty()) {
        std::printf("messages: %s\n", qPrintable(messages.texts().join(" | ")));
        status = 1;
    }
    return status;
}
