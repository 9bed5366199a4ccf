#pragma once

#include <string>

// The private cache folder of this user: $XDG_CACHE_HOME/lumoclass/ (default
// ~/.cache/lumoclass/), created with mode 0700 and always ending in "/". Cached pictures and
// the transit file live directly inside it; the exit clean-up touches nothing else.
namespace CacheFolder {

// Creates the folder when missing. Returns an empty text when it cannot be made or belongs to
// another user (or is a link or not a folder): then nothing can be cached, but no other
// user's files are ever written or deleted.
std::string temporaryPath();

}  // namespace CacheFolder
