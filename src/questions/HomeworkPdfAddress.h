#pragma once

#include <QString>

#include "service/GbkText.h"

// "https://" + the classroom API server + "/homework/pdf?homeworkid=" + id + "&userid=" + user id:
// the PDF rendering of an assignment, for homework and test papers alike.
QString HomeworkPdfAddress(const QString& classroomHost, const GbkString& homeworkId,
                           const GbkString& userId);
