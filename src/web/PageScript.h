#pragma once

#include <QString>

class WebBrowser;

// Running the player page's script functions from the sheets.

// Runs `code`, a call such as "showSubtitles()", in the browser's page. Raises ScriptError when
// the page has no such function or the script fails; callers let it reach the default handler.
void RunPageScript(WebBrowser& browser, const QString& code);

// Asks the page to pause with "pause()". Every failure is ignored, and a browser that never
// loaded anything is left alone (no view, no browser process is started for it), and so is one
// whose renderer ended.
void PauseWebPlayer(WebBrowser& browser);
