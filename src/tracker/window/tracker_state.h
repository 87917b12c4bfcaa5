// What the frame saves of a tracker window and gives back to it: the pair of instruments, the
// import and display switches, the nine input texts and the window's place. Layout files and
// the workspace store this and nothing else of a tracker. A value a store left out (an older
// file, a missing setting) keeps what the window has.
#pragma once

#include "ui/window_placement.h"

#include <array>
#include <optional>
#include <string>

namespace marlovex::tracker {

struct TrackerState {
    // The names on the instrument buttons (Button1, Button2); "Leer" for none chosen.
    std::string warrant;
    std::string underlying;
    ui::WindowPlacement placement;
    // Switched off with SpeedButton3 / SpeedButton4.
    std::optional<bool> warrantImportOff;
    std::optional<bool> underlyingImportOff;
    // "Put?" (CheckBox1), the time filter (CheckBox3), the warrant's axis drawn upside down
    // (OSAchseinvertiert1) and fees in the calculator (CheckBox4).
    std::optional<bool> put;
    std::optional<bool> timeFilter;
    std::optional<bool> warrantAxisInverted;
    std::optional<bool> fees;
    // Edit1 to Edit9: the estimates, the purchase prices, the alarm levels and the quantity.
    std::array<std::optional<std::string>, 9> edits;

    bool operator==(const TrackerState&) const = default;
};

} // namespace marlovex::tracker
