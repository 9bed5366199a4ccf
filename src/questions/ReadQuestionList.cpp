#include "ReadQuestionList.h"

#include <QList>
#include <QTreeWidget>
#include <utility>

#include "catalogue/ItemRecord.h"
#include "catalogue/QuestionReplyReader.h"
#include "service/ShowMessage.h"

namespace {

constexpr int kRecordColumn = 1;

const TVantorQuestionTypeObj* typeWithId(const TObjectList<TVantorQuestionTypeObj>& types,
                                         const GbkString& id) {
    const GbkString wanted = gbk::trimmed(id);
    for (const auto& type : types)
        if (gbk::trimmed(type->questiontypeid) == wanted) return type.get();
    return nullptr;
}

QTreeWidgetItem* rowFor(TquestionObj&& source, const TObjectList<TVantorQuestionTypeObj>& types) {
    auto record = std::make_shared<TquestionObj>(std::move(source));
    auto* row = new QTreeWidgetItem(QStringList{gbk::toQString(record->qid)});
    int column = 1;
    const TVantorQuestionTypeObj* type = nullptr;
    if (!gbk::trimmed(record->qid).empty()) {
        row->setText(column, gbk::toQString(record->typetext));
    } else if ((type = typeWithId(types, record->qtpid)) != nullptr) {
        row->setText(column, gbk::toQString(type->QuestTypeName));
    } else {
        column = 0;  // no type text: the record has no column to live in and goes with this call
    }
    if (column == kRecordColumn) row->setData(kRecordColumn, RecordRole, ownedRecord(record));
    row->setText(column + 1, gbk::toQString(record->rt));
    return row;
}

}  // namespace

void ReadQuestionList(const GbkString& replyText, QTreeWidget* listView,
                      const TObjectList<TVantorQuestionTypeObj>& questionTypes, const GbkString& /*unused*/) {
    QuestionReplyReader::Result reply = QuestionReplyReader::Read(replyText);
    if (!reply.hasDocumentElement) {
        ShowMessage(QStringLiteral("empty"));
        return;
    }
    if (!reply.hasRows) return;
    listView->clear();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(reply.records.size()));
    for (TquestionObj& record : reply.records) rows << rowFor(std::move(record), questionTypes);
    // One insertion for all rows: the view lays itself out once instead of once per row.
    listView->addTopLevelItems(rows);
}

const TquestionObj* RowQuestion(const QTreeWidgetItem* row) {
    return recordOf<TquestionObj>(row, kRecordColumn);
}
