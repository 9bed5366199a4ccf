#include "FailureText.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "AppError.h"
#include "ShowMessage.h"

namespace {

QString typeNameOf(const std::exception& error) {
    if (const auto* own = dynamic_cast<const AppError*>(&error)) return QString::fromUtf8(own->typeName());
    const char* mangled = typeid(error).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                     std::free);
    return QString::fromUtf8(status == 0 && demangled ? demangled.get() : mangled);
}

}  // namespace

QString FailureText(const std::exception& error) {
    return QStringLiteral("异常类名称:") + typeNameOf(error) + QStringLiteral("\r\n异常信息:") +
           QString::fromUtf8(error.what());
}

void ShowFailure(const std::exception& error) {
    ShowMessage(FailureText(error));
}
