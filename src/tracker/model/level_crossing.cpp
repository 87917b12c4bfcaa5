#include "tracker/model/level_crossing.h"

namespace marlovex::tracker {

void LevelWatch::mark(LevelSide side, double price, double level) {
    m_current = {side, price, level};
}

std::optional<LevelCrossing> LevelWatch::endTick() {
    const LevelSide previous = m_announced;
    m_announced = m_current.side;
    if (m_current.side == LevelSide::Inside || m_current.side == previous) {
        return std::nullopt;
    }
    return m_current;
}

} // namespace marlovex::tracker
