#include "XmlParser.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "AppError.h"

namespace {

// Returning no input makes libxml2 report the entity as not loadable.
xmlParserInputPtr refuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

// The first error of a parse is the one that explains it; the push parser may report more
// (such as "Extra content") after it has given up.
thread_local std::string firstError;

// Runs inside libxml2's C frames: nothing may be thrown through them.
void recordFirstError(void*, xmlErrorPtr error) noexcept {
    if (!firstError.empty() || !error || !error->message || error->level < XML_ERR_ERROR) return;
    try {
        firstError = error->message;
    } catch (...) {
        // Out of memory: the parse fails all the same, with libxml2's own last error.
    }
}

void setUpOnce() {
    xmlparser::prepareLibrary();
    // Messages travel in the raised error; libxml2 must not print them to standard error.
    xmlSetStructuredErrorFunc(nullptr, recordFirstError);
    firstError.clear();
}

struct ContextDeleter {
    void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};

// The element count of this thread's parse, kept beside the first error; each element under the
// bound is left to the tree builder's own handler.
struct Counted {
    startElementNsSAX2Func build = nullptr;
    std::size_t elements = 0;
    bool tooMany = false;
};
thread_local Counted* counting = nullptr;

void countThenBuild(void* context, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri,
                    int namespaceCount, const xmlChar** namespaces, int attributeCount, int defaulted,
                    const xmlChar** attributes) noexcept {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(context);
    Counted* counted = counting;
    if (++counted->elements > xmlparser::kMaxElements) {
        counted->tooMany = true;
        xmlStopParser(ctxt);
        return;
    }
    counted->build(context, localname, prefix, uri, namespaceCount, namespaces, attributeCount, defaulted,
                   attributes);
}

// The sink of this thread's readElements, with its element count.
struct Sinking {
    xmlparser::ElementSink* sink;
    std::size_t elements = 0;
    bool declined = false;
};
thread_local Sinking* sinkingTo = nullptr;

void sinkStart(void* context, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri, int,
               const xmlChar**, int attributeCount, int defaulted, const xmlChar** attributes) noexcept {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(context);
    Sinking* sinking = sinkingTo;
    if (++sinking->elements > xmlparser::kMaxElements) {
        xmlStopParser(ctxt);
        return;
    }
    try {
        sinking->sink->startElement(localname, prefix, uri, attributeCount, defaulted, attributes);
    } catch (...) {
        // Out of memory: let the tree builder meet it, and report it, as readMemory does.
        sinking->sink->wantsTree = true;
    }
    if (sinking->sink->wantsTree) xmlStopParser(ctxt);
}

void sinkEnd(void*, const xmlChar*, const xmlChar*, const xmlChar*) noexcept {
    sinkingTo->sink->endElement();
}

void declineDocumentType(void* context, const xmlChar*, const xmlChar*, const xmlChar*) noexcept {
    sinkingTo->declined = true;
    xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
}

void ignoreText(void*, const xmlChar*, int) noexcept {}
void ignoreComment(void*, const xmlChar*) noexcept {}
void ignoreInstruction(void*, const xmlChar*, const xmlChar*) noexcept {}

// NONET only: NOENT would substitute file: entities, DTDLOAD/DTDATTR would fetch DTDs.
constexpr int kOptions = XML_PARSE_NONET;

[[noreturn]] void raise(xmlParserCtxt* ctxt) {
    std::string message = firstError;
    if (message.empty()) {
        const xmlError* error = ctxt ? xmlCtxtGetLastError(ctxt) : xmlGetLastError();
        message = error && error->message ? error->message : "XML parse error";
    }
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    throw XmlParseError(message);
}

// The encoding a byte-order mark names, and the mark's length; null when there is none. A mark
// is the stronger statement: a service that writes UTF-8 behind a mark may still copy an old
// declaration naming another encoding.
struct Mark {
    const char* encoding = nullptr;
    std::size_t length = 0;
};

Mark byteOrderMark(const char* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return {"UTF-8", 3};
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return {"UTF-16LE", 2};
    if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return {"UTF-16BE", 2};
    return {};
}

}  // namespace

