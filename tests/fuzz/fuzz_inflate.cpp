// InflateReplyBytes and InflateReplyText on any bytes, with the cap lowered so a bomb costs
// milliseconds instead of 256 MiB per input; the cap's code path is the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "service/AppError.h"
#include "service/ReplyInflater.h"

namespace {
constexpr std::size_t kFuzzLimit = std::size_t(1) << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ByteString gzip(reinterpret_cast<const char*>(data), size);
    try {
        const ByteString bytes = InflateReplyBytes(gzip, kFuzzLimit);
        if (bytes.size() > kFuzzLimit) std::abort();  // the cap must hold
        if (InflateReplyText(gzip, kFuzzLimit).bytes() != bytes) std::abort();
    } catch (const InflateError&) {
    }
    return 0;
}
