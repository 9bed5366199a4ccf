#include "SoapEnvelope.h"

#include <libxml/tree.h>

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <memory>

#include "AppError.h"
#include "XmlParser.h"

namespace {

constexpr const char* kEnvelopeNs = "http://schemas.xmlsoap.org/soap/envelope/";

void appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            // Carriage returns would be normalised away by the receiving parser.
            case '\r':
                out += "&#13;";
                break;
            default:
                out += c;
        }
    }
}

struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlparser::freeDocument(doc); }
};

xmlNode* firstElement(xmlNode* node) {
    for (xmlNode* child = node ? node->children : nullptr; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) return child;
    }
    return nullptr;
}

bool isNamed(const xmlNode* node, const char* localName) {
    return node && node->name && std::strcmp(reinterpret_cast<const char*>(node->name), localName) == 0;
}

std::string textOf(xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
}

}  // namespace

std::string soap::escapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendEscaped(out, text);
    return out;
}

namespace soap {

std::string buildRequest(const std::string& serviceNamespace, const std::string& operation,
                         const Parameters& parameters) {
    std::string out;
    out.reserve(256 + operation.size() * 2);
    out += "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
    out += "<soap:Envelope xmlns:soap=\"";
    out += kEnvelopeNs;
    out +=
        "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"><soap:Body><";
    out += operation;
    out += " xmlns=\"";
    appendEscaped(out, serviceNamespace);
    out += "\">";
    for (const auto& [name, value] : parameters) {
        out += '<';
        out += name;
        out += '>';
        appendEscaped(out, value);
        out += "</";
        out += name;
        out += '>';
    }
    out += "</";
    out += operation;
    out += "></soap:Body></soap:Envelope>";
    return out;
}

std::string readResult(const std::string& responseBody, const std::string& operation) {
    std::unique_ptr<xmlDoc, DocDeleter> doc;
    try {
        doc.reset(xmlparser::readMemory(responseBody.data(), responseBody.size()));
    } catch (const XmlParseError& e) {
        throw SoapError(std::string("The reply is not a SOAP message: ") + e.what());
    }
    xmlNode* envelope = xmlDocGetRootElement(doc.get());
    if (!isNamed(envelope, "Envelope")) throw SoapError("The reply is not a SOAP envelope");
    xmlNode* body = nullptr;
    for (xmlNode* child = envelope->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && isNamed(child, "Body")) body = child;
    }
    if (!body) throw SoapError("The SOAP reply has no body");
    xmlNode* payload = firstElement(body);
    if (isNamed(payload, "Fault")) {
        std::string faultString;
        for (xmlNode* child = payload->children; child; child = child->next) {
            if (child->type == XML_ELEMENT_NODE && isNamed(child, "faultstring")) faultString = textOf(child);
        }
        throw SoapFault(faultString.empty() ? std::string("SOAP fault") : faultString);
    }
    if (!isNamed(payload, (operation + "Response").c_str())) {
        throw SoapError("The SOAP reply has no " + operation + "Response element");
    }
    xmlNode* result = firstElement(payload);
    return result ? textOf(result) : std::string();
}

std::string readBytesResult(const std::string& responseBody, const std::string& operation) {
    std::string text = readResult(responseBody, operation);
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; });
    auto decoded =
        QByteArray::fromBase64Encoding(QByteArray::fromRawData(text.data(), qsizetype(text.size())),
                                       QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) throw SoapError("The reply of " + operation + " is not valid base64");
    return std::string(decoded.decoded.constData(), static_cast<std::size_t>(decoded.decoded.size()));
}

}  // namespace soap