namespace xmlparser {

int readInput(void* input, char* buffer, int length) {
    auto* source = static_cast<MemoryInput*>(input);
    const std::size_t n = std::min(source->left, static_cast<std::size_t>(length));
    std::memcpy(buffer, source->data, n);
    source->data += n;
    source->left -= n;
    return static_cast<int>(n);
}

std::string tooManyElementsMessage() {
    return "The reply is too large: more than " + std::to_string(kMaxElements) + " elements";
}

void prepareLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlAddEncodingAlias("GBK", "GB2312");
        xmlAddEncodingAlias("GBK", "gb2312");
        xmlSetExternalEntityLoader(refuseExternalEntity);
    });
}

_xmlDoc* readMemory(const char* data, std::size_t size) {
    setUpOnce();
    // Read through an I/O callback rather than as one memory block: handed over whole, a reply
    // of 10 MB that needs decoding (GB2312) trips libxml2's "Huge input lookup" guard, and the
    // only way around it there, XML_PARSE_HUGE, would also lift the entity expansion limits.
    // With a mark, its encoding is imposed and the declaration's ignored; the mark itself is
    // left out, as libxml2 would otherwise read it as a character of the imposed encoding.
    const Mark mark = byteOrderMark(data, size);
    MemoryInput source{data + mark.length, size - mark.length};
    std::unique_ptr<xmlParserCtxt, ContextDeleter> ctxt(xmlNewParserCtxt());
    if (!ctxt) throw XmlParseError("out of memory");
    Counted counted;
    counted.build = ctxt->sax->startElementNs;
    ctxt->sax->startElementNs = countThenBuild;
    counting = &counted;
    const int options = mark.encoding ? kOptions | XML_PARSE_IGNORE_ENC : kOptions;
    xmlDocPtr doc = xmlCtxtReadIO(ctxt.get(), readInput, nullptr, &source, nullptr, mark.encoding, options);
    counting = nullptr;
    if (!doc || !ctxt->wellFormed || counted.tooMany) {
        if (doc) xmlFreeDoc(doc);
        if (counted.tooMany) throw XmlParseError(tooManyElementsMessage());
        raise(ctxt.get());
    }
    return doc;
}

_xmlDoc* readFile(const std::string& path) {
    const std::string bytes = readFileBytes(path);
    return readMemory(bytes.data(), bytes.size());
}

std::string readFileBytes(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) throw XmlParseError("Cannot open " + path + ": " + std::strerror(errno));
    std::string bytes;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, n);
    if (std::ferror(file.get())) throw XmlParseError("Cannot read " + path);
    return bytes;
}

ElementsRead readElements(const char* data, std::size_t size, ElementSink& sink) {
    setUpOnce();
    const Mark mark = byteOrderMark(data, size);
    MemoryInput source{data + mark.length, size - mark.length};
    std::unique_ptr<xmlParserCtxt, ContextDeleter> ctxt(xmlNewParserCtxt());
    if (!ctxt) throw XmlParseError("out of memory");
    // Only the element handlers change: the declaration, the encoding and the document itself
    // go through libxml2's own handlers, so the parse checks and reports exactly as readMemory's.
    // Text, comments and instructions are no part of a dataset, but the handlers must stay set:
    // the parser words some messages by whether there is one (a comment's, for one).
    xmlSAXHandler* sax = ctxt->sax;
    sax->startElementNs = sinkStart;
    sax->endElementNs = sinkEnd;
    sax->internalSubset = declineDocumentType;
    sax->characters = ignoreText;
    sax->ignorableWhitespace = ignoreText;
    sax->cdataBlock = ignoreText;
    sax->comment = ignoreComment;
    sax->processingInstruction = ignoreInstruction;
    Sinking sinking{&sink};
    sinkingTo = &sinking;
    const int options = mark.encoding ? kOptions | XML_PARSE_IGNORE_ENC : kOptions;
    xmlDocPtr doc = xmlCtxtReadIO(ctxt.get(), readInput, nullptr, &source, nullptr, mark.encoding, options);
    sinkingTo = nullptr;
    // The document holds no element, only the declaration's facts.
    const bool parsed = doc != nullptr;
    if (doc) xmlFreeDoc(doc);
    if (sinking.declined || sink.wantsTree) return ElementsRead::Declined;
    if (sinking.elements > kMaxElements) throw XmlParseError(tooManyElementsMessage());
    if (!parsed || !ctxt->wellFormed) raise(ctxt.get());
    return ElementsRead::Read;
}

void freeDocument(_xmlDoc* doc) {
    if (doc) xmlFreeDoc(doc);
}

}  // namespace xmlparser
