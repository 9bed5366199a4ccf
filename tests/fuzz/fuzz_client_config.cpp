// The client configuration file: any bytes as lumoclass.conf.
#include <QString>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "service/AppError.h"
#include "service/ClientConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzz::workFolder() + "lumoclass.conf";
    fuzz::writeFile(path, data, size);
    try {
        const ClientConfig config = ClientConfig::loadFile(QString::fromStdString(path));
        (void)config.classroomEndpoint();
    } catch (const ConfigError&) {
    }
    return 0;
}
