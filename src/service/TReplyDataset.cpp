#include "TReplyDataset.h"

#include <libxml/entities.h>
#include <libxml/tree.h>

#include <cstring>

#include "AppError.h"
#include "ShowMessage.h"
#include "XmlParser.h"

namespace {

constexpr const char* kGb2312Declaration = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n";

xmlNode* elementFrom(xmlNode* node) {
    while (node && node->type != XML_ELEMENT_NODE) node = node->next;
    return node;
}

// An attribute value with entity references is expanded here, after parsing, where libxml2's
// own expansion limits do not reach: ten nested entities of ten references each ("billion
// laughs") would grow one value to gigabytes. Real values are far below these bounds.
constexpr std::size_t kMaxExpandedValueBytes = std::size_t(1) << 20;
constexpr int kMaxEntityDepth = 16;

void appendExpanded(const xmlNode* node, std::string& out, int depth) {
    if (depth > kMaxEntityDepth) throw XmlParseError("Detected an entity reference loop");
    for (; node; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content) out += reinterpret_cast<const char*>(node->content);
        } else if (node->type == XML_ENTITY_REF_NODE) {
            const xmlEntity* entity = xmlGetDocEntity(node->doc, node->name);
            if (entity && entity->children) {
                appendExpanded(entity->children, out, depth + 1);
            } else if (entity && entity->content) {
                out += reinterpret_cast<const char*>(entity->content);
            } else if (node->content) {
                out += reinterpret_cast<const char*>(node->content);
            }
        }
        if (out.size() > kMaxExpandedValueBytes)
            throw XmlParseError("Maximum entity amplification exceeded in an attribute value");
    }
}

}  // namespace

GbkString TReplyRow::value(const char* name) const {
    if (!node_) return {};
    xmlAttr* attr = xmlHasProp(node_, reinterpret_cast<const xmlChar*>(name));
    if (!attr || attr->type != XML_ATTRIBUTE_NODE) return {};
    // An attribute value is almost always one text node; read it in place instead of copying.
    xmlNode* text = attr->children;
    if (text && !text->next && text->type == XML_TEXT_NODE) {
        const char* content = reinterpret_cast<const char*>(text->content);
        return gbk::fromUtf8(gbk::trimmed(content ? content : ""));
    }
    std::string content;
    appendExpanded(attr->children, content, 0);
    return gbk::fromUtf8(gbk::trimmed(content));
}

TReplyRow TReplyRow::next() const {
    return TReplyRow(node_ ? elementFrom(node_->next) : nullptr);
}

void TReplyDataset::DocDeleter::operator()(_xmlDoc* doc) const {
    xmlparser::freeDocument(doc);
}

TReplyDataset::TReplyDataset(_xmlDoc* doc) : doc_(doc) {}
TReplyDataset::TReplyDataset(TReplyDataset&&) noexcept = default;
TReplyDataset& TReplyDataset::operator=(TReplyDataset&&) noexcept = default;
TReplyDataset::~TReplyDataset() = default;

bool TReplyDataset::isEmpty() const {
    return !doc_ || xmlDocGetRootElement(doc_.get()) == nullptr;
}

TReplyRow TReplyDataset::firstRow() const {
    xmlNode* root = doc_ ? xmlDocGetRootElement(doc_.get()) : nullptr;
    return TReplyRow(root ? elementFrom(root->children) : nullptr);
}

TReplyDataset TReplyDataset::parse(const GbkString& replyText, DeclarationRule rule) {
    const bool prefix = rule == DeclarationRule::AlwaysPrefix || (rule == DeclarationRule::PrefixIfMissing &&
                                                                  replyText.find("<?xml") == GbkString::npos);
    TReplyDataset dataset(prefix ? xmlparser::readMemory((kGb2312Declaration + replyText.bytes()).data(),
                                                         std::strlen(kGb2312Declaration) + replyText.size())
                                 : xmlparser::readMemory(replyText.bytes().data(), replyText.size()));
    if (dataset.isEmpty()) ShowMessage(QStringLiteral("empty"));
    return dataset;
}

TReplyDataset TReplyDataset::parseFile(const std::string& path) {
    TReplyDataset dataset(xmlparser::readFile(path));
    if (dataset.isEmpty()) ShowMessage(QStringLiteral("empty"));
    return dataset;
}

TReplyDataset TReplyDataset::parseBytes(const ByteString& bytes) {
    TReplyDataset dataset(xmlparser::readMemory(bytes.data(), bytes.size()));
    if (dataset.isEmpty()) ShowMessage(QStringLiteral("empty"));
    return dataset;
}

TReplyDataset ParseReplyDataset(const GbkString& replyText, DeclarationRule rule) {
    return TReplyDataset::parse(replyText, rule);
}
