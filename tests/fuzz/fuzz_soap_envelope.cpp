// The reply envelope of a SOAP call: a text result, a byte-array (base64) result, or a fault.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "service/AppError.h"
#include "service/GbkText.h"
#include "service/SoapEnvelope.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::silenceMessages();
    const std::string body(reinterpret_cast<const char*>(data), size);
    try {
        // What callText hands on: the result converted to the program's GBK text.
        const GbkString text = gbk::fromUtf8(soap::readResult(body, "LmvInclass_GetBookList"));
        (void)text;
    } catch (const AppError&) {
    }
    try {
        (void)soap::readBytesResult(body, "LmvInclass_GetSceneTextJsonList");
    } catch (const AppError&) {
    }
    return 0;
}
