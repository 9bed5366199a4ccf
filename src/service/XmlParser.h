#pragma once

#include <cstddef>
#include <string>

struct _xmlDoc;

// The one way the program hands bytes to libxml2. Parsing never touches the network, loads no
// DTD and resolves no external entity (an entity loader that refuses everything is installed
// once), and keeps libxml2's limits on entity expansion. "GB2312" is read as GBK, a superset,
// so characters outside GB2312 that the service sends under that name still decode. A byte-order
// mark decides the encoding, whatever the declaration names; without one the declaration does,
// and without both the bytes are UTF-8.
namespace xmlparser {

// The most elements a reply may hold. A few kilobytes of gzip can inflate to tens of millions of
// empty elements, under every byte cap, and a tree or a record per element would be many times
// the reply's size; real replies hold some tens of thousands.
constexpr std::size_t kMaxElements = 1000000;
// The message of the XmlParseError that refuses a reply over kMaxElements, the same for every
// reader.
std::string tooManyElementsMessage();

// Both raise XmlParseError with libxml2's message, or the message above once the parse meets
// more than kMaxElements elements (before the tree grows further); the caller owns the returned
// document.
_xmlDoc* readMemory(const char* data, std::size_t size);
_xmlDoc* readFile(const std::string& path);

void freeDocument(_xmlDoc* doc);

// The whole content of a file, read by the program itself: libxml2 would open it through the entity
// loader, which refuses everything, and the path may hold bytes that are not UTF-8. Raises
// XmlParseError "Cannot open PATH: REASON" or "Cannot read PATH".
std::string readFileBytes(const std::string& path);

// A reader that keeps what it needs of each element as the parser meets it, instead of a tree.
// The arguments are libxml2's SAX2 ones: for each attribute five pointers (local name, prefix,
// namespace URI, value, end of value), the defaulted ones last.
class ElementSink {
public:
    virtual void startElement(const unsigned char* localName, const unsigned char* prefix,
                              const unsigned char* uri, int attributeCount, int defaultedCount,
                              const unsigned char** attributes) = 0;
    virtual void endElement() = 0;

    // Set by the sink when it meets something only the tree reads as the tree builder would;
    // the parse then stops and readElements answers Declined.
    bool wantsTree = false;

protected:
    ~ElementSink() = default;
};

enum class ElementsRead {
    Read,     // the document is well-formed and every element went to the sink
    Declined  // a document type declaration, or the sink's wantsTree: parse it with readMemory
};

// Parses as readMemory does, with the same options, bound and messages, but hands the elements to
// the sink and builds no tree. A document type declaration stops the parse: its entities,
// defaults and IDs belong to the tree builder, and such a reply is no dataset the service sends.
ElementsRead readElements(const char* data, std::size_t size, ElementSink& sink);

// Bytes handed to libxml2 through its read callback rather than as one buffer, so that a large
// reply needing decoding does not trip the "Huge input lookup" guard (lifting that guard with
// XML_PARSE_HUGE would lift the entity expansion limits too). Pass readInput as the callback and
// the input as its context.
struct MemoryInput {
    const char* data;
    std::size_t left;
};
int readInput(void* input, char* buffer, int length);

// The process-wide libxml2 set-up both functions above rely on (the GB2312 alias, the entity
// loader that refuses everything), done once. A reader that drives libxml2 itself calls it first.
void prepareLibrary();

}  // namespace xmlparser
