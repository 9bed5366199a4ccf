#pragma once

#include <QMetaType>
#include <memory>

#include "TBookObj.h"
#include "service/GbkText.h"

class QComboBox;

// Fills the textbook combo box from a LmvInclass_GetBookList reply: one entry per book of
// grade 9 or below, captioned with its name, in reply order. Each entry owns its TBookObj
// (a shared pointer in the item's data), so the record goes when the entry goes.
//
// A reply without rows leaves the combo box untouched (an empty document also shows
// "empty"). The entry of `preselectBookId` is selected (the entry added last when that book
// was dropped), else the first one. Selecting here is not the user's choice: the book change
// listens to activated(), which only the user raises.
//
// Raises XmlParseError for a reply that is not XML, and ConvertError for a gradeid that is
// not a whole number; the entries added before that row stay.
void FillBookCombo(const GbkString& replyText, QComboBox* combo, const GbkString& preselectBookId);

// The record behind entry `index`, or null for an index without one.
const TBookObj* ComboBook(const QComboBox* combo, int index);

Q_DECLARE_METATYPE(std::shared_ptr<TBookObj>)
