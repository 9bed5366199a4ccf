#pragma once

#include <curl/curl.h>

// libcurl, loaded when the first request is made rather than with the program. With the
// libraries it brings along (two TLS stacks, Kerberos, LDAP, SSH, IDN) it takes longer to load
// than the login dialog takes to appear, and nothing needs it before the teacher signs in.
//
// Loaded once, from any thread, and kept for the life of the process; curl_global_init has run
// when get() first returns. The entries are libcurl's functions of the same names.
struct CurlLibrary {
    decltype(&curl_easy_init) easyInit;
    decltype(&curl_easy_setopt) easySetopt;
    decltype(&curl_easy_perform) easyPerform;
    decltype(&curl_easy_getinfo) easyGetinfo;
    decltype(&curl_easy_strerror) easyStrerror;
    decltype(&curl_easy_cleanup) easyCleanup;
    decltype(&curl_slist_append) slistAppend;
    decltype(&curl_slist_free_all) slistFreeAll;
    decltype(&curl_share_init) shareInit;
    decltype(&curl_share_setopt) shareSetopt;

    // The name the dynamic loader finds libcurl by (the library the program was built against).
    static const char* fileName() { return "libcurl.so.4"; }
    // Raises HttpError, naming the library and the loader's reason, when it cannot be loaded;
    // every later call raises the same.
    static const CurlLibrary& get();
};
