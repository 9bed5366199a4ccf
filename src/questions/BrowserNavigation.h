#pragma once

#include <QString>
#include <functional>

class WebBrowser;

// How a sheet sends one of its browsers to an address. Empty means WebBrowser::Navigate; a
// test passes a recorder so that checking an address starts no browser engine.
using BrowserNavigation = std::function<void(WebBrowser& browser, const QString& url)>;

void NavigateBrowser(const BrowserNavigation& navigation, WebBrowser& browser, const QString& url);
