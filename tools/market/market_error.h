// The error of the simulated market: instrument data that cannot be priced (a warrant without
// strike, a price that is not positive). The message names the instrument or value.
//
// Plain value type; thread-safe.
#pragma once

#include "platform/common/error.h"

namespace marlovex::market {

class MarketError : public Error {
public:
    using Error::Error;
};

} // namespace marlovex::market
