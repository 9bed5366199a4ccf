#include "QuestionReplyReader.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "service/AppError.h"
#include "service/XmlParser.h"

namespace {

constexpr const char* kGb2312Declaration = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n";

using Field = GbkString TquestionObj::*;

// Where an attribute goes: a field, one of the three fallbacks, or nowhere.
struct Slot {
    Field field = nullptr;
    int fallback = -1;  // index into TquestionObj::fallbackKeys()
};

Slot slotNamed(const char* name) {
    for (const TquestionObj::FieldKey& key : TquestionObj::fieldKeys())
        if (std::strcmp(name, key.key) == 0) return Slot{key.field, -1};
    const auto fallbacks = TquestionObj::fallbackKeys();
    for (std::size_t i = 0; i < fallbacks.size(); ++i)
        if (std::strcmp(name, fallbacks[i].key) == 0) return Slot{nullptr, static_cast<int>(i)};
    return Slot{};
}

// The parse's state, reached from the parser's callbacks.
class Collector {
public:
    QuestionReplyReader::Result result;
    std::string firstError;

    void start(const xmlChar* const* attributes, int count) {
        ++depth_;
        if (depth_ == 1) {
            result.hasDocumentElement = true;
        } else if (depth_ == 2) {
            if (!result.hasRows) {
                result.hasRows = true;
                insideFirst_ = true;
                pendingFirst_ = read(attributes, count);
            } else if (layout_ == Layout::Direct) {
                result.records.push_back(read(attributes, count));
            }
        } else if (depth_ == 3 && insideFirst_) {
            // The first child has children: they are the rows, and it is only their wrapper.
            if (layout_ == Layout::Undecided) {
                layout_ = Layout::Wrapped;
                pendingFirst_.reset();
            }
            result.records.push_back(read(attributes, count));
        }
    }

    void end() {
        if (depth_ == 2 && insideFirst_) {
            insideFirst_ = false;
            if (layout_ == Layout::Undecided) {
                layout_ = Layout::Direct;
                result.records.push_back(std::move(*pendingFirst_));
                pendingFirst_.reset();
            }
        }
        --depth_;
    }

private:
    enum class Layout { Undecided, Direct, Wrapped };

    // Attributes come as (name, prefix, URI, value begin, value end), entities and character
    // references replaced, except that the parser hands a "&" on as "&#38;" for a tree builder
    // to decode. A literal "&" cannot reach here any other way, so decoding that is exact.
    TquestionObj read(const xmlChar* const* attributes, int count) {
        TquestionObj record;
        GbkString fallbacks[decltype(TquestionObj::fallbackKeys())::extent];
        for (int i = 0; i < count; ++i) {
            const xmlChar* const* attribute = attributes + 5 * i;
            const Slot slot = slotFor(attribute[0]);
            GbkString* target = slot.field           ? &(record.*slot.field)
                                : slot.fallback >= 0 ? &fallbacks[slot.fallback]
                                                     : nullptr;
            if (target == nullptr) continue;
            std::string value(reinterpret_cast<const char*>(attribute[3]),
                              static_cast<std::size_t>(attribute[4] - attribute[3]));
            for (std::size_t at = value.find("&#38;"); at != std::string::npos;
                 at = value.find("&#38;", at + 1))
                value.replace(at, 5, "&");
            *target = gbk::fromUtf8(gbk::trimmed(value));
        }
        GbkString* fallback = fallbacks;
        for (const TquestionObj::FieldKey& key : TquestionObj::fallbackKeys()) {
            GbkString& field = record.*key.field;
            if (field.empty()) field = std::move(*fallback);
            ++fallback;
        }
        return record;
    }

    // Names come from the parser's dictionary, one pointer per name and document.
    Slot slotFor(const xmlChar* name) {
        if (const auto known = slots_.find(name); known != slots_.end()) return known->second;
        return slots_[name] = slotNamed(reinterpret_cast<const char*>(name));
    }

