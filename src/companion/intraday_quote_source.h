// The quotes a chart window draws: today's stored quotes of one instrument, found by its name
// in Firma.db and read from Intraday.db of the data directory. The views stay open between
// loads and only re-read what other programs committed meanwhile.
//
// Not thread-safe: one source per window, used on the user-interface thread.
#pragma once

#include "companion/intraday_form.h"
#include "platform/paradox/table.h"

#include <QString>
#include <filesystem>
#include <vector>

namespace marlovex::companion {

class IntradayQuoteSource {
public:
    explicit IntradayQuoteSource(std::filesystem::path dataDirectory);

    // The instrument's quotes in time order; none for an unknown name. A missing or damaged
    // table raises the engine's error.
    std::vector<ChartQuote> quotesOf(const QString& instrument);

private:
    void open(paradox::Table& table);

    std::filesystem::path m_dataDirectory;
    paradox::Table m_instruments;
    paradox::Table m_quotes;
};

} // namespace marlovex::companion
