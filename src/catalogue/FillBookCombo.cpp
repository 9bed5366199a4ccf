#include "FillBookCombo.h"

#include <QComboBox>

#include "ItemRecord.h"
#include "service/TReplyDataset.h"

namespace {
constexpr int kHighestOfferedGrade = 9;
}  // namespace

void FillBookCombo(const GbkString& replyText, QComboBox* combo, const GbkString& preselectBookId) {
    const TReplyDataset dataset = ParseReplyDataset(replyText, DeclarationRule::Plain);
    TReplyRow row = dataset.firstRow();
    if (row.isNull()) return;
    combo->clear();
    for (; !row.isNull(); row = row.next()) {
        auto book = std::make_shared<TBookObj>(TBookObj::fromRow(row));
        if (gbk::toInt(book->gradeid) <= kHighestOfferedGrade)
            combo->addItem(gbk::toQString(book->bookname), ownedRecord(book));
        if (book->bookid == preselectBookId) combo->setCurrentIndex(combo->count() - 1);
    }
    if (combo->count() > 0 && combo->currentIndex() < 0) combo->setCurrentIndex(0);
}

const TBookObj* ComboBook(const QComboBox* combo, int index) {
    return recordAt<TBookObj>(combo, index);
}
