// ParseReplyDataset under one declaration rule (LUMO_RULE), walking the rows as the readers do.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "service/AppError.h"
#include "service/TReplyDataset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::silenceMessages();
    const GbkString reply(std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        const TReplyDataset dataset = ParseReplyDataset(reply, DeclarationRule::LUMO_RULE);
        size_t total = 0;
        for (TReplyRow row = dataset.firstRow(); !row.isNull(); row = row.next()) {
            for (const char* name : {"bookid", "bookname", "TextJson", "userid", "a"})
                total += row.value(name).size();
        }
        (void)total;
    } catch (const AppError&) {
    }
    return 0;
}
