#include "SampleDataset.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "DemoEncoding.h"

namespace {

std::string substitute(std::string value, const std::map<std::string, std::string>& placeholders) {
    for (const auto& [key, replacement] : placeholders) {
        const std::string token = "${" + key + "}";
        for (size_t at = value.find(token); at != std::string::npos; at = value.find(token, at)) {
            value.replace(at, token.size(), replacement);
            at += replacement.size();
        }
    }
    return value;
}

}  // namespace

std::string SampleDataset::Row::value(const std::string& name) const {
    for (const auto& [key, value] : attributes)
        if (key == name) return value;
    return {};
}

SampleDataset SampleDataset::load(const std::string& path) {
    // Read here rather than by libxml2, whose loader for files is refused process-wide.
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    const std::string bytes = content.str();
    std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> doc(
        in ? xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), path.c_str(), nullptr,
                           XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING)
           : nullptr,
        xmlFreeDoc);
    if (!doc) throw std::runtime_error("sample dataset does not parse: " + path);
    xmlNodePtr root = xmlDocGetRootElement(doc.get());
    if (!root) throw std::runtime_error("sample dataset has no document element: " + path);
    SampleDataset dataset;
    dataset.rootName_ = reinterpret_cast<const char*>(root->name);
    if (xmlChar* mode = xmlGetProp(root, BAD_CAST "demo-declaration")) {
        std::string text = reinterpret_cast<const char*>(mode);
        xmlFree(mode);
        if (text == "none")
            dataset.declaration_ = Declaration::None;
        else if (text == "gb2312")
            dataset.declaration_ = Declaration::Gb2312;
    }
    for (xmlNodePtr node = root->children; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        Row row;
        row.element = reinterpret_cast<const char*>(node->name);
        for (xmlAttrPtr attr = node->properties; attr; attr = attr->next) {
            xmlChar* value = xmlNodeListGetString(doc.get(), attr->children, 1);
            row.attributes.emplace_back(reinterpret_cast<const char*>(attr->name),
                                        value ? reinterpret_cast<const char*>(value) : "");
            xmlFree(value);
        }
        dataset.rows_.push_back(std::move(row));
    }
    return dataset;
}

std::string SampleDataset::toXml(const std::map<std::string, std::string>& placeholders) const {
    if (rows_.empty()) return "<" + rootName_ + " />";
    std::string out = "<" + rootName_ + ">";
    for (const Row& row : rows_) {
        out += "<" + row.element;
        for (const auto& [key, value] : row.attributes)
            out += " " + key + "=\"" + demo::xmlEscape(substitute(value, placeholders)) + "\"";
        out += " />";
    }
    out += "</" + rootName_ + ">";
    return out;
}
