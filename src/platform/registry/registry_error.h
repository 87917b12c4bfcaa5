// The registry store's one error type. Messages are German, as the desktop shows them, and name
// the value, key or file concerned.
//
// Plain value type; thread-safe.
#pragma once

#include "platform/common/error.h"

namespace marlovex::registry {

class RegistryError : public Error {
public:
    using Error::Error;
};

} // namespace marlovex::registry
