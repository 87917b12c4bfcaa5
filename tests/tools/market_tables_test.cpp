// Tables of the simulated market: the bulk writer and the instrument table with its warrant
// fields.
#include "market/bulk_table_writer.h"
#include "market/instrument.h"
#include "market/market_error.h"
#include "market/market_tables.h"
#include "platform/paradox/errors.h"
#include "support/error_message.h"
#include "support/temp_directory.h"

#include <gtest/gtest.h>

namespace marlovex::market {
namespace {

using paradox::Null;
using paradox::Value;
using testing_support::TempDirectory;

std::vector<Value> quoteRecord(std::int64_t instrument, int second, double price) {
    return {Value(instrument), Value(formats::encodeDate(2026, 12, 4) + formats::encodeTime(9, 0, second)),
            Value(price), Value(Null{})};
}

TEST(QuoteRecords, FillNamedFieldsLeavingTheRestEmptyAndTheWriterRefusesDuplicateKeysAndWrongWidths) {
    const auto record =
        recordOf(quoteTableLayout(), {{"kurs", Value(1.5)}, {"Firma", Value(std::int64_t{7})}});
    EXPECT_EQ(record, (std::vector<Value>{Value(std::int64_t{7}), Value(Null{}), Value(1.5), Value(Null{})}));
    EXPECT_THROW(recordOf(quoteTableLayout(), {{"Preis", Value(1.5)}}), paradox::TableError);

    const TempDirectory directory;
    BulkTableWriter writer(directory.path(), quoteTableLayout());
    writer.add(quoteRecord(10, 1, 1.0));
    EXPECT_THROW(writer.add(quoteRecord(10, 1, 2.0)), paradox::KeyViolationError);
    EXPECT_THROW(writer.add({Value(std::int64_t{1})}), paradox::TableError);
}

class InstrumentTable : public ::testing::Test {
protected:
    void write(const std::vector<std::vector<Value>>& rows) {
        BulkTableWriter writer(m_directory.path(), instrumentTableLayout());
        for (const auto& row : rows) {
            writer.add(row);
        }
        writer.write();
    }

    static std::vector<Value> row(std::int64_t number, const std::string& name, Value underlying, Value type,
                                  Value strike, Value ratio, Value expiry, Value reference) {
        return recordOf(instrumentTableLayout(), {{"Firma", Value(number)},
                                                  {"FirmenName", Value(name)},
                                                  {"Basis", std::move(underlying)},
                                                  {"Typ", std::move(type)},
                                                  {"Basispreis", std::move(strike)},
                                                  {"Bezug", std::move(ratio)},
                                                  {"Verfall", std::move(expiry)},
                                                  {"Referenz", std::move(reference)}});
    }

    TempDirectory m_directory;
};

TEST_F(InstrumentTable, ReadsWarrantTermsAndReferencePricesAndNamesAWarrantWithIncompleteTerms) {
    const auto expiry = formats::encodeDate(2027, 6, 18);
    write({
        row(846900, "DAX", Value(Null{}), Value(Null{}), Value(Null{}), Value(Null{}), Value(Null{}),
            Value(24000.0)),
        row(17, "DAX Put 23000", Value(std::int64_t{846900}), Value(std::string("P")), Value(23000.0),
            Value(0.01), Value(expiry), Value(Null{})),
        row(18, "Broken Call", Value(std::int64_t{846900}), Value(std::string("C")), Value(Null{}),
            Value(0.1), Value(expiry), Value(Null{})),
        row(19, "Odd Type", Value(std::int64_t{846900}), Value(std::string("X")), Value(100.0), Value(0.1),
            Value(expiry), Value(Null{})),
    });
    const auto dax = findInstrument(m_directory.path(), 846900);
    ASSERT_TRUE(dax);
    EXPECT_EQ(dax->name, "DAX");
    EXPECT_FALSE(dax->warrant);
    EXPECT_EQ(dax->referencePrice, 24000.0);

    const auto put = findInstrument(m_directory.path(), 17);
    ASSERT_TRUE(put && put->warrant);
    EXPECT_EQ(put->warrant->underlying, 846900);
    EXPECT_EQ(put->warrant->kind, OptionKind::Put);
    EXPECT_DOUBLE_EQ(put->warrant->strike, 23000);
    EXPECT_DOUBLE_EQ(put->warrant->ratio, 0.01);
    EXPECT_DOUBLE_EQ(put->warrant->expiry, expiry);
    EXPECT_FALSE(put->referencePrice);

    EXPECT_FALSE(findInstrument(m_directory.path(), 20));

    const auto table = (m_directory.path() / "Firma.db").string();
    const auto messageFor = [&](std::int64_t number) {
        return testing_support::messageOf<MarketError>([&] { findInstrument(m_directory.path(), number); });
    };
    EXPECT_EQ(messageFor(18),
              "Der Optionsschein 18 (Broken Call) in " + table + " hat keinen positiven Basispreis.");
    EXPECT_EQ(messageFor(19),
              "Der Optionsschein 19 (Odd Type) in " + table + " hat den Typ 'X' statt \"C\" oder \"P\".");
}

} // namespace
} // namespace marlovex::market
