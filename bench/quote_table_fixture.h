// Builds quote tables of the Intraday format for benchmarks in one go, without a durable commit
// per record, so that tables of 100,000 quotes are ready in a moment.
#pragma once

#include "platform/paradox/table.h"
#include "platform/paradox/table_image.h"
#include "platform/paradox/table_storage.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace marlovex::bench {

struct BenchQuote {
    std::int64_t firma = 0;
    double time = 0;
    double price = 0;
    std::optional<std::int64_t> volume;
};

// Writes Intraday.db (Firma, ZEIT, Kurs, Volumen, keyed on the first two) at `path`.
inline void writeQuoteTable(const std::filesystem::path& path, const std::vector<BenchQuote>& quotes) {
    namespace px = paradox;
    px::TableSchema schema;
    schema.fields = {
        px::FieldDef::of("Firma", px::FieldType::Long), px::FieldDef::of("ZEIT", px::FieldType::Timestamp),
        px::FieldDef::of("Kurs", px::FieldType::Money), px::FieldDef::of("Volumen", px::FieldType::Long)};
    schema.keyFieldCount = 2;
    px::TableImage image(px::TableImage::emptyTable(schema, "Intraday"), path.filename().string());
    std::vector<std::uint8_t> record(static_cast<std::size_t>(image.recordSize()));
    const auto put = [&](std::size_t field, const px::Value& value) {
        px::encodeField(
            schema.fields[field], value,
            std::span<std::uint8_t>(record).subspan(static_cast<std::size_t>(image.fieldOffsets()[field]),
                                                    static_cast<std::size_t>(schema.fields[field].size)));
    };
    for (const BenchQuote& quote : quotes) {
        put(0, quote.firma);
        put(1, px::dateTimeToTimestamp(quote.time));
        put(2, quote.price);
        put(3, quote.volume ? px::Value(*quote.volume) : px::Value(px::Null{}));
        image.insert(record);
    }
    px::TableStorage::createFiles(path, image.bytes(), image.buildPrimaryIndex());
}

constexpr std::int64_t benchUnderlying = 846900;
constexpr std::int64_t benchWarrant = 17;

// A data directory for a tracker: Firma.db with "DAX" and "DAX Call", and `quotes` quotes of each
// over `day`, the underlying's half a step after the warrant's.
inline void writeTrackerDay(const std::filesystem::path& directory, int quotes, double day) {
    namespace px = paradox;
    std::filesystem::create_directories(directory);
    px::Table::createTable(directory / "Firma.db",
                           {px::FieldDef::of("Firma", px::FieldType::Long),
                            px::FieldDef::of("FirmenName", px::FieldType::Alpha, 40)},
                           {{"", "Firma", true}});
    px::Table instruments;
    instruments.setTableName((directory / "Firma.db").string());
    instruments.open();
    for (const auto& [number, name] :
         {std::pair{benchUnderlying, "DAX"}, std::pair{benchWarrant, "DAX Call"}}) {
        instruments.append();
        instruments.field("Firma").setInteger(number);
        instruments.field("FirmenName").setString(name);
        instruments.post();
    }
    std::vector<BenchQuote> rows;
    const double step = 0.35 / quotes;
    for (int i = 0; i < quotes; ++i) {
        const double time = day + 0.375 + i * step;
        rows.push_back({benchWarrant, time, 1.0 + (i % 200) * 0.005, std::int64_t{450000 + i % 1000}});
        rows.push_back({benchUnderlying, time + step / 2, 20000.0 + (i % 400), std::nullopt});
    }
    writeQuoteTable(directory / "Intraday.db", rows);
}

} // namespace marlovex::bench
