#pragma once

#include <QMetaType>
#include <memory>

#include "TObjectList.h"
#include "TTestObj.h"
#include "service/GbkText.h"

class QTreeWidget;
class QTreeWidgetItem;

// Rebuilds an assignment list view (columns "名称", "日期") from the homework catalogue: one
// row per record whose trimmed practicetypeid equals `practiceType` exactly, in list order.
// Each row owns its own copy of the record holding only hmwkid, hmwkname, msg and endtime,
// kept in the second column's data, so nothing done to a row reaches the catalogue.
// Cannot fail on its data.
void FillHomeworkListView(const TObjectList<TTestObj>& records, QTreeWidget* listView,
                          const GbkString& practiceType);

// The copy a row carries, or null for a row without one.
const TTestObj* RowAssignment(const QTreeWidgetItem* row);

Q_DECLARE_METATYPE(std::shared_ptr<TTestObj>)
