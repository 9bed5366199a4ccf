#include "FillHomeworkListView.h"

#include <QTreeWidget>

#include "ItemRecord.h"

namespace {
constexpr int kRecordColumn = 1;
}  // namespace

void FillHomeworkListView(const TObjectList<TTestObj>& records, QTreeWidget* listView,
                          const GbkString& practiceType) {
    listView->clear();
    for (const auto& record : records) {
        if (gbk::trimmed(record->practicetypeid) != practiceType) continue;
        auto copy = std::make_shared<TTestObj>();
        copy->hmwkid = record->hmwkid;
        copy->hmwkname = record->hmwkname;
        copy->msg = record->msg;
        copy->endtime = record->endtime;
        auto* row = new QTreeWidgetItem(listView);
        row->setText(0, gbk::toQString(copy->hmwkname));
        row->setText(kRecordColumn, gbk::toQString(copy->endtime));
        row->setData(kRecordColumn, RecordRole, ownedRecord(copy));
    }
}

const TTestObj* RowAssignment(const QTreeWidgetItem* row) {
    return recordOf<TTestObj>(row, kRecordColumn);
}
