#pragma once

#include <QString>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "RecordingHttpServer.h"
#include "TestFiles.h"
#include "service/AppError.h"
#include "service/SoapEnvelope.h"
#include "service/TReplyDataset.h"

// A classroom service for tests on a RecordingHttpServer: SOAP operations answer with a
// result text (a dataset, "0", ...) or a fault, plain GETs with a body or a status. Replies
// are scripted before the client runs; anything unscripted answers 404.
class ScriptedClassroom {
public:
    ScriptedClassroom()
        : state_(std::make_shared<State>()),
          server_([state = state_](const RecordedRequest& request) { return state->answer(request); }) {}

    // The dataset or literal text an operation returns (UTF-8).
    void reply(const std::string& operation, const std::string& resultText) {
        std::lock_guard lock(state_->mutex);
        state_->soap[operation] =
            ScriptedResponse{200, "text/xml; charset=utf-8", envelope(operation, resultText)};
    }
    void fault(const std::string& operation, const std::string& faultString) {
        std::lock_guard lock(state_->mutex);
        state_->soap[operation] =
            ScriptedResponse{500, "text/xml; charset=utf-8", faultEnvelope(faultString)};
    }
    void get(const std::string& target, ScriptedResponse response) {
        std::lock_guard lock(state_->mutex);
        state_->gets[target] = std::move(response);
    }

    std::string host() const { return server_.host(); }
    std::vector<RecordedRequest> requests() const { return server_.requests(); }
    // The operations called, in order, read from the SOAPAction headers.
    std::vector<std::string> operations() const {
        std::vector<std::string> names;
        for (const RecordedRequest& request : server_.requests())
            if (const std::string action = operationOf(request); !action.empty()) names.push_back(action);
        return names;
    }

    // Points the client's configuration (the file named by LUMOCLASS_CONFIG) at a host: the
    // classroom server, and any other server named.
    static void writeConfig(const std::string& classroomHost,
                            std::initializer_list<const char*> others = {}) {
        std::string servers = "[servers]\nclassroom = " + classroomHost + "\n";
        for (const char* server : others) servers += std::string(server) + " = " + classroomHost + "\n";
        writeFile(qEnvironmentVariable("LUMOCLASS_CONFIG"), QByteArray::fromStdString(servers));
    }
    void writeConfig(std::initializer_list<const char*> others = {}) const { writeConfig(host(), others); }

    static std::string escaped(const std::string& text) { return soap::escapeText(text); }
    // What the client reports for a reply it cannot read: libxml2's message for that text.
    static QString parserMessage(const std::string& text) {
        try {
            ParseReplyDataset(GbkString(text), DeclarationRule::Plain);
        } catch (const XmlParseError& error) {
            return QString::fromUtf8(error.what());
        }
        return {};
    }

    static std::string envelope(const std::string& operation, const std::string& resultText) {
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
               "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><" +
               operation + "Response xmlns=\"http://tempuri.org/\"><" + operation + "Result>" +
               escaped(resultText) + "</" + operation + "Result></" + operation +
               "Response></soap:Body></soap:Envelope>";
    }
    static std::string faultEnvelope(const std::string& faultString) {
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
               "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
               "<soap:Fault><faultcode>soap:Server</faultcode><faultstring>" +
               escaped(faultString) + "</faultstring></soap:Fault></soap:Body></soap:Envelope>";
    }
    static std::string operationOf(const RecordedRequest& request) {
        std::string action = request.header("soapaction");
        const std::size_t slash = action.rfind('/');
        if (slash == std::string::npos) return {};
        action = action.substr(slash + 1);
        if (!action.empty() && action.back() == '"') action.pop_back();
        return action;
    }

private:
    struct State {
        std::mutex mutex;
        std::map<std::string, ScriptedResponse> soap;
        std::map<std::string, ScriptedResponse> gets;

        ScriptedResponse answer(const RecordedRequest& request) {
            std::lock_guard lock(mutex);
            if (request.method == "POST") {
                if (auto it = soap.find(operationOf(request)); it != soap.end()) return it->second;
            } else if (auto it = gets.find(request.target); it != gets.end()) {
                return it->second;
            }
            return ScriptedResponse{404, "text/plain", "not scripted"};
        }
    };
    std::shared_ptr<State> state_;
    RecordingHttpServer server_;
};
