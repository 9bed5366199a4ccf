#include "HttpGetText.h"

#include "AppError.h"
#include "FailureText.h"
#include "HttpClient.h"

GbkString HttpGetText(const HttpClient& client, const std::string& url) {
    try {
        return GbkString(client.getBody(url));
    } catch (const AppError& e) {
        ShowFailure(e);
    }
    return {};
}
