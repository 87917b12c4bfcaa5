#include "lorquin/simulation.h"

#include "lorquin/import_error.h"
#include "market/delta_encoding.h"

#include <string>

namespace marlovex::lorquin {
namespace {

constexpr double secondsPerDay = 86400.0;

std::string describe(const market::Instrument& instrument) {
    return "Das Instrument " + std::to_string(instrument.number) + " (" + instrument.name + ")";
}

} // namespace

market::Quote simulateInstrumentQuote(const market::Instrument& instrument,
                                      const std::optional<market::Quote>& last, DateTime now,
                                      market::PriceWalk& walk) {
    market::Quote quote;
    quote.instrument = instrument.number;
    quote.time = now;
    if (!last) {
        if (!instrument.referencePrice) {
            throw ImportError(
                describe(instrument) +
                " hat keinen Kurs in Intraday.db und keinen Referenzkurs (Referenz) in Firma.db.");
        }
        quote.price = *instrument.referencePrice;
        return quote;
    }
    const double seconds = (now - last->time) * secondsPerDay;
    quote.price = walk.next(last->price, seconds);
    if (last->volume) {
        const bool sameDay = formats::datePart(last->time) == formats::datePart(now);
        quote.volume = (sameDay ? *last->volume : 0) + walk.tradedShares(quote.price, seconds);
    }
    return quote;
}

market::Quote simulateWarrantQuote(const market::Instrument& warrant, double spot, DateTime now) {
    const auto priced = market::priceWarrant(*warrant.warrant, spot, now);
    market::Quote quote;
    quote.instrument = warrant.number;
    quote.time = now;
    quote.price = priced.bid;
    if (const auto code = market::encodeDelta(priced.delta); code != 0) {
        quote.volume = code;
    }
    return quote;
}

double underlyingSpot(const market::Instrument& warrant, QuoteStore& store,
                      const std::filesystem::path& dataDirectory) {
    const std::int64_t underlying = warrant.warrant->underlying;
    if (const auto last = store.lastQuote(underlying)) {
        return last->price;
    }
    const auto instrument = market::findInstrument(dataDirectory, underlying);
    if (instrument && instrument->referencePrice) {
        return *instrument->referencePrice;
    }
    throw ImportError("Der Basiswert " + std::to_string(underlying) + " des Optionsscheins " +
                      std::to_string(warrant.number) + " (" + warrant.name + ") " +
                      (instrument ? "hat keinen Kurs und keinen Referenzkurs." : "steht nicht in Firma.db."));
}

market::Quote simulateQuote(const market::Instrument& instrument, QuoteStore& store,
                            const std::filesystem::path& dataDirectory, DateTime now,
                            market::PriceWalk& walk) {
    if (instrument.warrant) {
        return simulateWarrantQuote(instrument, underlyingSpot(instrument, store, dataDirectory), now);
    }
    return simulateInstrumentQuote(instrument, store.lastQuote(instrument.number), now, walk);
}

} // namespace marlovex::lorquin
