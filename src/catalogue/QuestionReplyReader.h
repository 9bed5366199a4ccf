#pragma once

#include <vector>

#include "catalogue/TquestionObj.h"
#include "service/GbkText.h"

// Reads the rows of a question list reply into records as the parser meets them, without
// building a document tree: a reply holds thousands of rows of some forty attributes, and a
// tree of them costs more to build and to free than everything done with the rows.
//
// The document text is the reply when it contains "<?xml", else the GB2312 declaration line
// followed by the reply. The rows are the children of the document element's first child when
// that child has children, else that child and its following siblings. Each record is read as
// TquestionObj::fromRow reads a row, by the same key tables (trimmed GBK values, the three
// fallbacks). The parser is set up as every reply parser is: no network, no DTD, no entity but
// the predefined ones, "GB2312" read as GBK. Raises XmlParseError with libxml2's message, or with
// xmlparser::tooManyElementsMessage() for a reply of more than xmlparser::kMaxElements elements,
// before any record is made. Any thread, one call at a time.
class QuestionReplyReader {
public:
    struct Result {
        bool hasDocumentElement = false;
        bool hasRows = false;  // the document element has a child element
        std::vector<TquestionObj> records;
    };

    static Result Read(const GbkString& replyText);
};
