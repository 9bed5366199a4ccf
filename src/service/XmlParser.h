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
