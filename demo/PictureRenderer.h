#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "SampleStore.h"

// Draws the content server's pictures from the sample data: a textbook page (scanned look, page
// number, book name, the unit's Chinese and English title) for an address that a page row
// carries, a thumbnail card for any other row that names the address. The file extension
// chooses the format: .jpg, .gif, .png (a name ending in "-a.png" has an alpha channel, one
// ending in "-t.png" a palette with a transparency chunk). Pictures are drawn on first request
// and kept in the state folder. Thread-safe (drawing is serialised).
class PictureRenderer {
public:
    explicit PictureRenderer(const SampleStore& store);

    struct Picture {
        std::string contentType;
        std::string bytes;
    };
    // The picture at a content path such as "/content/pages/b1/p001.jpg", or nothing when no
    // sample row names it.
    std::optional<Picture> picture(const std::string& path);

private:
    struct Subject {
        std::string dataset;  // file stem of the dataset that names the address
        SampleDataset::Row row;
    };
    std::optional<Subject> find(const std::string& path) const;
    std::string draw(const std::string& path, const Subject& subject) const;

    const SampleStore& store_;
    std::mutex mutex_;
};
