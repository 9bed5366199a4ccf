#include "SampleStore.h"

#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

SampleStore::SampleStore(std::vector<fs::path> dataDirs, fs::path stateDir)
    : dataDirs_(std::move(dataDirs)), stateDir_(std::move(stateDir)) {
    loadPageSizes();
}

bool SampleStore::isSafeName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (c == '/' || c == '\\' || c == '\0') return false;
    return true;
}

std::optional<fs::path> SampleStore::findFile(const std::string& relative) const {
    for (auto dir = dataDirs_.rbegin(); dir != dataDirs_.rend(); ++dir) {
        fs::path candidate = *dir / relative;
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) return candidate;
    }
    return std::nullopt;
}

std::optional<std::string> SampleStore::readFile(const std::string& relative) const {
    auto path = findFile(relative);
    if (!path) return std::nullopt;
    std::ifstream in(*path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::optional<SampleDataset> SampleStore::dataset(const std::string& operation,
                                                  const std::string& key) const {
    if (!isSafeName(operation)) return std::nullopt;
    if (!key.empty() && isSafeName(key)) {
        if (auto path = findFile("datasets/" + operation + "/" + key + ".xml"))
            return SampleDataset::load(path->string());
    }
    if (auto path = findFile("datasets/" + operation + ".xml")) return SampleDataset::load(path->string());
    return std::nullopt;
}

std::vector<std::string> SampleStore::faults(const std::string& name) const {
    std::vector<std::string> lines;
    if (!isSafeName(name)) return lines;
    auto text = readFile("faults/" + name);
    if (!text) return lines;
    std::istringstream in(*text);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    }
    return lines;
}

std::vector<fs::path> SampleStore::allDatasetFiles() const {
    std::set<std::string> seen;
    std::vector<fs::path> files;
    for (auto dir = dataDirs_.rbegin(); dir != dataDirs_.rend(); ++dir) {
        std::error_code ec;
        fs::path root = *dir / "datasets";
        if (!fs::is_directory(root, ec)) continue;
        for (auto it = fs::recursive_directory_iterator(root, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (!it->is_regular_file() || it->path().extension() != ".xml") continue;
            std::string relative = fs::relative(it->path(), root).string();
            if (seen.insert(relative).second) files.push_back(it->path());
        }
    }
    return files;
}

void SampleStore::loadPageSizes() {
    std::ifstream in(stateDir_ / "page-sizes.txt");
    std::string bookid, pageid, width, height;
    while (in >> bookid >> pageid >> width >> height) pageSizes_[{bookid, pageid}] = {width, height};
}

void SampleStore::storePageSize(const std::string& bookid, const std::string& pageid,
                                const std::string& width, const std::string& height) {
    std::lock_guard lock(mutex_);
    pageSizes_[{bookid, pageid}] = {width, height};
    // Rewritten whole and renamed, so a crash mid-write cannot leave a torn file.
    fs::path target = stateDir_ / "page-sizes.txt";
    fs::path temporary = stateDir_ / "page-sizes.txt.new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const auto& [key, size] : pageSizes_)
            out << key.first << ' ' << key.second << ' ' << size.first << ' ' << size.second << '\n';
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
}

std::optional<std::pair<std::string, std::string>> SampleStore::pageSize(const std::string& bookid,
                                                                         const std::string& pageid) const {
    std::lock_guard lock(mutex_);
    auto it = pageSizes_.find({bookid, pageid});
    if (it == pageSizes_.end()) return std::nullopt;
    return it->second;
}
