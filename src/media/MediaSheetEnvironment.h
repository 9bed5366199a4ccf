#pragma once

#include <QString>
#include <functional>
#include <string>

#include "catalogue/PictureFetch.h"
#include "service/GbkText.h"
#include "service/HttpClient.h"

class QWidget;

// What a media sheet needs from the window that owns it, handed over at construction. The
// functions are called at the moment of use, so values the window learns after building its
// sheets (the cache folder, the system version) are current.
struct MediaSheetEnvironment {
    // Makes the picture at `address` available in the cache folder (downloading it on first
    // use) and decodes it with LoadImageFile, fetching a damaged cached copy once more. Raises
    // what the decoder raises. May process events.
    std::function<FetchedPicture(const GbkString& address)> fetchPicture;
    // The system's major version number; 5 chooses the test player page.
    std::function<int()> osMajorVersion;
    // The classroom API server, HOST[:PORT]: media API and player pages.
    QString classroomHost;
    // The media API's client (the configuration's TLS rule and time-outs); the players'
    // browsers take its TLS rule.
    HttpClient http;
    // Makes `page` the active page of the window's page control.
    std::function<void(QWidget* page)> showPage;
    // True while the lesson goes on offline: the players, which need the network, say so
    // instead of playing. Empty means always online.
    std::function<bool()> offline = {};
};
