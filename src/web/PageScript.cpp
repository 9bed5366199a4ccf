#include "PageScript.h"

#include <exception>

#include "WebBrowser.h"

void RunPageScript(WebBrowser& browser, const QString& code) {
    browser.RunScript(code);
}

void PauseWebPlayer(WebBrowser& browser) {
    if (browser.View() == nullptr) return;
    try {
        browser.RunScript(QStringLiteral("pause()"));
    } catch (const std::exception&) {
        // A page without a player, or one still loading, has nothing to pause.
    }
}
