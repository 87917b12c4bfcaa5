#include "lorquin/url_text.h"

#include <array>

namespace marlovex::lorquin {
namespace {

constexpr std::string_view masked = "***";

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

void replaceAll(std::string& text, std::string_view placeholder, std::string_view replacement) {
    for (auto at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + replacement.size())) {
        text.replace(at, placeholder.size(), replacement);
    }
}

bool isSecretName(std::string_view name) {
    std::string plain;
    for (const char c : percentDecode(name)) {
        if (c != '-' && c != '_') {
            plain += static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
        }
    }
    if (plain == "sig" || plain == "auth" || plain == "appid" || plain == "pass" || plain == "pwd") {
        return true;
    }
    static constexpr std::array<std::string_view, 6> endings{"key",      "token",  "secret",
                                                             "password", "passwd", "signature"};
    for (const auto ending : endings) {
        if (plain.ends_with(ending)) {
            return true;
        }
    }
    return false;
}

// The query "a=1&apikey=xyz" with secret values masked; parameters keep their order.
std::string maskedQuery(std::string_view query) {
    std::string result;
    std::size_t start = 0;
    while (true) {
        const auto end = query.find_first_of("&;", start);
        const auto parameter =
            query.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        const auto equals = parameter.find('=');
        if (equals != std::string_view::npos && isSecretName(parameter.substr(0, equals))) {
            result += parameter.substr(0, equals + 1);
            result += masked;
        } else {
            result += parameter;
        }
        if (end == std::string_view::npos) {
            return result;
        }
        result += query[end];
        start = end + 1;
    }
}

} // namespace

std::string percentEncode(std::string_view text) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string result;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (isUnreserved(byte)) {
            result += c;
        } else {
            result += '%';
            result += digits[byte >> 4];
            result += digits[byte & 0x0F];
        }
    }
    return result;
}

std::string percentDecode(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            result += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string expandSourceUrl(std::string_view pattern, std::string_view symbol, std::int64_t instrument) {
    std::string url(pattern);
    // The instrument number goes in first, so a symbol that itself reads "{Firma}" stays encoded
    // text rather than becoming a second placeholder.
    replaceAll(url, "{Firma}", std::to_string(instrument));
    replaceAll(url, "{Symbol}", percentEncode(symbol));
    return url;
}

std::string maskedUrl(std::string_view url) {
    std::string result;
    const auto schemeEnd = url.find("://");
    const std::size_t authorityStart = schemeEnd == std::string_view::npos ? 0 : schemeEnd + 3;
    const auto authorityEnd = url.find_first_of("/?#", authorityStart);
    const auto authority =
        url.substr(authorityStart, authorityEnd == std::string_view::npos ? std::string_view::npos
                                                                          : authorityEnd - authorityStart);
    result += url.substr(0, authorityStart);
    // Whatever stands before "@" is a credential: a user name alone is often a token.
    const auto at = authority.rfind('@');
    if (at != std::string_view::npos) {
        result += masked;
        result += authority.substr(at);
    } else {
        result += authority;
    }
    if (authorityEnd == std::string_view::npos) {
        return result;
    }
    const auto rest = url.substr(authorityEnd);
    const auto question = rest.find('?');
    if (question == std::string_view::npos) {
        return result + std::string(rest);
    }
    const auto fragment = rest.find('#', question);
    result += rest.substr(0, question + 1);
    result += maskedQuery(rest.substr(
        question + 1, fragment == std::string_view::npos ? std::string_view::npos : fragment - question - 1));
    if (fragment != std::string_view::npos) {
        result += rest.substr(fragment);
    }
    return result;
}

} // namespace marlovex::lorquin
