#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "SampleDataset.h"

// The service's view of its data folders. Several folders may be layered: a file in a later
// folder hides the same file in an earlier one, so a test names the default sample data first
// and a small folder of its own overrides after it. Files are read on every request (they are
// small), so a test may also change them while the service runs. The page sizes reported by
// clients are the only state the service writes; they live in the state folder.
// Thread-safe.
class SampleStore {
public:
    SampleStore(std::vector<std::filesystem::path> dataDirs, std::filesystem::path stateDir);

    // The layered file at a relative path, or nothing.
    std::optional<std::filesystem::path> findFile(const std::string& relative) const;
    std::optional<std::string> readFile(const std::string& relative) const;

    // datasets/OP/KEY.xml when a key is given and such a file exists, else datasets/OP.xml.
    // A key that could leave the folder (separators, "." or "..") is never used as a name.
    std::optional<SampleDataset> dataset(const std::string& operation, const std::string& key = {}) const;
    // The lines of faults/OP (empty when none): invalid-xml, corrupt-gzip, http-500,
    // soap-fault:TEXT, slow:MS.
    std::vector<std::string> faults(const std::string& name) const;

    // Every dataset file of every layer (later layers hide earlier ones), for lookups by value.
    std::vector<std::filesystem::path> allDatasetFiles() const;

    // Page sizes stored by LmvInclass_UpdatePageSize, keyed by book id and page id.
    void storePageSize(const std::string& bookid, const std::string& pageid, const std::string& width,
                       const std::string& height);
    std::optional<std::pair<std::string, std::string>> pageSize(const std::string& bookid,
                                                                const std::string& pageid) const;

    const std::filesystem::path& stateDir() const { return stateDir_; }
    static bool isSafeName(const std::string& name);

private:
    void loadPageSizes();

    std::vector<std::filesystem::path> dataDirs_;
    std::filesystem::path stateDir_;
    mutable std::mutex mutex_;
    std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>> pageSizes_;
};
