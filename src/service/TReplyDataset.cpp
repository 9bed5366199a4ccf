#include "TReplyDataset.h"

#include <libxml/entities.h>
#include <libxml/tree.h>

#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

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

std::string_view trimmedView(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
    return text.substr(begin, end - begin);
}

std::string_view viewOf(const xmlChar* text) {
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlparser::freeDocument(doc); }
};

}  // namespace

// Every row's attributes side by side: each name once, the values in one block of text, trimmed
// and still UTF-8, so a reply costs a few allocations rather than a tree of them, and a value
// is converted to GBK only when somebody reads it (many never are; ASCII ones need no iconv).
class ReplyRowStore {
public:
    // A value that keeps entity references, read from the tree when it is read (where the caps on
    // its expansion apply) rather than while parsing.
    static constexpr std::uint32_t kExpandOnRead = UINT32_MAX;

    struct Attribute {
        std::uint32_t name;    // in names
        std::uint32_t length;  // of the value in text, or kExpandOnRead
        std::size_t at;        // the value's start in text, or its index in expandOnRead
    };

    bool hasRoot = false;
    std::vector<std::string> names;
    std::vector<Attribute> attributes;
    std::vector<std::size_t> rowStarts;  // each row's first attribute
    std::string text;
    std::vector<const xmlAttr*> expandOnRead;
    std::unique_ptr<xmlDoc, DocDeleter> tree;  // only when expandOnRead points into it

    std::size_t rowCount() const { return rowStarts.size(); }

    const Attribute* find(std::size_t row, const char* name) const {
        const std::size_t end = row + 1 < rowStarts.size() ? rowStarts[row + 1] : attributes.size();
        for (std::size_t i = rowStarts[row]; i < end; ++i) {
            if (std::strcmp(names[attributes[i].name].c_str(), name) == 0) return &attributes[i];
        }
        return nullptr;
    }

    // The name's index, found by the parser's pointer for it: the same for every occurrence of a
    // name in one parse (its dictionary), so each name is kept once.
    std::uint32_t nameOf(const xmlChar* interned, std::string_view name) {
        const auto [it, added] = nameIds_.try_emplace(interned, std::uint32_t(names.size()));
        if (added) names.emplace_back(name);
        return it->second;
    }

    void addValue(std::uint32_t name, std::string_view value) {
        attributes.push_back({name, std::uint32_t(value.size()), text.size()});
        text += value;
    }

    // Reads the rows of a document that libxml2's tree builder has built.
    void takeTree(xmlDoc* doc) {
        tree.reset(doc);
        xmlNode* root = xmlDocGetRootElement(doc);
        hasRoot = root != nullptr;
        for (xmlNode* row = root ? elementFrom(root->children) : nullptr; row; row = elementFrom(row->next)) {
            rowStarts.push_back(attributes.size());
            for (xmlAttr* attr = row->properties; attr; attr = attr->next) {
                // The tree's names are interned in its own dictionary, like the parser's.
                const std::uint32_t name = nameOf(attr->name, viewOf(attr->name));
                const xmlNode* value = attr->children;
                if (!value) {
                    addValue(name, {});
                } else if (!value->next && value->type == XML_TEXT_NODE) {
                    addValue(name, trimmedView(viewOf(value->content)));
                } else {
                    attributes.push_back({name, kExpandOnRead, expandOnRead.size()});
                    expandOnRead.push_back(attr);
                }
            }
        }
        nameIds_.clear();
        if (expandOnRead.empty()) tree.reset();
    }

private:
    std::unordered_map<const void*, std::uint32_t> nameIds_;
};

namespace {

// Collects the rows as the parser meets the elements: the document element's child elements,
// each with its attributes in document order, as the tree builder would have set them.
class RowCollector final : public xmlparser::ElementSink {
public:
    explicit RowCollector(ReplyRowStore& rows) : rows_(rows) {}

    void startElement(const xmlChar*, const xmlChar*, const xmlChar*, int attributeCount, int defaultedCount,
                      const xmlChar** attributes) override {
        // Defaulted attributes come from a DTD, which the tree builder leaves out; without one
        // there are none.
        const int count = attributeCount - defaultedCount;
        for (int i = 0; i < count; ++i) {
            const xmlChar* prefix = attributes[5 * i + 1];
            // The tree builder registers an xml:id value as an ID, with its own checks and messages.
            if (prefix && std::strcmp(reinterpret_cast<const char*>(prefix), "xml") == 0 &&
                std::strcmp(reinterpret_cast<const char*>(attributes[5 * i]), "id") == 0) {
                wantsTree = true;
                return;
            }
        }
        if (depth_ == 0) rows_.hasRoot = true;
        if (depth_ == 1) addRow(count, attributes);
        ++depth_;
    }

    void endElement() override { --depth_; }

private:
    void addRow(int count, const xmlChar** attributes) {
        rows_.rowStarts.push_back(rows_.attributes.size());
        for (int i = 0; i < count; ++i) {
            const xmlChar* const* attribute = attributes + 5 * i;
            const std::uint32_t name = nameAt(i, attribute[0], attribute[1], attribute[2]);
            const std::string_view value = trimmedView(std::string_view(
                reinterpret_cast<const char*>(attribute[3]), std::size_t(attribute[4] - attribute[3])));
            if (value.find('&') == std::string_view::npos) {
                rows_.addValue(name, value);
            } else if (!addUnescaped(name, value)) {
                wantsTree = true;
                return;
            }
        }
    }

