#include "FillBookCombo.h"

#include <QComboBox>

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
            combo->addItem(gbk::toQString(book->bookname), QVariant::fromValue(book));
        if (book->bookid == preselectBookId) combo->setCurrentIndex(combo->count() - 1);
    }
    if (combo->count() > 0 && combo->currentIndex() < 0) combo->setCurrentIndex(0);
}

const TBookObj* ComboBook(const QComboBox* combo, int index) {
    if (index < 0 || index >= combo->count()) return nullptr;
    return combo->itemData(index).value<std::shared_ptr<TBookObj>>().get();
}
