// Lorquin's simulated market. A plain instrument continues from its last stored quote with the
// market's random walk (or starts at its reference price); its volume, when it carries one, adds
// up the shares traded during the day. A warrant is priced from its underlying's latest quote by
// the option model and carries its delta, encoded, in the volume.
//
// Pure functions apart from the walk's random numbers; not thread-safe with a shared walk.
#pragma once

#include "lorquin/quote_store.h"
#include "market/instrument.h"
#include "market/price_walk.h"

#include <filesystem>
#include <optional>

namespace marlovex::lorquin {

// The quote of a plain instrument at `now`. Throws ImportError naming the instrument when it
// has neither a quote nor a reference price.
market::Quote simulateInstrumentQuote(const market::Instrument& instrument,
                                      const std::optional<market::Quote>& last, DateTime now,
                                      market::PriceWalk& walk);

// The quote of a warrant at `now` from the underlying's price `spot`.
market::Quote simulateWarrantQuote(const market::Instrument& warrant, double spot, DateTime now);

// The underlying's latest price: its last stored quote, else its reference price in Firma.db.
// Throws ImportError naming both instruments when there is neither.
double underlyingSpot(const market::Instrument& warrant, QuoteStore& store,
                      const std::filesystem::path& dataDirectory);

// The simulated quote of `instrument` at `now`, reading what it needs from the store.
market::Quote simulateQuote(const market::Instrument& instrument, QuoteStore& store,
                            const std::filesystem::path& dataDirectory, DateTime now,
                            market::PriceWalk& walk);

} // namespace marlovex::lorquin
