#pragma once

#include <QVariant>
#include <QtGlobal>
#include <memory>

// How list items, tree rows and drop-down entries carry the record they show: always under
// RecordRole, either lent (the address of a record its owner keeps, e.g. the catalogue, which
// must outlive the item) or owned (a shared pointer, so the record goes with the item). A reader
// does not need to know which: recordOf and recordAt read both and give null for anything else.

inline constexpr int RecordRole = Qt::UserRole;

template <class Record>
QVariant lentRecord(const Record* record) {
    return QVariant::fromValue(reinterpret_cast<quintptr>(record));
}

template <class Record>
QVariant ownedRecord(std::shared_ptr<Record> record) {
    return QVariant::fromValue(std::move(record));
}

template <class Record>
const Record* recordIn(const QVariant& data) {
    if (const auto owned = data.value<std::shared_ptr<Record>>()) return owned.get();
    return reinterpret_cast<const Record*>(data.value<quintptr>());
}

// The record of a list item, or of one column of a tree row.
template <class Record, class Item>
const Record* recordOf(const Item* item) {
    return item == nullptr ? nullptr : recordIn<Record>(item->data(RecordRole));
}
template <class Record, class Row>
const Record* recordOf(const Row* row, int column) {
    return row == nullptr ? nullptr : recordIn<Record>(row->data(column, RecordRole));
}

// The record of a drop-down's entry `index`.
template <class Record, class Combo>
const Record* recordAt(const Combo* combo, int index) {
    return recordIn<Record>(combo->itemData(index, RecordRole));
}
