// Which side of its alarm levels a price label shows, followed from tick to tick, so that a
// crossing is announced once when it happens and not again while the price stays beyond the level.
//
// Not thread-safe: one watch belongs to one window.
#pragma once

#include <optional>

namespace marlovex::tracker {

enum class LevelSide { Inside, BelowFalling, AboveRising };

struct LevelCrossing {
    LevelSide side = LevelSide::Inside;
    double price = 0;
    double level = 0;
};

class LevelWatch {
public:
    // Records where the latest colouring of the tick put the price; a later mark in the same
    // tick replaces an earlier one, as the later colour replaces the earlier.
    void mark(LevelSide side, double price, double level);

    // Ends a tick: the crossing to announce when the price now lies beyond a level and did not
    // lie beyond that same level at the end of the previous tick. A tick without marks keeps
    // the previous side, as the label keeps its colour.
    std::optional<LevelCrossing> endTick();

private:
    LevelCrossing m_current;
    LevelSide m_announced = LevelSide::Inside;
};

} // namespace marlovex::tracker
