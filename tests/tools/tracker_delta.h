// The tracker's reading of the delta in a warrant quote's Volumen, restated here as the reference
// the encoder is tested against (the tracker's own code lives in a window library these tests do
// not link).
//
// Pure function; thread-safe.
#pragma once

#include <cstdint>
#include <optional>

namespace marlovex::testing_support {

inline std::optional<double> trackerDelta(std::int64_t volume) {
    if (volume == 0) {
        return std::nullopt;
    }
    return volume > 1000 ? static_cast<double>(volume) / 1000000.0 : -static_cast<double>(volume) / 1000.0;
}

} // namespace marlovex::testing_support
