// Where a child window stands in the frame, as a saved arrangement holds it. A value a store
// left out keeps the window's own.
#pragma once

#include <optional>

namespace marlovex::ui {

struct WindowPlacement {
    std::optional<int> width;
    std::optional<int> height;
    std::optional<int> left;
    std::optional<int> top;

    bool operator==(const WindowPlacement&) const = default;
};

} // namespace marlovex::ui
