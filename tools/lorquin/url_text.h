// The URL of a quote source as Lorquin fills it in and shows it: the symbol percent-encoded into
// the configured URL, and secrets masked before the URL appears in a message.
//
// Masking: the password of "user:password@" and the value of every query parameter whose name,
// in any letter case and with '-' and '_' left out, is "sig" or "auth" or ends in "key", "token",
// "secret", "password", "passwd" or "signature" (key, apikey, api_key, access_token, client-secret,
// ...) is shown as "***".
//
// Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace marlovex::lorquin {

// Percent-encodes every byte of `text` but the unreserved characters A-Z a-z 0-9 - . _ ~, so a
// UTF-8 umlaut becomes its two bytes ("Ä" -> "%C3%84") and a blank "%20".
std::string percentEncode(std::string_view text);

// Decodes "%XX" sequences; a '%' without two hex digits stays as it is.
std::string percentDecode(std::string_view text);

// `pattern` with each "{Symbol}" replaced by the percent-encoded `symbol` and each "{Firma}" by
// the instrument number.
std::string expandSourceUrl(std::string_view pattern, std::string_view symbol, std::int64_t instrument);

// `url` with its secrets masked as described above.
std::string maskedUrl(std::string_view url);

} // namespace marlovex::lorquin
