#include "HttpGetText.h"

#include "AppError.h"
#include "HttpClient.h"
#include "ShowMessage.h"

GbkString HttpGetText(const std::string& url) {
    try {
        return GbkString(HttpClient(HttpClient::defaultTls()).getBody(url));
    } catch (const AppError& e) {
        ShowMessage(QStringLiteral("异常类名称:") + QString::fromUtf8(e.typeName()) +
                    QStringLiteral("\r\n异常信息:") + QString::fromUtf8(e.what()));
    }
    return {};
}
