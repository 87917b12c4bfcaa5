// The chart window's export: the quotes it shows, as a CSV text file that spreadsheets of the
// user's locale open directly ("Zeit;Kurs", date and time, price with the locale's decimal
// separator). The file is replaced as a whole, so a reader never sees half of it, and only when
// it is a quote file that an export wrote.
//
// Thread-safe: writes only the given file.
#pragma once

#include "companion/intraday_form.h"
#include "platform/formats/number_format.h"

#include <filesystem>
#include <string>
#include <vector>

namespace marlovex::companion {

std::string quotesAsCsv(const std::vector<ChartQuote>& quotes, const formats::NumberLocale& locale);

// Throws marlovex::Error naming the file when it cannot be written, or when it exists and is no
// quote file of an export.
void exportQuotes(const std::filesystem::path& file, const std::vector<ChartQuote>& quotes,
                  const formats::NumberLocale& locale);

} // namespace marlovex::companion
