#pragma once

#include <QImage>
#include <functional>
#include <string>

#include "service/GbkText.h"

// Where a picture comes from: `fetch` makes the remote file available at the local path (true
// when it is there), `refetch` deletes a copy that did not decode and fetches it again when it
// may (at most once per file and run). Either may process pending events.
struct PictureSource {
    using Fetch = std::function<bool(const GbkString& address, const std::string& localPath)>;
    Fetch fetch;
    Fetch refetch;  // may be empty: a damaged copy is then kept
};

struct FetchedPicture {
    bool available = false;  // the file could be fetched
    QImage picture;          // null when it did not decode
};

// Fetches a picture through `source` and decodes it with `decode`. A cached copy that does not
// decode (a file cut short by a power cut, say) is fetched once more and decoded again; one
// refused for its size alone is not, and neither is a name no decoder takes. What the second
// decode raises reaches the caller, as does the first's when there is no second; a failed
// second fetch makes the picture unavailable.
// The address and path are copied: the record they may come from can go while events are
// processed.
FetchedPicture FetchPicture(const PictureSource& source, GbkString address, std::string localPath,
                            const std::function<QImage(const std::string& localPath)>& decode);
