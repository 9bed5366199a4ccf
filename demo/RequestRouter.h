#pragma once

#include <string>

#include "DocumentPages.h"
#include "HttpExchange.h"
#include "PictureRenderer.h"
#include "SampleStore.h"
#include "SoapService.h"

// Everything the remote servers answer, on one address: the SOAP endpoint, the media API and
// player pages, homework and question pages, the account API, syllabus documents and the
// content server's pictures. Both schemes reach every path. Thread-safe; never throws.
class RequestRouter {
public:
    // publicBase is "https://HOST:PORT".
    RequestRouter(SampleStore& store, std::string publicBase);

    HttpReply route(const HttpRequest& request);

private:
    HttpReply dispatch(const HttpRequest& request);
    HttpReply mediaReference(const std::string& kind, const std::string& id) const;
    HttpReply player(const HttpRequest& request) const;
    HttpReply accountNotification(const HttpRequest& request);
    // A line of faults/http whose path prefix matches: http-500, not-found, slow:MS, cut-off,
    // trickle:MS, error-page (status 200) or damaged (half the body, status 200).
    std::vector<std::string> pathFaults(const std::string& path) const;

    SampleStore& store_;
    std::string publicBase_;
    SoapService soap_;
    PictureRenderer pictures_;
    DocumentPages documents_;
    std::mutex accountMutex_;
};
