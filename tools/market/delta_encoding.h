// The delta of a warrant quote as the quote table carries it in the quote's Volumen. The tracker
// reads V = 0 as "no delta", V > 1000 as V / 1,000,000 and any other V as -V / 1000, so positive
// deltas keep six decimals and negative ones three.
//
// Pure function; thread-safe.
#pragma once

#include <cstdint>

namespace marlovex::market {

// The Volumen that the tracker decodes back to `delta`:
// - delta >= 0.001: round(delta x 1,000,000), at least 1001 (1000 itself would read as -1);
// - 0 < delta < 0.001: 1001, the smallest positive delta the encoding carries (0.001001), so a
//   far out-of-the-money call still shows a delta;
// - delta < 0: round(-delta x 1000), at least 1 (-0.001), so a put never loses its delta;
// - delta = 0 (an expired warrant out of the money), NaN: 0, no delta.
// Deltas beyond +-1 are clamped to +-1.
std::int32_t encodeDelta(double delta);

} // namespace marlovex::market