    int depth_ = 0;
    bool insideFirst_ = false;
    Layout layout_ = Layout::Undecided;
    std::optional<TquestionObj> pendingFirst_;
    std::unordered_map<const xmlChar*, Slot> slots_;
};

Collector& collectorOf(void* context) {
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    return *static_cast<Collector*>(parser->_private);
}

// The callbacks run inside libxml2's C frames: nothing may be thrown through them, so a failure
// stops the parser and is reported after it returns.
void onStart(void* context, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int count,
             int, const xmlChar** attributes) noexcept {
    try {
        collectorOf(context).start(attributes, count);
    } catch (...) {
        collectorOf(context).firstError = "out of memory";
        xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
    }
}

void onEnd(void* context, const xmlChar*, const xmlChar*, const xmlChar*) noexcept {
    try {
        collectorOf(context).end();
    } catch (...) {
        collectorOf(context).firstError = "out of memory";
        xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
    }
}

// The first error explains the failure; later ones follow from it.
void onError(void* context, xmlErrorPtr error) noexcept {
    if (context == nullptr || error == nullptr || error->message == nullptr || error->level < XML_ERR_ERROR)
        return;
    Collector& collector = collectorOf(context);
    if (!collector.firstError.empty()) return;
    try {
        collector.firstError = error->message;
    } catch (...) {
        // The parse fails all the same.
    }
}

struct ContextDeleter {
    void operator()(xmlParserCtxt* parser) const {
        // A reply with a DTD makes the parser build a document even under the SAX handlers.
        if (parser->myDoc != nullptr) xmlFreeDoc(parser->myDoc);
        xmlFreeParserCtxt(parser);
    }
};

using Parser = std::unique_ptr<xmlParserCtxt, ContextDeleter>;

Parser parserFor(xmlSAXHandler& handler, xmlparser::MemoryInput& source, void* state) {
    Parser parser(xmlCreateIOParserCtxt(&handler, nullptr, xmlparser::readInput, nullptr, &source,
                                        XML_CHAR_ENCODING_NONE));
    if (!parser) throw XmlParseError("out of memory");
    parser->_private = state;
    xmlCtxtUseOptions(parser.get(), XML_PARSE_NONET);
    return parser;
}

// A pass that only counts elements, stopping one past the bound: a record costs some forty
// strings, so a reply over the bound is refused before any is made, not after a million.
void onCount(void* context, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int, int,
             const xmlChar**) noexcept {
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    auto* elements = static_cast<std::size_t*>(parser->_private);
    if (++*elements > xmlparser::kMaxElements) xmlStopParser(parser);
}

// The reading pass reports the reply's errors; this one keeps quiet about them.
void ignoreError(void*, xmlErrorPtr) noexcept {}

bool holdsTooManyElements(const GbkString& text) {
    // An element takes four characters at least ("<a/>"), and no entity adds any here: a text
    // this short cannot pass the bound, and most replies are spared the extra pass.
    if (text.size() <= 4 * xmlparser::kMaxElements) return false;
    xmlSAXHandler handler{};
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElementNs = onCount;
    handler.serror = ignoreError;
    xmlparser::MemoryInput source{text.bytes().data(), text.size()};
    std::size_t elements = 0;
    Parser parser = parserFor(handler, source, &elements);
    xmlParseDocument(parser.get());
    return elements > xmlparser::kMaxElements;
}

}  // namespace

QuestionReplyReader::Result QuestionReplyReader::Read(const GbkString& replyText) {
    xmlparser::prepareLibrary();
    const bool declared = replyText.find("<?xml") != GbkString::npos;
    const GbkString prefixed =
        declared ? GbkString() : GbkString(std::string_view(kGb2312Declaration)) + replyText;
    const GbkString& text = declared ? replyText : prefixed;

    if (holdsTooManyElements(text)) throw XmlParseError(xmlparser::tooManyElementsMessage());

    // Only elements are handled: no DTD is read or kept, no entity is declared or loaded, so
    // nothing but the predefined entities can be referred to.
    xmlSAXHandler handler{};
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElementNs = onStart;
    handler.endElementNs = onEnd;
    handler.serror = onError;
    xmlparser::MemoryInput source{text.bytes().data(), text.size()};
    Collector collector;
    Parser parser = parserFor(handler, source, &collector);
    xmlParseDocument(parser.get());
    if (!parser->wellFormed || !collector.firstError.empty()) {
        std::string message = collector.firstError;
        if (message.empty()) message = "XML parse error";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
        throw XmlParseError(message);
    }
    return std::move(collector.result);
}
