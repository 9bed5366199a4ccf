#include "XmlParser.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "AppError.h"

namespace {

// Returning no input makes libxml2 report the entity as not loadable.
xmlParserInputPtr refuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

void ignoreStructuredError(void*, xmlErrorPtr) {}

void setUpOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlAddEncodingAlias("GBK", "GB2312");
        xmlAddEncodingAlias("GBK", "gb2312");
        xmlSetExternalEntityLoader(refuseExternalEntity);
    });
    // Messages travel in the raised error; libxml2 must not print them to standard error.
    xmlSetStructuredErrorFunc(nullptr, ignoreStructuredError);
}

struct ContextDeleter {
    void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};

// NONET only: NOENT would substitute file: entities, DTDLOAD/DTDATTR would fetch DTDs.
constexpr int kOptions = XML_PARSE_NONET;

[[noreturn]] void raise(xmlParserCtxt* ctxt) {
    std::string message = "XML parse error";
    const xmlError* error = ctxt ? xmlCtxtGetLastError(ctxt) : xmlGetLastError();
    if (error && error->message) {
        message = error->message;
        while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    }
    throw XmlParseError(message);
}

}  // namespace

namespace xmlparser {

_xmlDoc* readMemory(const char* data, std::size_t size) {
    setUpOnce();
    if (size > INT_MAX) throw XmlParseError("Document too large");
    std::unique_ptr<xmlParserCtxt, ContextDeleter> ctxt(xmlNewParserCtxt());
    if (!ctxt) throw XmlParseError("out of memory");
    xmlDocPtr doc = xmlCtxtReadMemory(ctxt.get(), data, static_cast<int>(size), nullptr, nullptr, kOptions);
    if (!doc || !ctxt->wellFormed) {
        if (doc) xmlFreeDoc(doc);
        raise(ctxt.get());
    }
    return doc;
}

_xmlDoc* readFile(const std::string& path) {
    // Read the bytes ourselves: libxml2 would open the file through the entity loader, which
    // refuses everything, and the path may hold bytes that are not UTF-8.
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) throw XmlParseError("Cannot open " + path + ": " + std::strerror(errno));
    std::string bytes;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, n);
    if (std::ferror(file.get())) throw XmlParseError("Cannot read " + path);
    return readMemory(bytes.data(), bytes.size());
}

void freeDocument(_xmlDoc* doc) {
    if (doc) xmlFreeDoc(doc);
}

}  // namespace xmlparser
