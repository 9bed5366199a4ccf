#pragma once

#include <map>
#include <string>
#include <vector>

#include "HttpExchange.h"
#include "SampleStore.h"

// The classroom SOAP endpoint: SOAP 1.1, document/literal, namespace http://tempuri.org/.
// Reads the request envelope with libxml2 (no network, no entities), dispatches on the body
// element, checks SOAPAction against it, and writes the reply envelope itself. A request that
// cannot be served becomes a SOAP fault (HTTP 500); nothing here throws to the caller.
// The store must outlive the service. Thread-safe.
class SoapService {
public:
    static constexpr const char* kNamespace = "http://tempuri.org/";

    // publicBase is "https://HOST:PORT", the service's own address for the records.
    SoapService(SampleStore& store, std::string publicBase);

    HttpReply handle(const HttpRequest& request) const;

    // The operation names in the order of the interface.
    static std::vector<std::string> operationNames();

private:
    struct Call {
        std::string operation;
        std::map<std::string, std::string> arguments;
        std::string argument(const std::string& name) const;
    };

    HttpReply answer(const Call& call) const;
    std::string logOn(const Call& call) const;
    std::string updatePageSize(const Call& call) const;
    // The reply dataset as UTF-8 text with the declaration its rule asks for.
    std::string datasetText(const Call& call, bool forBytes) const;
    std::string datasetKey(const Call& call) const;

    static HttpReply envelope(const std::string& operation, const std::string& resultText);
    static HttpReply fault(const std::string& code, const std::string& text, const std::string& operation);

    SampleStore& store_;
    std::string publicBase_;
};
