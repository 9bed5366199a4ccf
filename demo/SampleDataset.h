#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

// One reply dataset of the sample data: a document element with one element per row, every
// value an attribute. Loaded from a UTF-8 file of the data folder; values are kept exactly
// (including blanks around them) so the client's trimming can be exercised. A value may hold
// the placeholders ${content} (the service's own https base) and ${baseurl} (the caller's
// baseurl argument), filled in when the reply is written.
class SampleDataset {
public:
    using Attributes = std::vector<std::pair<std::string, std::string>>;
    struct Row {
        std::string element = "Table";
        Attributes attributes;
        std::string value(const std::string& name) const;
    };
    // The declaration a text reply starts with: auto = GB2312 when a value is not ASCII.
    enum class Declaration { Auto, None, Gb2312 };

    // Raises std::runtime_error naming the file when it does not parse.
    static SampleDataset load(const std::string& path);

    const std::string& rootName() const { return rootName_; }
    Declaration declaration() const { return declaration_; }
    const std::vector<Row>& rows() const { return rows_; }
    std::vector<Row>& rows() { return rows_; }

    // The dataset as UTF-8 XML text without declaration; placeholders replaced by the map.
    std::string toXml(const std::map<std::string, std::string>& placeholders) const;

private:
    std::string rootName_ = "NewDataSet";
    Declaration declaration_ = Declaration::Auto;
    std::vector<Row> rows_;
};
