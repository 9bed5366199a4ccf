#include "FillTestPaperFilterCombo.h"

#include <QComboBox>
#include <QStringList>
#include <algorithm>
#include <unordered_set>

#include "ChineseOrder.h"
#include "catalogue/ItemRecord.h"

namespace {

const GbkString* fieldFor(const TDictonaryTestPaperObj& record, const GbkString& key) {
    if (key == "testyear") return &record.testyear;
    if (key == "testarea") return &record.testarea;
    if (key == "testtype") return &record.testtype;
    return nullptr;
}

}  // namespace

void FillTestPaperFilterCombo(const TObjectList<TDictonaryTestPaperObj>& testPapers, const GbkString& key,
                              QComboBox* combo) {
    combo->clear();
    auto placeholder = std::make_shared<TDictonaryTestPaperObj>();
    placeholder->testpaperid = "0";
    placeholder->testpaperstatus = "0";

    // The empty entry is already present, so an empty value never adds a second one.
    std::unordered_set<GbkString> seen{GbkString()};
    QStringList values;
    for (const auto& record : testPapers) {
        const GbkString* value = fieldFor(*record, key);
        if (value == nullptr) break;
        if (key == "testyear" && *value == "0") continue;
        if (seen.insert(*value).second) values << gbk::toQString(*value);
    }
    // The order of the result list; years as numbers.
    std::stable_sort(values.begin(), values.end(), ChineseOrder(key == "testyear"));
    combo->addItem(QString(), ownedRecord(placeholder));
    combo->addItems(values);
    combo->setCurrentIndex(-1);
}

const TDictonaryTestPaperObj* ComboTestPaper(const QComboBox* combo, int index) {
    return recordAt<TDictonaryTestPaperObj>(combo, index);
}
