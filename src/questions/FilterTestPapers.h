#pragma once

#include <QString>

#include "catalogue/TDictonaryTestPaperObj.h"
#include "catalogue/TObjectList.h"

class QListWidget;
class QListWidgetItem;

// Refills the result list with the papers of `testPapers` that pass, in this order: the year,
// area and type tests (an empty text passes, any other must equal the record's value exactly)
// and the keyword test (an empty keyword passes, any other must occur in testpapername,
// case-sensitive). The texts are taken as they are, untrimmed. Each entry shows the paper's
// name and refers to its record, which `testPapers` keeps owning: the list must be emptied
// before the records go. The entries are in the Chinese order of their names (ChineseOrder.h),
// papers of equal names in list order; the list box's own sorting is turned off. Cannot fail on
// its data.
//
// The keyword is matched character by character, never byte by byte, so an ASCII keyword
// cannot match the second byte of a Chinese character.
void FilterTestPapers(const TObjectList<TDictonaryTestPaperObj>& testPapers, QListWidget* results,
                      const QString& keyword, const QString& type, const QString& area, const QString& year);

// The record an entry refers to, or null for an entry without one.
const TDictonaryTestPaperObj* EntryTestPaper(const QListWidgetItem* entry);
