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

} // namespace marlovex
