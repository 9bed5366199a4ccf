#pragma once

#include <QString>
#include <string>

#include "GbkText.h"

// Every address this program asks a server for, built in this one place from the configured
// hosts (HOST[:PORT]) and the values that go into it. A value that comes from the service or the
// user goes in percent-encoded: every byte outside the unreserved characters of RFC 3986
// (letters, digits, "-", ".", "_", "~") becomes "%" and two capital hex digits, so "#", "&",
// "?", "/", "%", "+" and blanks stay inside the part they belong to, and an id of letters and
// digits gives the address unchanged. Nothing here can fail.
namespace Endpoints {

// The classroom SOAP service: "http://" (or "https://") + host + "/lmv-inclass/lmvInclass.asmx".
QString classroomService(const QString& classroomHost, bool tls);

// The sign-in notification of the account API. The server reads the GBK bytes the program has
// always sent, so the user id and the account are encoded byte for byte.
std::string accountNotification(const QString& scheme, const QString& accountHost, const GbkString& userId,
                                const GbkString& account);

// The syllabus subjects document on the host given by the launch query:
// "http://" + host + "/syllabus/" + syllabus id + "_subjects.xml".
std::string syllabusSubjects(const GbkString& webServiceHost, const GbkString& syllabusId);

// The base address the service puts in front of the page picture paths: "https://" + the
// content server, without a trailing "/".
GbkString pictureBase(const GbkString& contentHost);

// One media API request: scheme + "://" + classroom host + path + value, the value as the
// service's own record gave it.
std::string mediaReference(const char* scheme, const QString& classroomHost, const char* path,
                           const GbkString& value);

// The player page: "https://" + classroom host + "/mediaplayerhtml/" + page + queryFirstPart
// + width + "px&url=" + the media API's reply.
QString mediaPlayer(const QString& classroomHost, const QString& page, const QString& queryFirstPart,
                    int width, const GbkString& reply);

// The pages of the question bank and the assignment sheets. Ids go in as the UTF-8 bytes a
// browser sends for them. An id that cannot be a path segment ("." or "..", which a browser
// takes for the folder or its parent however they are encoded) gives "about:blank" rather than
// some other page of the server.

// "https://" + classroom host + "/homework/pdf?homeworkid=" + id + "&userid=" + user id: the PDF
// rendering of an assignment, for homework and test papers alike.
QString homeworkPdf(const QString& classroomHost, const GbkString& homeworkId, const GbkString& userId);
// "https://" + classroom host + "/homework/classlist/" + id: the class feedback page.
QString homeworkClassList(const QString& classroomHost, const GbkString& homeworkId);
// "https://" + classroom host + "/homework/source?sourceid=" + id + "&userid=" + user id: a test
// paper of the question bank.
QString testPaperSource(const QString& classroomHost, const GbkString& testPaperId, const GbkString& userId);
// "http://" + question host + ":8090/question/index/" + id.
QString questionPage(const QString& questionHost, const QString& questionId);

}  // namespace Endpoints
