#pragma once

#include <string>

#include "ClientConfig.h"
#include "HTTPRIOLmvInClass.h"
#include "ReplyStore.h"

// The data module: created once by the program entry and passed to every window that needs
// the service. Owns the one classroom service proxy for the whole run.
class TstudyDM {
public:
    explicit TstudyDM(const ClientConfig& config);

    // The replies the proxy keeps for working offline; made first, the proxy points at it.
    ReplyStore Replies;
    HTTPRIOLmvInClass HTTPRIOLmvInClass_;  // the proxy; endpoint and charset flag set by the entry
    GbkString WebServiceHost;              // the "webservice" launch key; empty in the login mode
    const ClientConfig& config() const { return config_; }

    // The endpoint of the classroom service and the UTF-8 header flag, as every launch mode sets them.
    void SetUpClassroomProxy();

private:
    ClientConfig config_;
};
