// ReadQuestionList filling a real list view from any reply text.
#include <QApplication>
#include <QTreeWidget>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "questions/ReadQuestionList.h"
#include "service/AppError.h"

namespace {
QTreeWidget* listView = nullptr;
TObjectList<TVantorQuestionTypeObj>* types = nullptr;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int appArgc = 1;
    static char* appArgv[] = {(*argv)[0], nullptr};
    (void)argc;
    // Never destroyed: libFuzzer ends the process with exit(), after which Qt must not run.
    new QApplication(appArgc, appArgv);
    listView = new QTreeWidget;
    listView->setColumnCount(3);
    types = new TObjectList<TVantorQuestionTypeObj>;
    TVantorQuestionTypeObj type;
    type.questiontypeid = "1";
    type.QuestTypeName = "single choice";
    types->Add(type);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::silenceMessages();
    const GbkString reply(std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        ReadQuestionList(reply, listView, *types, "");
        for (int i = 0; i < listView->topLevelItemCount(); ++i) (void)RowQuestion(listView->topLevelItem(i));
    } catch (const AppError&) {
    }
    return 0;
}
