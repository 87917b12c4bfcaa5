// libcurl, loaded when a run first needs it. Linked into the program, libcurl and the two dozen
// libraries it brings would be loaded and relocated at every start, which costs more than a
// whole import from the simulated market; a run with an http(s) source starts the loading early,
// so it overlaps reading the quote table.
//
// Thread-safe.
#pragma once

#include <curl/curl.h>

namespace marlovex::lorquin {

// The libcurl functions Lorquin calls, resolved from the loaded library.
struct HttpLibrary {
    decltype(&curl_easy_init) easyInit = nullptr;
    decltype(&curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&curl_easy_setopt) easySetopt = nullptr;
    decltype(&curl_easy_perform) easyPerform = nullptr;
    decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
    decltype(&curl_easy_strerror) easyStrerror = nullptr;
};

// Starts loading and setting up libcurl in the background; later calls do nothing.
void startLoadingHttpLibrary();

// The library, set up for transfers; waits for a load under way, or loads it now. Throws
// ImportError with a German reason when libcurl cannot be loaded or set up.
const HttpLibrary& httpLibrary();

} // namespace marlovex::lorquin
