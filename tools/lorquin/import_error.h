// The error of a quote import that cannot be done: an unknown instrument, an unreadable quote
// file, a quote table that stays locked. The message names the instrument or file; Lorquin shows
// it on one line and exits with code 1.
//
// Plain value type; thread-safe.
#pragma once

#include "platform/common/error.h"

namespace marlovex::lorquin {

class ImportError : public Error {
public:
    using Error::Error;
};

} // namespace marlovex::lorquin
