#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "GbkText.h"

// The rows of a parsed reply, kept by TReplyDataset.
class ReplyRowStore;

// One row of a reply dataset: an element whose attributes are the values. A null row (no row
// at all) reads every value as empty, so readers never need to check before reading.
class TReplyRow {
public:
    TReplyRow() = default;

    bool isNull() const { return rows_ == nullptr; }
    // The attribute's value as GBK, trimmed of codes 0..32 at both ends; empty when missing.
    // Entity references are expanded; a value that would pass 1 MiB that way, or entities
    // nested deeper than 16, raise XmlParseError (a hostile reply, not a dataset).
    GbkString value(const char* name) const;
    // The next row in document order, or a null row after the last.
    TReplyRow next() const;

private:
    friend class TReplyDataset;
    TReplyRow(const ReplyRowStore* rows, std::size_t index) : rows_(rows), index_(index) {}

    const ReplyRowStore* rows_ = nullptr;
    std::size_t index_ = 0;
};

// How the document text is built from the reply before parsing.
enum class DeclarationRule {
    Plain,           // the reply as it arrived
    AlwaysPrefix,    // the GB2312 declaration line, a line break, then the reply
    PrefixIfMissing  // the same, but only when the reply contains no "<?xml"
};

// A parsed reply document; owns its rows, which the TReplyRow values point into, so rows must
// not outlive it. Parsing never touches the network and loads no DTD or external entity.
class TReplyDataset {
public:
    TReplyDataset(TReplyDataset&&) noexcept;
    TReplyDataset& operator=(TReplyDataset&&) noexcept;
    ~TReplyDataset();

    bool isEmpty() const;
    TReplyRow firstRow() const;  // null when the document element has no child element

    // Parses GBK reply text by the rule. Raises XmlParseError with libxml2's message. A parsed
    // but empty document shows "empty" through ShowMessage and has no rows.
    static TReplyDataset parse(const GbkString& replyText, DeclarationRule rule);
    // Parses a file; its bytes are decoded by byte-order mark, declaration or UTF-8.
    static TReplyDataset parseFile(const std::string& path);
    // Parses bytes exactly as parseFile would parse a file holding them.
    static TReplyDataset parseBytes(const ByteString& bytes);

private:
    explicit TReplyDataset(std::unique_ptr<ReplyRowStore> rows);
    static TReplyDataset read(const char* data, std::size_t size);

    std::unique_ptr<ReplyRowStore> rows_;
};

// The shared reader entry point: ParseReplyDataset(text, rule) == TReplyDataset::parse.
TReplyDataset ParseReplyDataset(const GbkString& replyText, DeclarationRule rule = DeclarationRule::Plain);
