// The pictures of the tracker window's buttons, drawn in code so they stay crisp at any scale.
// Each icon carries its own disabled picture: the import switches show by their look whether
// they are off.
//
// Not thread-safe: needs the application object; use from the user-interface thread.
#pragma once

#include <QIcon>

namespace marlovex::tracker {

enum class TrackerGlyph {
    Start,            // live update stopped: press to start
    Stop,             // live update running: press to stop
    WarrantImport,    // quote import of the warrant
    UnderlyingImport, // quote import of the underlying
    Warrant,          // instrument button of the warrant
    Underlying,       // instrument button of the underlying
    Messenger,        // hand a price to the price messenger
    Analysis,         // enter a value into the intraday analysis
    Record,           // store the latest quotes in the history tables
};

QIcon trackerIcon(TrackerGlyph glyph);

} // namespace marlovex::tracker
