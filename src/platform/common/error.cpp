#include "platform/common/error.h"

namespace marlovex {

Error::Error(const std::string& message)
    : std::runtime_error(message) {}

std::string withName(std::string_view pattern, std::string_view name) {
    std::string text(pattern);
    if (const auto placeholder = text.find("{}"); placeholder != std::string::npos) {
        text.replace(placeholder, 2, name);
    }
    return text;
}

std::string quotedValue(std::string_view text) {
    constexpr std::size_t readableLength = 80;
    if (text.size() <= readableLength) {
        return "'" + std::string(text) + "'";
    }
    std::size_t cut = readableLength;
    // Back to the first byte of a character: continuation bytes are 10xxxxxx.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return "'" + std::string(text.substr(0, cut)) + "…'";
}

} // namespace marlovex
