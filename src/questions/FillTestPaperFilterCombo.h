#pragma once

#include <QMetaType>
#include <memory>

#include "catalogue/TDictonaryTestPaperObj.h"
#include "catalogue/TObjectList.h"
#include "service/GbkText.h"

class QComboBox;

// Refills a test paper filter drop-down with the values that `key` ("testyear", "testarea" or
// "testtype") takes in `testPapers`: first an empty entry standing for any value, owning a
// placeholder record (testpaperid and testpaperstatus "0"), then each distinct value once, exact
// and case-sensitive, in Chinese order (ChineseOrder.h; years by their value). The year "0" is
// never offered, and an empty value is the empty entry itself. Nothing is selected afterwards,
// so the filter reads as empty. An unknown key offers only the empty entry. Cannot fail on its
// data.
void FillTestPaperFilterCombo(const TObjectList<TDictonaryTestPaperObj>& testPapers, const GbkString& key,
                              QComboBox* combo);

// The placeholder record behind entry `index`, or null for an entry without one.
const TDictonaryTestPaperObj* ComboTestPaper(const QComboBox* combo, int index);

Q_DECLARE_METATYPE(std::shared_ptr<TDictonaryTestPaperObj>)
