// Which quotes the tracker's views show: those after the start of the live update, or those
// inside the user's time window.
#pragma once

#include "platform/formats/date_time.h"

namespace marlovex::tracker {

using formats::DateTime;

struct RecordFilterSettings {
    // The first stored quote times when the live update started; 0 before.
    DateTime OSFilterStart = 0;
    DateTime BasisFilterStart = 0;
    // "Zeitfilter aktiviert": only quotes strictly between the two pickers' date-times pass.
    bool timeFilterOn = false;
    DateTime timeFilterFrom = 0;
    DateTime timeFilterTo = 0;

    bool operator==(const RecordFilterSettings&) const = default;

    // The start time hides the quote it was taken from, and with it everything before.
    bool passes(DateTime quoteTime, DateTime filterStart) const {
        if (timeFilterOn) {
            return timeFilterFrom < quoteTime && quoteTime < timeFilterTo;
        }
        return quoteTime > filterStart;
    }
};

} // namespace marlovex::tracker
