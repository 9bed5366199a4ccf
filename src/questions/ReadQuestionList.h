#pragma once

#include <QMetaType>
#include <memory>

#include "catalogue/TObjectList.h"
#include "catalogue/TVantorQuestionTypeObj.h"
#include "catalogue/TquestionObj.h"
#include "service/GbkText.h"

class QTreeWidget;
class QTreeWidgetItem;

// Fills a question list view ("序号", "题型", "难度") from a LmvInclass_getQuestionListFromaSection
// reply. A reply without "<?xml" is read as GB2312 (the declaration line is put in front); one
// with its own declaration is read as it is. The rows are the children of the document
// element's first child when that child has children (one wrapping element), else that child
// and its following siblings. Each row is a TquestionObj captioned with its qid; the type
// column shows typetext, or for a row without qid the name of the type in `questionTypes`
// whose id equals qtpid; rt follows in the next column, so without a type name it stands in
// the type column. A row owns its record, kept with its type text.
//
// An empty document shows "empty" and a document element without children leaves the list as
// it was; otherwise the list is emptied first. Raises XmlParseError for a reply that is not XML
// (the list keeps what it held). `unused` is accepted for the callers' sake and not read.
void ReadQuestionList(const GbkString& replyText, QTreeWidget* listView,
                      const TObjectList<TVantorQuestionTypeObj>& questionTypes, const GbkString& unused);

// The record a row carries, or null for a row without a type text.
const TquestionObj* RowQuestion(const QTreeWidgetItem* row);

Q_DECLARE_METATYPE(std::shared_ptr<TquestionObj>)
