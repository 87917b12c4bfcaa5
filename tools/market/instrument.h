// One row of the instrument table Firma.db as the simulated market sees it: number, name, the
// warrant terms when the row is a warrant, and the reference price it starts from without quotes.
//
// Value types and a function that opens its own table view; thread-safe across threads that
// each call it.
#pragma once

#include "market/option_model.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace marlovex::market {

struct Instrument {
    std::int64_t number = 0;
    std::string name;
    // Set for warrants: rows whose field Basis names an underlying.
    std::optional<WarrantTerms> warrant;
    // Field Referenz, when it holds a positive price.
    std::optional<double> referencePrice;
};

// The instrument `number` of Firma.db in `directory`, or nullopt when the table has no such row.
// Tables without the warrant fields hold plain instruments only. Throws paradox::TableError when
// the table cannot be read, MarketError naming the instrument when a warrant's terms are
// incomplete (no call/put type, no positive strike or ratio, no expiry date).
std::optional<Instrument> findInstrument(const std::filesystem::path& directory, std::int64_t number);

} // namespace marlovex::market
