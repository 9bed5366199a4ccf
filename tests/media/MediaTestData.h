#pragma once

#include <QString>
#include <map>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "service/GbkText.h"

// Writes reply datasets and media tables into an override folder of the demo service.
namespace MediaTestData {

using Row = std::map<std::string, std::string>;

// The book and unit the tests' data is written for.
inline const char* const kBook = "bz";
inline const char* const kUnit = "bz-u1";
inline const GbkString kGbkBook(kBook);
inline const GbkString kGbkUnit(kUnit);

inline void writeFile(const QString& folder, const QString& relative, const std::string& text) {
    ::writeFile(folder + "/" + relative, QByteArray::fromStdString(text));
}

inline std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '"')
            out += "&quot;";
        else if (c == '<')
            out += "&lt;";
        else
            out += c;
    }
    return out;
}

// datasets/OPERATION[/KEY].xml with one row element per row.
inline void writeDataset(const QString& folder, const QString& operationAndKey,
                         const std::vector<Row>& rows) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<NewDataSet>\n";
    for (const Row& row : rows) {
        xml += "  <Table";
        for (const auto& [key, value] : row) xml += " " + key + "=\"" + escaped(value) + "\"";
        xml += " />\n";
    }
    xml += "</NewDataSet>\n";
    writeFile(folder, "datasets/" + operationAndKey + ".xml", xml);
}

}  // namespace MediaTestData
