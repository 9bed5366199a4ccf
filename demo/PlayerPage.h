#pragma once

#include <string>
#include <vector>

// The media player page: plays the referenced sample sound, draws an animation for video
// materials, and defines the four functions the client calls (showSubtitles, hideSubtitles,
// fullScreen, pause), each with a visible effect. Every call of those four is recorded by a
// GET of "/mediaplayerhtml/calls?fn=NAME", which the request log shows. Every value from the
// query is written into the page as an escaped script string, never as markup.
class PlayerPage {
public:
    struct Material {
        std::string title;
        std::vector<std::string> subtitles;
    };
    static std::string html(const std::string& type, const std::string& media, const std::string& width,
                            const std::string& url, const Material& material);
    // A script string literal (double quotes) safe inside a <script> element.
    static std::string jsString(const std::string& text);
};
