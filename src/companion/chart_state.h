// What the frame saves of a chart window and gives back to it: the instrument, the window's
// place and the chart's settings. A value a store left out keeps what the window has.
#pragma once

#include "ui/window_placement.h"

#include <cstdint>
#include <optional>
#include <string>

namespace marlovex::companion {

struct ChartState {
    std::string instrument;
    ui::WindowPlacement placement;
    // The refresh interval in seconds.
    std::optional<int> interval;
    // The background colour as the classic colour value (0x00BBGGRR).
    std::optional<std::uint32_t> colour;
    std::optional<std::string> exportFile;
    std::optional<bool> exportOn;
    std::optional<bool> dde;
    std::optional<bool> percent;
};

} // namespace marlovex::companion
