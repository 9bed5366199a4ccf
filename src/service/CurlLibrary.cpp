#include "CurlLibrary.h"

#include <dlfcn.h>

#include <string>

#include "AppError.h"

namespace {

struct Loaded {
    CurlLibrary library{};
    std::string failure;  // empty once every entry was found
};

template <class Function>
void find(void* module, const char* name, Function& entry, std::string& failure) {
    entry = reinterpret_cast<Function>(::dlsym(module, name));
    if (entry == nullptr && failure.empty()) failure = std::string("it has no ") + name;
}

Loaded load() {
    Loaded loaded;
    void* module = ::dlopen(CurlLibrary::fileName(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* reason = ::dlerror();
        loaded.failure = reason != nullptr ? reason : "the loader gave no reason";
        return loaded;
    }
    CurlLibrary& c = loaded.library;
    std::string& failure = loaded.failure;
    find(module, "curl_easy_init", c.easyInit, failure);
    find(module, "curl_easy_setopt", c.easySetopt, failure);
    find(module, "curl_easy_perform", c.easyPerform, failure);
    find(module, "curl_easy_getinfo", c.easyGetinfo, failure);
    find(module, "curl_easy_strerror", c.easyStrerror, failure);
    find(module, "curl_easy_cleanup", c.easyCleanup, failure);
    find(module, "curl_slist_append", c.slistAppend, failure);
    find(module, "curl_slist_free_all", c.slistFreeAll, failure);
    find(module, "curl_share_init", c.shareInit, failure);
    find(module, "curl_share_setopt", c.shareSetopt, failure);
    decltype(&curl_global_init) globalInit = nullptr;
    find(module, "curl_global_init", globalInit, failure);
    // The one call libcurl asks to make before any other, and before other threads use it: the
    // static below runs it once, while every other caller waits.
    if (failure.empty() && globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) failure = "curl_global_init failed";
    return loaded;
}

}  // namespace

const CurlLibrary& CurlLibrary::get() {
    static const Loaded loaded = load();
    if (!loaded.failure.empty())
        throw HttpError(std::string("cannot load the HTTP library ") + fileName() + ": " + loaded.failure);
    return loaded.library;
}
