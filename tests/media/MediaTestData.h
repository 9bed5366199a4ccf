#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <map>
#include <string>
#include <vector>

// Writes reply datasets and media tables into an override folder of the demo service.
namespace MediaTestData {

using Row = std::map<std::string, std::string>;

inline void writeFile(const QString& folder, const QString& relative, const std::string& text) {
    const QString path = folder + "/" + relative;
    QDir().mkpath(path.section('/', 0, -2));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
    file.write(text.data(), static_cast<qint64>(text.size()));
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
