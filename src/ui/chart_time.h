// The time axis of the charts counts seconds since 1970 (UTC), as QCustomPlot's date-time
// ticker expects; quote times are date-time values counting days since 1899-12-30.
//
// Pure function; thread-safe.
#pragma once

namespace marlovex::ui {

inline double chartTime(double dateTime) {
    constexpr double unixEpochAsDateTime = 25569.0;
    constexpr double secondsPerDay = 86400.0;
    return (dateTime - unixEpochAsDateTime) * secondsPerDay;
}

} // namespace marlovex::ui