    // Rows of one reply carry the same names in the same order, so the name at each position is
    // remembered by the parser's pointer for it.
    std::uint32_t nameAt(int position, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri) {
        if (prefix && !uri) {
            // A prefix without a namespace: the tree builder names the attribute "prefix:name".
            std::string qualified = std::string(viewOf(prefix)) + ":" + std::string(viewOf(localName));
            const auto [it, added] = qualifiedIds_.try_emplace(std::move(qualified), 0);
            if (added) {
                it->second = std::uint32_t(rows_.names.size());
                rows_.names.push_back(it->first);
            }
            return it->second;
        }
        if (std::size_t(position) >= recent_.size()) recent_.resize(std::size_t(position) + 1);
        auto& [pointer, name] = recent_[std::size_t(position)];
        if (pointer != localName) {
            pointer = localName;
            name = rows_.nameOf(localName, viewOf(localName));
        }
        return name;
    }

    // Without a DTD the parser leaves one kind of reference in a value: "&#38;" for each "&",
    // which the tree builder turns back into "&". Anything else is for the tree.
    bool addUnescaped(std::uint32_t name, std::string_view value) {
        constexpr std::string_view kAmpersand = "&#38;";
        std::string unescaped;
        unescaped.reserve(value.size());
        std::size_t from = 0;
        for (std::size_t at = value.find('&'); at != std::string_view::npos; at = value.find('&', from)) {
            if (value.substr(at, kAmpersand.size()) != kAmpersand) return false;
            unescaped.append(value.substr(from, at - from)).push_back('&');
            from = at + kAmpersand.size();
        }
        unescaped.append(value.substr(from));
        rows_.addValue(name, unescaped);
        return true;
    }

    ReplyRowStore& rows_;
    int depth_ = 0;
    std::vector<std::pair<const xmlChar*, std::uint32_t>> recent_;
    std::unordered_map<std::string, std::uint32_t> qualifiedIds_;
};

}  // namespace

GbkString TReplyRow::value(const char* name) const {
    if (!rows_ || !name) return {};
    const ReplyRowStore::Attribute* attribute = rows_->find(index_, name);
    if (!attribute) return {};
    if (attribute->length == ReplyRowStore::kExpandOnRead) {
        std::string content;
        appendExpanded(rows_->expandOnRead[attribute->at]->children, content, 0);
        return gbk::fromUtf8(gbk::trimmed(content));
    }
    return gbk::fromUtf8(std::string_view(rows_->text.data() + attribute->at, attribute->length));
}

TReplyRow TReplyRow::next() const {
    if (!rows_ || index_ + 1 >= rows_->rowCount()) return {};
    return TReplyRow(rows_, index_ + 1);
}

TReplyDataset::TReplyDataset(std::unique_ptr<ReplyRowStore> rows) : rows_(std::move(rows)) {}
TReplyDataset::TReplyDataset(TReplyDataset&&) noexcept = default;
TReplyDataset& TReplyDataset::operator=(TReplyDataset&&) noexcept = default;
TReplyDataset::~TReplyDataset() = default;

bool TReplyDataset::isEmpty() const {
    return !rows_ || !rows_->hasRoot;
}

TReplyRow TReplyDataset::firstRow() const {
    return rows_ && rows_->rowCount() > 0 ? TReplyRow(rows_.get(), 0) : TReplyRow();
}

TReplyDataset TReplyDataset::read(const char* data, std::size_t size) {
    auto rows = std::make_unique<ReplyRowStore>();
    RowCollector collector(*rows);
    if (xmlparser::readElements(data, size, collector) == xmlparser::ElementsRead::Declined) {
        rows = std::make_unique<ReplyRowStore>();
        rows->takeTree(xmlparser::readMemory(data, size));
    }
    TReplyDataset dataset(std::move(rows));
    if (dataset.isEmpty()) ShowMessage(QStringLiteral("empty"));
    return dataset;
}

TReplyDataset TReplyDataset::parse(const GbkString& replyText, DeclarationRule rule) {
    const bool prefix = rule == DeclarationRule::AlwaysPrefix || (rule == DeclarationRule::PrefixIfMissing &&
                                                                  replyText.find("<?xml") == GbkString::npos);
    if (!prefix) return read(replyText.bytes().data(), replyText.size());
    const std::string text = kGb2312Declaration + replyText.bytes();
    return read(text.data(), text.size());
}

TReplyDataset TReplyDataset::parseFile(const std::string& path) {
    const std::string bytes = xmlparser::readFileBytes(path);
    return read(bytes.data(), bytes.size());
}

TReplyDataset TReplyDataset::parseBytes(const ByteString& bytes) {
    return read(bytes.data(), bytes.size());
}

TReplyDataset ParseReplyDataset(const GbkString& replyText, DeclarationRule rule) {
    return TReplyDataset::parse(replyText, rule);
}
