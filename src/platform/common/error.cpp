#include "platform/common/error.h"

namespace marlovex {

Error::Error(const std::string& message)
    : std::runtime_error(message) {}

} // namespace marlovex
