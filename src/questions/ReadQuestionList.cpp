#include "ReadQuestionList.h"

#include <libxml/tree.h>

#include <QList>
#include <QTreeWidget>
#include <cstring>

#include "service/ShowMessage.h"
#include "service/TReplyDataset.h"
#include "service/XmlParser.h"

namespace {

constexpr const char* kGb2312Declaration = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n";
constexpr int kRecordColumn = 1;

xmlNode* elementFrom(xmlNode* node) {
    while (node && node->type != XML_ELEMENT_NODE) node = node->next;
    return node;
}

struct DocumentDeleter {
    void operator()(xmlDoc* doc) const { xmlparser::freeDocument(doc); }
};
using Document = std::unique_ptr<xmlDoc, DocumentDeleter>;

Document parseReply(const GbkString& replyText) {
    if (replyText.find("<?xml") != GbkString::npos)
        return Document(xmlparser::readMemory(replyText.data(), replyText.size()));
    const GbkString text = kGb2312Declaration + replyText;
    return Document(xmlparser::readMemory(text.data(), text.size()));
}

const TVantorQuestionTypeObj* typeWithId(const TObjectList<TVantorQuestionTypeObj>& types,
                                         const GbkString& id) {
    const GbkString wanted = gbk::trimmed(id);
    for (const auto& type : types)
        if (gbk::trimmed(type->questiontypeid) == wanted) return type.get();
    return nullptr;
}

QTreeWidgetItem* rowFor(const TReplyRow& source, const TObjectList<TVantorQuestionTypeObj>& types) {
    auto record = std::make_shared<TquestionObj>(TquestionObj::fromRow(source));
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
    if (column == kRecordColumn) row->setData(kRecordColumn, Qt::UserRole, QVariant::fromValue(record));
    row->setText(column + 1, gbk::toQString(record->rt));
    return row;
}

}  // namespace

void ReadQuestionList(const GbkString& replyText, QTreeWidget* listView,
                      const TObjectList<TVantorQuestionTypeObj>& questionTypes, const GbkString& /*unused*/) {
    const Document document = parseReply(replyText);
    xmlNode* root = xmlDocGetRootElement(document.get());
    if (root == nullptr) {
        ShowMessage(QStringLiteral("empty"));
        return;
    }
    xmlNode* first = elementFrom(root->children);
    if (first == nullptr) return;
    listView->clear();

    xmlNode* wrapped = elementFrom(first->children);
    QList<QTreeWidgetItem*> rows;
    for (xmlNode* node = wrapped ? wrapped : first; node != nullptr; node = elementFrom(node->next))
        rows << rowFor(TReplyRow(node), questionTypes);
    // One insertion for all rows: the view lays itself out once instead of once per row.
    listView->addTopLevelItems(rows);
}

const TquestionObj* RowQuestion(const QTreeWidgetItem* row) {
    if (row == nullptr) return nullptr;
    return row->data(kRecordColumn, Qt::UserRole).value<std::shared_ptr<TquestionObj>>().get();
}
