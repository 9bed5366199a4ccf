// The remembered credentials file: any bytes as qorox.ini, read, then one key written and read
// back. Writing must keep every other line and must make the new value readable.
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "app/QoroxIni.h"
#include "service/AppError.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string folder = fuzz::workFolder();
    const QoroxIni ini(QString::fromStdString(folder));
    fuzz::writeFile(folder + "qorox.ini", data, size);
    (void)ini.ReadIniValue("qorox", "memberid");
    (void)ini.ReadIniValue("qorox", "passwd");
    const GbkString before = ini.ReadIniValue("other", "key");
    try {
        ini.WriteIniValue("qorox", "passwd", "0123456789abcdef0123456789abcdef");
    } catch (const FileError&) {
        return 0;
    }
    if (ini.ReadIniValue("qorox", "passwd") != "0123456789abcdef0123456789abcdef") std::abort();
    if (ini.ReadIniValue("other", "key") != before) std::abort();
    return 0;
}
