#include "HttpGetText.h"

#include "AppError.h"
#include "FailureText.h"
#include "HttpClient.h"

GbkString HttpGetText(const std::string& url) {
    try {
        return GbkString(HttpClient(HttpClient::defaultTls()).getBody(url));
    } catch (const AppError& e) {
        ShowFailure(e);
    }
    return {};
}
