#pragma once

#include <QString>

#include "service/GbkText.h"

// The pages the question bank and the assignment sheets open. Each id goes in percent-encoded as
// a query value or a path segment (UrlEncoding.h), so an id holding "#", "&", "?" or "/" still
// names its own page; an id of letters and digits gives the address unchanged. An id that
// cannot be a path segment ("." or "..") gives "about:blank" rather than some other page of
// the server. Cannot fail.

// "https://" + the classroom API server + "/homework/pdf?homeworkid=" + id + "&userid=" + user id:
// the PDF rendering of an assignment, for homework and test papers alike.
QString HomeworkPdfAddress(const QString& classroomHost, const GbkString& homeworkId,
                           const GbkString& userId);

// "https://" + the classroom API server + "/homework/classlist/" + id: the class feedback page.
QString HomeworkClassListAddress(const QString& classroomHost, const GbkString& homeworkId);

// "https://" + the classroom API server + "/homework/source?sourceid=" + id + "&userid=" + user id:
// a test paper of the question bank.
QString TestPaperSourceAddress(const QString& classroomHost, const GbkString& testPaperId,
                               const GbkString& userId);

// "http://" + the question page server + ":8090/question/index/" + id.
QString QuestionPageAddress(const QString& questionHost, const QString& questionId);
