// The launch query of the direct sign-in.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/LaunchQuery.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const GbkString query(std::string_view(reinterpret_cast<const char*>(data), size));
    const LaunchQuery parsed = ParseLaunchQuery(query);
    // Every value is a piece of the query: nothing is made up or carried over from another key.
    for (const GbkString* value : {&parsed.user, &parsed.password, &parsed.webservice}) {
        if (value->size() > query.size() || (!value->empty() && query.find(*value) == GbkString::npos))
            std::abort();
    }
    (void)QueryValue(query, "");
    return 0;
}
