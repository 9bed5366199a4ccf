#include "PageScript.h"

#include <exception>

#include "WebBrowser.h"

void RunPageScript(WebBrowser& browser, const QString& code) {
    browser.RunScript(code);
}

void PauseWebPlayer(WebBrowser& browser) {
    // A player whose renderer ended plays nothing and would not answer.
    if (browser.View() == nullptr || browser.IsStopped()) return;
    try {
        browser.RunScript(QStringLiteral("pause()"));
    } catch (const std::exception&) {
        // A page without a player, or one still loading, has nothing to pause.
    }
}
