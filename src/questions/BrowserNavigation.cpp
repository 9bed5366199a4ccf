#include "BrowserNavigation.h"

#include "web/WebBrowser.h"

void NavigateBrowser(const BrowserNavigation& navigation, WebBrowser& browser, const QString& url) {
    if (navigation)
        navigation(browser, url);
    else
        browser.Navigate(url);
}
