// Fetches a quote source's answer: http:// and https:// through libcurl (TLS verified, at most
// five redirects to http or https, the proxies of http_proxy/https_proxy/no_proxy, the whole
// request within the timeout), file:// from the local file system (an absolute path, host empty
// or "localhost", percent-escapes decoded). Either way an answer larger than 4 MB is refused
// as soon as it passes that size, so a runaway source cannot fill the memory.
//
// Thread-safe: every call has its own transfer; libcurl is loaded and set up once.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace marlovex::lorquin {

inline constexpr std::size_t maximumAnswerSize = 4 * 1024 * 1024;

// The User-Agent sent with every request: the program and its version.
std::string userAgent();

// Starts, in the background, what fetching from `url` will need (loading the HTTP library), so
// that it overlaps the caller's other work.
void prepareFetch(const std::string& url);

// The answer's body. Throws ImportError with a German reason (no URL in it: the caller names
// the source) for a failed connection, a timeout, an HTTP status of 400 or more, a redirect
// too many, an answer over maximumAnswerSize, or a file that cannot be read.
std::string fetchAnswer(const std::string& url, std::chrono::seconds timeout);

} // namespace marlovex::lorquin
