#include "platform/common/system_error_text.h"
#include "platform/paradox/errors.h"
#include "platform/paradox/file_system.h"
#include "platform/paradox/table.h"
#include "platform/paradox/table_image.h"
#include "platform/paradox/table_storage.h"
#include "support/error_message.h"
#include "support/fault_injecting_env.h"
#include "support/sound_table.h"
#include "support/temp_directory.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <set>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace marlovex::paradox {
namespace {

namespace fs = std::filesystem;

using testing_support::messageOf;
using testing_support::readText;

constexpr double kDay = 46362.0; // 2026-12-06

// The quotes the fixture's table holds.
constexpr std::size_t kQuotes = 5;

double at(int hour, int minute, int second = 0) {
    return kDay + ((hour * 60 + minute) * 60 + second) / 86400.0;
}

std::vector<std::uint8_t> readFile(const fs::path& path) {
    return File(Env::posix(), path, File::Mode::ReadOnly).readAll();
}

std::vector<std::uint8_t> plain(const FileBytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

// A commit invalidates its journal by clearing the leading marker; putting the marker back
// recreates the state of a writer that died after changing the table, before finishing.
void reviveJournal(const fs::path& journal) {
    File file(Env::posix(), journal, File::Mode::ReadWrite);
    const std::string marker = "MXPXJNL2";
    file.writeAt(0, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(marker.data()),
                                                  marker.size()));
}

// The reads of the quote table that `action` makes through `env`: how many, and how many bytes.
std::pair<std::size_t, std::size_t> readsOfTheQuotes(const testing_support::FaultInjectingEnv& env,
                                                     const std::function<void()>& action) {
    const std::size_t start = env.calls().size();
    action();
    std::pair<std::size_t, std::size_t> reads{0, 0};
    for (auto call = env.calls().begin() + static_cast<std::ptrdiff_t>(start); call != env.calls().end();
         ++call) {
        if (call->call == testing_support::FaultInjectingEnv::Call::Read &&
            call->path.filename() == "Intraday.db") {
            ++reads.first;
            reads.second += call->bytes;
        }
    }
    return reads;
}

const std::string kVictimText = "Depotauszug, nicht überschreiben\n";

unsigned permissionsOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return static_cast<unsigned>(info.st_mode) & 0777;
}

// The quote table, made anew and empty.
void createQuotes(const fs::path& db) {
    Table::createTable(
        db,
        {FieldDef::of("Firma", FieldType::Long, 0, true), FieldDef::of("ZEIT", FieldType::Timestamp, 0, true),
         FieldDef::of("Kurs", FieldType::Money, 0, true), FieldDef::of("Volumen", FieldType::Long)},
        {{"INTRADAY", "FIRMA;ZEIT", true}});
}

// Opens the quote table at `path` and appends one quote.
void appendQuote(const fs::path& path, int firm, double time, double price, int volume) {
    Table table;
    table.setTableName(path.string());
    table.open();
    table.append();
    table.field("Firma").setInteger(firm);
    table.field("ZEIT").setDateTime(time);
    table.field("Kurs").setFloat(price);
    table.field("Volumen").setInteger(volume);
    table.post();
}

// Appends a quote of `firm` at 14:00; the engine's message, empty on success.
std::string tryAppend(const fs::path& path, int firm) {
    try {
        appendQuote(path, firm, at(14, 0), firm * 1.5, 0);
        return {};
    } catch (const TableError& error) {
        return error.what();
    }
}

class TableViews : public ::testing::Test {
protected:
    void SetUp() override {
        m_directory = m_temporary.path();
        m_db = m_directory / "Intraday.db";
        createQuotes(m_db);
        Table::createTable(m_directory / "Firma.db",
                           {FieldDef::of("Firma", FieldType::Long),
                            FieldDef::of("FirmenName", FieldType::Alpha, 40),
                            FieldDef::of("Aktiv", FieldType::Logical)},
                           {{"", "Firma", true}});
        Table firms;
        openView(firms, "Firma.db");
        firms.appendRecords({{std::int64_t{1}, std::string("Zeta Optionsschein"), true},
                             {std::int64_t{2}, std::string("alpha Index"), false},
                             {std::int64_t{3}, std::string("Mitte AG"), true}});
        // Firm 1: 09:00, 09:05, 09:10; firm 2: 09:02, 09:07; firm 3 has no quotes.
        addQuote(1, at(9, 0), 1.00, 0);
        addQuote(1, at(9, 5), 1.10, 1000);
        addQuote(1, at(9, 10), 1.05, -250);
        addQuote(2, at(9, 2), 100.0, 0);
        addQuote(2, at(9, 7), 101.5, 0);
    }

    void openView(Table& table, const std::string& name) const {
        table.setDatabaseName(m_directory);
        table.setTableName(name);
        table.open();
    }

    void addQuote(int firm, double time, double price, int volume) const {
        appendQuote(m_db, firm, time, price, volume);
    }

    static std::vector<double> prices(Table& table) {
        std::vector<double> result;
        for (table.first(); !table.eof(); table.next()) {
            result.push_back(table.field("Kurs").asFloat());
        }
        return result;
    }

    // Commits one more quote and returns the table files from before that commit.
    std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>> commitOneMore() const {
        const auto db = readFile(m_db);
        const auto px = readFile(m_directory / "Intraday.px");
        addQuote(4, at(12, 0), 4.0, 0);
        return {db, px};
    }

    std::size_t rowsSeenByAView() const {
        Table table;
        openView(table, "Intraday.db");
        return table.recordCount();
    }

    // Appends `count` quotes, then proves the table sound three ways: our own view, our own
    // structural check of the table and its index, and pxlib.
    void appendAndExpectSound(int count) const {
        for (int i = 0; i < count; ++i) {
            addQuote(5, at(13, i), i, 0);
        }
        EXPECT_EQ(rowsSeenByAView(), static_cast<std::size_t>(count));
        testing_support::expectSoundTable(m_db, static_cast<std::size_t>(count));
    }

    marlovex::testing_support::TempDirectory m_temporary;
    fs::path m_directory;
    fs::path m_db;
};

TEST_F(TableViews, NavigationRunsInTheOrderOfTheIndexChosenWithEndAndStartTestsAndNotifiesControls) {
    Table table;
    int notifications = 0;
    table.addChangeListener([&] { ++notifications; });
    openView(table, "Intraday");
    EXPECT_GT(notifications, 0);
    EXPECT_EQ(prices(table), (std::vector<double>{1.00, 1.10, 1.05, 100.0, 101.5}));
    EXPECT_TRUE(table.eof());
    table.last();
    EXPECT_EQ(table.field("Kurs").asFloat(), 101.5);
    EXPECT_TRUE(table.eof());
    table.prior();
    EXPECT_FALSE(table.eof());
    EXPECT_EQ(table.field("Kurs").asFloat(), 100.0);
    table.first();
    EXPECT_TRUE(table.bof());
    table.prior();
    EXPECT_TRUE(table.bof());
    EXPECT_EQ(table.field("kurs").asFloat(), 1.00);
    EXPECT_EQ(table.field("zeit").asDateTime(), at(9, 0));
    // Another order by fields, and back by the index's name.
    table.setIndexFieldNames("Kurs");
    EXPECT_EQ(prices(table), (std::vector<double>{1.00, 1.05, 1.10, 100.0, 101.5}));
    table.findNearest({1.07});
    EXPECT_EQ(table.field("Kurs").asFloat(), 1.10);
    table.setIndexName("INTRADAY");
    EXPECT_EQ(prices(table), (std::vector<double>{1.00, 1.10, 1.05, 100.0, 101.5}));
    EXPECT_THROW(table.setIndexName("FEHLT"), TableError);
    // Disabled controls hear of changes once, when they are enabled again.
    notifications = 0;
    table.disableControls();
    table.disableControls();
    prices(table);
    table.enableControls();
    EXPECT_EQ(notifications, 0);
    table.enableControls();
    EXPECT_EQ(notifications, 1);
    table.first();
    EXPECT_EQ(notifications, 2);
}

TEST_F(TableViews, FindKeyMovesOnlyOnAnExactMatchAndFindNearestToTheNextRow) {
    Table table;
    openView(table, "Intraday.db");
    EXPECT_TRUE(table.findKey({std::int64_t{1}, at(9, 5)}));
    EXPECT_EQ(table.field("Kurs").asFloat(), 1.10);
    // A failed search leaves the cursor where it was.
    EXPECT_FALSE(table.findKey({std::int64_t{1}, at(9, 6)}));
    EXPECT_EQ(table.field("Kurs").asFloat(), 1.10);
    EXPECT_FALSE(table.findKey({std::int64_t{3}}));
    EXPECT_EQ(table.field("ZEIT").asDateTime(), at(9, 5));
    // A partial key finds the first row of the group.
    EXPECT_TRUE(table.findKey({std::int64_t{2}}));
    EXPECT_EQ(table.field("Kurs").asFloat(), 100.0);
    // The nearest search takes the next row, or the last row past the end.
    table.findNearest({std::int64_t{1}, at(9, 6)});
    EXPECT_EQ(table.field("Kurs").asFloat(), 1.05);
    table.findNearest({std::int64_t{1}, at(9, 5)});
    EXPECT_EQ(table.field("Kurs").asFloat(), 1.10);
    table.findNearest({std::int64_t{1}, at(8, 0)});
    EXPECT_EQ(table.field("Kurs").asFloat(), 1.00);
    table.findNearest({std::int64_t{9}, at(8, 0)});
    EXPECT_EQ(table.field("Kurs").asFloat(), 101.5);
}

TEST_F(TableViews, DetailFollowsItsMasterAndReadsRowsWithoutMovingOrCalculating) {
    Table firms;
    firms.setIndexFieldNames("FirmenName");
    openView(firms, "Firma.db");
    Table quotes;
    quotes.setMasterSource(&firms, "Firma");
    int calculations = 0;
    quotes.setOnCalcFields([&](Table&) { ++calculations; });
    openView(quotes, "Intraday.db");
    // Ordered by name without regard to case: "alpha Index", "Mitte AG", "Zeta Optionsschein".
    EXPECT_EQ(firms.field("FirmenName").asString(), "alpha Index");
    EXPECT_EQ(prices(quotes), (std::vector<double>{100.0, 101.5}));
    EXPECT_EQ(quotes.recordCount(), 2u);
    firms.next();
    EXPECT_TRUE(quotes.isEmpty());
    EXPECT_TRUE(quotes.eof());
    // An instrument without quotes: searches find nothing and the price reads as empty, i.e. 0.
    EXPECT_FALSE(quotes.findKey({std::int64_t{3}}));
    quotes.findNearest({std::int64_t{3}, at(9, 0)});
    EXPECT_TRUE(quotes.field("Kurs").isNull());
    EXPECT_EQ(quotes.field("Kurs").asFloat(), 0.0);
    firms.next();
    EXPECT_EQ(quotes.field("Kurs").asFloat(), 1.00);
    // readRows visits a range of the master's rows without moving or calculating.
    quotes.last();
    calculations = 0;
    std::vector<double> read;
    quotes.readRows(1, 10, [&](Table& row) { read.push_back(row.field("Kurs").asFloat()); });
    EXPECT_EQ(read, (std::vector<double>{1.10, 1.05}));
    EXPECT_EQ(calculations, 0);
    EXPECT_EQ(quotes.field("Kurs").asFloat(), 1.05);
    // Searches stay inside the master's rows: past the end is the firm's last quote.
    quotes.findNearest({std::int64_t{1}, at(23, 0)});
    EXPECT_EQ(quotes.field("Kurs").asFloat(), 1.05);
    EXPECT_FALSE(quotes.findKey({std::int64_t{2}, at(9, 2)}));
    // A search by name in the master moves the detail along.
    EXPECT_TRUE(firms.findKey({std::string("ALPHA INDEX")}));
    EXPECT_EQ(quotes.field("Kurs").asFloat(), 100.0);
    // Appending to the detail takes the link field from the master.
    quotes.append();
    quotes.field("ZEIT").setDateTime(at(9, 30));
    quotes.field("Kurs").setFloat(102.0);
    quotes.post();
    EXPECT_EQ(quotes.field("Firma").asInteger(), 2);
    EXPECT_EQ(prices(quotes), (std::vector<double>{100.0, 101.5, 102.0}));
    // Unlinked, the view shows every row again.
    quotes.setMasterSource(nullptr, "");
    EXPECT_EQ(quotes.recordCount(), 6u);
    EXPECT_EQ(quotes.field("Firma").asInteger(), 1);
}

TEST_F(TableViews, FilterCallbackHidesRowsWhileTheSwitchIsOn) {
    Table table;
    double start = at(9, 0);
    table.setOnFilterRecord([&](Table& view) { return view.field("ZEIT").asDateTime() > start; });
    openView(table, "Intraday.db");
    EXPECT_EQ(prices(table).size(), 5u);
    table.setFiltered(true);
    EXPECT_EQ(prices(table), (std::vector<double>{1.10, 1.05, 100.0, 101.5}));
    // Hidden rows are not found; the nearest search skips them.
    EXPECT_FALSE(table.findKey({std::int64_t{1}, at(9, 0)}));
    table.findNearest({std::int64_t{1}, at(8, 0)});
    EXPECT_EQ(table.field("Kurs").asFloat(), 1.10);
    start = at(9, 6);
    table.setFiltered(true);
    EXPECT_EQ(prices(table), (std::vector<double>{1.05, 101.5}));
    table.setFiltered(false);
    EXPECT_EQ(prices(table).size(), 5u);
}

TEST_F(TableViews, CalcCallbackRunsForEveryRowFetched) {
    Table table;
    table.addCalculatedField("Delta", FieldType::Number);
    int calls = 0;
    table.setOnCalcFields([&](Table& view) {
        ++calls;
        const auto volume = view.field("Volumen").asInteger();
        if (volume > 1000) {
            view.field("Delta").setFloat(volume / 1000000.0);
        } else if (volume != 0) {
            view.field("Delta").setFloat(-volume / 1000.0);
        }
    });
    openView(table, "Intraday.db");
    EXPECT_TRUE(table.field("Delta").isNull());
    table.next();
    EXPECT_EQ(table.field("Delta").asFloat(), -1.0);
    table.next();
    EXPECT_EQ(table.field("Delta").asFloat(), 0.25);
    table.next();
    EXPECT_TRUE(table.field("delta").isNull());
    EXPECT_EQ(calls, 4);
    table.findKey({std::int64_t{1}, at(9, 5)});
    EXPECT_EQ(calls, 5);
}

TEST_F(TableViews, EditPostCancelAndDelete) {
    Table table;
    openView(table, "Intraday.db");
    table.findKey({std::int64_t{1}, at(9, 5)});
    table.edit();
    table.field("Kurs").setFloat(2.5);
    table.cancel();
    EXPECT_EQ(table.field("Kurs").asFloat(), 1.10);
    table.edit();
    table.field("Kurs").setFloat(2.5);
    table.post();
    EXPECT_EQ(table.state(), DataSetState::Browse);
    EXPECT_EQ(table.field("Kurs").asFloat(), 2.5);
    // Changing the key moves the row.
    table.edit();
    table.field("Firma").setInteger(3);
    table.post();
    EXPECT_EQ(table.field("Firma").asInteger(), 3);
    table.last();
    EXPECT_EQ(table.field("Kurs").asFloat(), 2.5);
    // Deleting from the first row until the end leaves the table empty.
    table.first();
    while (!table.eof()) {
        table.deleteRecord();
    }
    EXPECT_TRUE(table.isEmpty());
    EXPECT_EQ(table.recordCount(), 0u);
    Table reopened;
    openView(reopened, "Intraday.db");
    EXPECT_TRUE(reopened.isEmpty());
}

TEST_F(TableViews, NamesNeedNoLetterCaseAndFieldAccessConvertsTestsEmptyValuesAndNamesMisfits) {
    Table table;
    openView(table, "FIRMA.DB");
    EXPECT_EQ(table.tablePath().filename(), "Firma.db");
    EXPECT_EQ(table.field("FIRMENNAME").asString(), "Zeta Optionsschein");
    EXPECT_EQ(table.field("Firma").asString(), "1");
    EXPECT_EQ(table.field("Firma").asFloat(), 1.0);
    EXPECT_TRUE(table.field("Aktiv").asBoolean());
    table.append();
    table.field("Firma").setString("4");
    table.post();
    EXPECT_TRUE(table.field("FirmenName").isNull());
    EXPECT_EQ(table.field("FirmenName").asString(), "");
    EXPECT_FALSE(table.field("Aktiv").asBoolean());
    EXPECT_EQ(table.field("Aktiv").asInteger(), 0);
    table.edit();
    EXPECT_THROW(table.field("Firma").setString("vier"), TableError);
    EXPECT_EQ(messageOf<TableError>([&] {
                  table.field("FirmenName").setString("Arnsfeld Chemie Aktiengesellschaft, Werk Leverkusen");
              }),
              "Der Text 'Arnsfeld Chemie Aktiengesellschaft, Werk Leverkusen' ist zu lang für das Feld "
              "'FirmenName' (höchstens 40 Zeichen).");
    EXPECT_EQ(messageOf<TableError>([&] { table.field("FirmenName").setString("Chemie ☺"); }),
              "Der Text 'Chemie ☺' enthält ein Zeichen, das eine Tabelle nicht speichern kann.");
    table.cancel();
}

// Views of one table take a commit from the view that read it first; an older commit hands over nothing.
TEST_F(TableViews, RefreshSeesOtherViewsCommitsAndRefreshLikeTakesThemWithoutReadingAgain) {
    testing_support::FaultInjectingEnv env;
    Table first;
    Table second;
    for (Table* view : {&first, &second}) {
        view->setEnv(env);
        openView(*view, "Intraday.db");
    }
    second.last();

    addQuote(1, at(8, 0), 0.5, 0);
    EXPECT_EQ(first.recordCount(), 5u);
    first.refresh();
    EXPECT_EQ(first.recordCount(), 6u);
    EXPECT_EQ(first.field("Kurs").asFloat(), 1.00);
    first.first();
    EXPECT_EQ(first.field("Kurs").asFloat(), 0.5);
    EXPECT_EQ(readsOfTheQuotes(env, [&] { second.refreshLike(first); }).first, 0u);
    EXPECT_EQ(second.recordCount(), 6u);
    EXPECT_EQ(second.field("Kurs").asFloat(), 101.5);

    // The views now share the rows; a write through one must not show in the other.
    second.append();
    second.field("Firma").setInteger(1);
    second.field("ZEIT").setDateTime(at(7, 59));
    second.field("Kurs").setFloat(0.7);
    second.post();
    EXPECT_EQ(second.recordCount(), 7u);
    EXPECT_EQ(first.recordCount(), 6u);
    first.first();
    EXPECT_EQ(first.field("Kurs").asFloat(), 0.5);

    addQuote(1, at(8, 1), 0.6, 0);
    EXPECT_GT(readsOfTheQuotes(env, [&] { second.refreshLike(first); }).first, 0u);
    EXPECT_EQ(second.recordCount(), 8u);
    EXPECT_EQ(first.recordCount(), 6u);
}

// A table of megabytes is read into memory of its own kind (huge pages, mapped at once), which is
// kept and taken again by the next read.
TEST_F(TableViews, ALargeTableReadsAndRollsBackAsASmallOne) {
    std::vector<std::vector<Value>> records;
    for (int i = 0; i < 60000; ++i) {
        records.push_back({Value(std::int64_t{7}), Value(at(10, 0) + i / 864000.0), Value(1.0 + i),
                           Value(std::int64_t{0})});
    }
    Table reader;
    openView(reader, "Intraday.db");
    reader.appendRecords(records);
    ASSERT_GT(fs::file_size(m_db), 1024u * 1024u);
    for (int round = 0; round < 3; ++round) {
        addQuote(7, at(23, round), 0.25 * round, 0);
        reader.refresh();
        ASSERT_EQ(reader.recordCount(), 60006u + static_cast<unsigned>(round));
        reader.last();
        EXPECT_EQ(reader.field("Kurs").asFloat(), 0.25 * round);
    }
    const auto [dbBefore, pxBefore] = commitOneMore();
    TableStorage storage(m_db);
    EXPECT_EQ(plain(storage.read().db), readFile(m_db));
    reviveJournal(TableStorage::journalPathFor(m_db));
    auto snapshot = storage.read();
    EXPECT_EQ(plain(snapshot.db), dbBefore);
    EXPECT_EQ(TableImage(std::move(snapshot.db), m_db.string()).size(), 60008u);
}

// The view re-reads only the ranges that the change log beside the table names. Over random commits
// (new rows between others, block splits, deletions, edits, runs of more commits than the log
// keeps) it reads far less than the whole file while the log covers them.
TEST_F(TableViews, AViewFollowingCommitsShowsWhatAFreshReadShows) {
    using Row = std::tuple<std::int64_t, double, double>;
    const auto rowsOf = [](Table& table) {
        std::vector<Row> rows;
        for (table.first(); !table.eof(); table.next()) {
            rows.emplace_back(table.field("Firma").asInteger(), table.field("ZEIT").asDateTime(),
                              table.field("Kurs").asFloat());
        }
        return rows;
    };
    testing_support::FaultInjectingEnv env;
    Table reader;
    reader.setEnv(env);
    openView(reader, "Intraday.db");
    Table writer;
    openView(writer, "Intraday.db");
    std::mt19937 random(5);
    std::set<std::pair<std::int64_t, int>> keys;
    const auto newRecord = [&] {
        std::pair<std::int64_t, int> key;
        do {
            key = {1 + random() % 3, static_cast<int>(random() % 40000)};
        } while (!keys.insert(key).second);
        return std::vector<Value>{Value(key.first), Value(at(10, 0) + key.second / 86400.0),
                                  Value(static_cast<double>(random() % 1000) / 8), Value(std::int64_t{0})};
    };
    const auto moveToRandomRow = [&] {
        writer.first();
        for (auto steps = random() % writer.recordCount(); steps > 0; --steps) {
            writer.next();
        }
    };
    std::vector<std::vector<Value>> day;
    std::generate_n(std::back_inserter(day), 5000, newRecord);
    writer.appendRecords(day);
    double shareOfFollowedReads = 0;
    int followedReads = 0;
    for (int step = 0; step < 100; ++step) {
        const int commits = step % 30 == 29 ? 40 : 1 + static_cast<int>(random() % 3);
        for (int commit = 0; commit < commits; ++commit) {
            switch (random() % 5) {
            case 0:
            case 1:
                writer.appendRecords({newRecord()});
                break;
            case 2: {
                std::vector<std::vector<Value>> batch;
                std::generate_n(std::back_inserter(batch), 5, newRecord);
                writer.appendRecords(batch);
                break;
            }
            case 3:
                moveToRandomRow();
                keys.erase(
                    {writer.field("Firma").asInteger(),
                     static_cast<int>(std::lround((writer.field("ZEIT").asDateTime() - at(10, 0)) * 86400))});
                writer.deleteRecord();
                break;
            default:
                moveToRandomRow();
                writer.edit();
                writer.field("Kurs").setFloat(static_cast<double>(random() % 1000) / 8);
                writer.post();
            }
        }
        const auto bytesRead = readsOfTheQuotes(env, [&] { reader.refresh(); }).second;
        Table fresh;
        openView(fresh, "Intraday.db");
        ASSERT_EQ(rowsOf(reader), rowsOf(fresh)) << "step " << step;
        if (commits < 40 && step > 1) {
            shareOfFollowedReads += static_cast<double>(bytesRead) /
                                    static_cast<double>(fs::file_size(m_directory / "Intraday.db"));
            ++followedReads;
        }
    }
    EXPECT_LT(shareOfFollowedReads / followedReads, 0.3);
}

// The ring of written ranges in the counter file is read like any file from elsewhere: forged
// slots (ranges beyond the end, overlapping, far too long) leave a walkable table or an error.
TEST_F(TableViews, ArbitraryRangesInTheRingNeverBreakAReader) {
    Table reader;
    openView(reader, "Intraday.db");
    std::mt19937 random(3);
    const fs::path counter = m_directory / "Intraday.db.lck";
    const auto forge = [&](std::uint64_t sequence) {
        std::vector<std::uint8_t> slot(202);
        for (std::size_t i = 0; i < 8; ++i) {
            slot[i] = static_cast<std::uint8_t>(sequence >> (8 * i));
        }
        const auto put = [&](std::size_t at, std::uint64_t value, int bytes) {
            for (int i = 0; i < bytes; ++i) {
                slot[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
            }
        };
        const auto fileSize = fs::file_size(m_directory / "Intraday.db");
        put(8, random() % 18, 2);
        for (std::size_t range = 0; range < 16; ++range) {
            put(10 + range * 12, random() % 2 == 0 ? random() % (fileSize + 4096) : random(), 8);
            put(18 + range * 12, random() % 9000, 4);
        }
        std::fstream file(counter, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(64 + sequence / 2 % 32 * 202));
        file.write(reinterpret_cast<const char*>(slot.data()), static_cast<std::streamsize>(slot.size()));
    };
    for (int round = 0; round < 60; ++round) {
        addQuote(1 + round % 2, at(11, round), 1.0 + round, 0);
        std::uint64_t sequence = 0;
        std::ifstream(counter, std::ios::binary).seekg(8).read(reinterpret_cast<char*>(&sequence), 8);
        if (round % 3 != 0) {
            forge(sequence);
        }
        try {
            reader.refresh();
        } catch (const TableError&) {
            continue;
        }
        std::size_t walked = 0;
        for (reader.first(); !reader.eof(); reader.next()) {
            ++walked;
        }
        EXPECT_EQ(walked, reader.recordCount()) << "round " << round;
    }
}

// Several records go in one commit, in key order, all of them or none.
TEST_F(TableViews, AppendedRecordsAreStoredInKeyOrderAllOrNoneAndPostOrCancelStoresWholeRowsOnly) {
    Table table;
    openView(table, "Intraday.db");
    const std::vector<Value> fresh{Value(std::int64_t{3}), Value(at(12, 0)), Value(5.0), Value(Null{})};
    const std::vector<Value> taken{Value(std::int64_t{1}), Value(at(9, 5)), Value(9.0), Value(Null{})};
    EXPECT_THROW(table.appendRecords({fresh, taken}), KeyViolationError);
    EXPECT_THROW(table.appendRecords({fresh, {Value(std::int64_t{3})}}), TableError);
    EXPECT_THROW(
        table.appendRecords(
            {fresh, {Value(std::int64_t{3}), Value(at(12, 1)), Value(std::string("x")), Value(Null{})}}),
        TableError);
    Table reader;
    openView(reader, "Intraday.db");
    EXPECT_EQ(reader.recordCount(), 5u);
    EXPECT_EQ(table.recordCount(), 5u);

    table.appendRecords({fresh,
                         {Value(std::int64_t{2}), Value(at(9, 9)), Value(102.0), Value(Null{})},
                         {Value(std::int64_t{2}), Value(at(9, 8)), Value(101.75), Value(std::int64_t{40})}});
    EXPECT_EQ(table.field("Firma").asInteger(), 2);
    EXPECT_DOUBLE_EQ(table.field("Kurs").asFloat(), 101.75);
    reader.refresh();
    EXPECT_EQ(prices(reader), (std::vector<double>{1.00, 1.10, 1.05, 100.0, 101.5, 101.75, 102.0, 5.0}));
    ASSERT_TRUE(reader.findKey({Value(std::int64_t{2}), Value(at(9, 9))}));
    EXPECT_TRUE(reader.field("Volumen").isNull());

    // postOrCancel stores a whole row or cancels it.
    table.append();
    EXPECT_THROW(postOrCancel(table,
                              [&] {
                                  table.field("Firma").setInteger(7);
                                  table.field("ZEIT").setDateTime(at(11, 0));
                                  table.field("Geldkurs").setFloat(1.5);
                              }),
                 TableError);
    EXPECT_EQ(table.state(), DataSetState::Browse);
    EXPECT_EQ(table.recordCount(), 8u);

    table.append();
    postOrCancel(table, [&] {
        table.field("Firma").setInteger(7);
        table.field("ZEIT").setDateTime(at(11, 0));
        table.field("Kurs").setFloat(1.5);
    });
    reader.refresh();
    EXPECT_EQ(reader.recordCount(), 9u);
}

TEST_F(TableViews, RenameDeleteAndCreateTables) {
    // The index moves first and comes back when the table cannot follow onto a folder of its name.
    fs::create_directories(m_directory / "Archiv" / "Intraday04.12.2026.DB");
    EXPECT_THROW(
        Table::renameTable(m_directory / "Intraday.db", m_directory / "Archiv" / "Intraday04.12.2026.DB"),
        TableError);
    EXPECT_FALSE(fs::exists(m_directory / "Archiv" / "Intraday04.12.2026.px"));

    Table table;
    table.setDatabaseName(m_directory);
    table.setTableName("Intraday.db");
    table.renameTable((m_directory / "Intraday04.12.2026").string());
    EXPECT_TRUE(fs::exists(m_directory / "Intraday04.12.2026.DB"));
    EXPECT_TRUE(fs::exists(m_directory / "Intraday04.12.2026.px"));
    EXPECT_FALSE(fs::exists(m_directory / "Intraday.db"));
    Table archive;
    openView(archive, "Intraday04.12.2026.DB");
    EXPECT_EQ(archive.recordCount(), 5u);
    archive.close();

    table.setTableName("Intraday.db");
    table.createTable({FieldDef::of("Firma", FieldType::Long), FieldDef::of("ZEIT", FieldType::Timestamp),
                       FieldDef::of("Kurs", FieldType::Money), FieldDef::of("Volumen", FieldType::Long)},
                      {{"INTRADAY", "FIRMA;ZEIT", true}});
    table.open();
    EXPECT_TRUE(table.isEmpty());
    EXPECT_THROW(table.deleteTable(), TableError);
    table.close();
    table.deleteTable();
    EXPECT_FALSE(fs::exists(m_directory / "Intraday.db"));
    EXPECT_THROW(Table::deleteTable(m_directory / "Intraday.db"), TableError);
    EXPECT_THROW(
        Table::createTable(m_directory / "Bad.db", {FieldDef::of("A", FieldType::Long)}, {{"X", "B", true}}),
        TableError);
}

// A writer died inside its commit, leaving every page it changed half written. Readers undo the
// commit in their copy and leave the files alone; the next writer rolls the files back.
TEST_F(TableViews,
       ReadersUndoAnUnfinishedCommitWithTornPagesTheNextWriterRestoresThemAndATornJournalIsIgnored) {
    const auto [dbBefore, pxBefore] = commitOneMore();
    auto torn = readFile(m_db);
    constexpr std::size_t kPage = 1024;
    for (std::size_t page = 0; page < torn.size(); page += kPage) {
        const bool changed =
            page + kPage > dbBefore.size() || !std::equal(torn.begin() + static_cast<long>(page),
                                                          torn.begin() + static_cast<long>(page + kPage),
                                                          dbBefore.begin() + static_cast<long>(page));
        for (std::size_t i = page + kPage / 2; changed && i < page + kPage && i < torn.size(); i += 3) {
            torn[i] = 0xA5;
        }
    }
    std::ofstream(m_db, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(torn.data()), static_cast<std::streamsize>(torn.size()));
    reviveJournal(TableStorage::journalPathFor(m_db));
    EXPECT_EQ(rowsSeenByAView(), kQuotes);
    TableStorage storage(m_db);
    EXPECT_EQ(storage.read().px, pxBefore);
    EXPECT_EQ(readFile(m_db), torn);
    { TableStorage::WriteLock lock(storage); }
    EXPECT_EQ(readFile(m_db), dbBefore);
    EXPECT_EQ(readFile(m_directory / "Intraday.px"), pxBefore);
    EXPECT_EQ(rowsSeenByAView(), kQuotes);

    // A torn journal, whose end never reached the disk, fails its checksum and leaves the table alone.
    commitOneMore();
    const auto dbAfter = readFile(m_db);
    const auto journal = TableStorage::journalPathFor(m_db);
    reviveJournal(journal);
    fs::resize_file(journal, fs::file_size(journal) - 5);
    EXPECT_EQ(rowsSeenByAView(), kQuotes + 1);
    EXPECT_EQ(readFile(m_db), dbAfter);
}

// A writer killed inside a commit leaves its journal; the table made anew under the same name is
// another file, and the old journal's pages must never be written into it.
TEST_F(TableViews, AStaleJournalNeverAppliesToATableMadeAnew) {
    const auto journal = TableStorage::journalPathFor(m_db);
    {
        SCOPED_TRACE("re-created through createTable");
        commitOneMore();
        reviveJournal(journal);
        createQuotes(m_db);
        EXPECT_FALSE(fs::exists(journal));
        appendAndExpectSound(5);
    }
    {
        SCOPED_TRACE("deleted by hand and copied in from elsewhere");
        commitOneMore();
        reviveJournal(journal);
        const auto elsewhere = m_directory / "elsewhere";
        fs::create_directory(elsewhere);
        const auto fresh = elsewhere / "Intraday.db";
        createQuotes(fresh);
        fs::remove(m_db);
        fs::remove(m_directory / "Intraday.px");
        fs::copy_file(fresh, m_db);
        fs::copy_file(elsewhere / "Intraday.px", m_directory / "Intraday.px");
        // The journal is still there and complete, but it belongs to the deleted file.
        TableStorage storage(m_db);
        EXPECT_FALSE(storage.repairDue());
        EXPECT_EQ(rowsSeenByAView(), 0u);
        appendAndExpectSound(7);
    }
}

// Side files in a data directory that several users share: planted links never redirect a write,
// and every user who may write the table may also lock and journal it.
TEST_F(TableViews, LinksAndFoldersInPlaceOfSideFilesFailWithAGermanMessageAndSpareTheirTargets) {
    const auto victim = m_temporary.writeFile("Depot.txt", kVictimText);
    const auto missing = m_directory / "Neu.txt";
    for (const auto& side : {TableStorage::lockPathFor(m_db), TableStorage::journalPathFor(m_db),
                             TableStorage::indexPathFor(m_db)}) {
        for (const auto& target : {victim, missing}) {
            SCOPED_TRACE(side.filename().string() + " -> " + target.filename().string());
            const auto saved = m_directory / "gerettet";
            fs::rename(side, saved);
            fs::create_symlink(target, side);

            const auto message = tryAppend(m_db, 2);
            EXPECT_NE(message.find("Die Datei " + side.string() + " ist eine symbolische Verknüpfung"),
                      std::string::npos)
                << message;
            EXPECT_EQ(readText(victim), kVictimText);
            // A link to nowhere must not bring its target into being either.
            EXPECT_FALSE(fs::exists(missing));

            fs::remove(side);
            fs::rename(saved, side);
        }
    }
    EXPECT_EQ(tryAppend(m_db, 2), "");
    EXPECT_EQ(rowsSeenByAView(), kQuotes + 1);

    // A side file that is no regular file is refused as well.
    const auto journal = TableStorage::journalPathFor(m_db);
    fs::remove(journal);
    fs::create_directory(journal);
    const auto message = tryAppend(m_db, 3);
    EXPECT_EQ(message,
              "Die Datei " + journal.string() + " ist keine gewöhnliche Datei und wird nicht benutzt.");
}

TEST_F(TableViews, TablesAreWrittenUnderFreshTemporaryNamesNeverThroughPlantedOnes) {
    const auto victim = m_temporary.writeFile("Depot.txt", kVictimText);
    // Names a careless writer would predict for its temporaries.
    for (const auto* name : {"Intraday.db.tmp", "Intraday.px.tmp", "Intraday.db.0000000000000000"}) {
        fs::create_symlink(victim, m_directory / name);
    }
    const auto names = [&] {
        std::set<std::string> result;
        for (const auto& entry : fs::directory_iterator(m_directory)) {
            result.insert(entry.path().filename().string());
        }
        return result;
    };
    const auto before = names();
    createQuotes(m_db);
    EXPECT_EQ(readText(victim), kVictimText);
    EXPECT_EQ(tryAppend(m_db, 5), "");
    // Nothing is left behind but the table's own files and what was there before.
    EXPECT_EQ(names(), before);

    const auto first = File::createUnique(Env::posix(), m_db);
    const auto second = File::createUnique(Env::posix(), m_db);
    EXPECT_NE(first.path(), second.path());
    EXPECT_TRUE(first.created());
    EXPECT_EQ(first.path().parent_path(), m_directory);
}

// Restores the process's file creation mask when the test ends.
class Umask {
public:
    explicit Umask(mode_t mask)
        : m_previous(::umask(mask)) {}
    ~Umask() { ::umask(m_previous); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

private:
    mode_t m_previous;
};

// Another program may delete the lock file between a reader's look for it and the open: the
// reader then sees no commit counter, as if the file had never been there, and reads on.
TEST_F(TableViews, ALockFileDeletedAfterTheLookDoesNotFailTheReader) {
    const fs::path& path = m_db;
    ASSERT_TRUE(fs::exists(TableStorage::lockPathFor(path)));

    testing_support::FaultInjectingEnv env;
    TableStorage looking(path, env);
    const std::size_t start = env.calls().size();
    looking.sequence();
    std::optional<std::size_t> lockOpen;
    for (std::size_t call = start; call < env.calls().size(); ++call) {
        if (env.calls()[call].call == testing_support::FaultInjectingEnv::Call::Open &&
            env.calls()[call].path == TableStorage::lockPathFor(path)) {
            lockOpen = call - start;
        }
    }
    ASSERT_TRUE(lockOpen.has_value());

    TableStorage reader(path, env);
    env.failCall(env.calls().size() + *lockOpen, ENOENT);
    std::uint64_t sequence = 1;
    EXPECT_NO_THROW(sequence = reader.sequence());
    EXPECT_EQ(sequence, 0u);
    EXPECT_EQ(reader.read().sequence, reader.sequence());
}

TEST(SharedDirectory, LockJournalAndIndexTakeTheTablesPermissionsWhateverTheUmask) {
    for (const mode_t mask : {mode_t{022}, mode_t{077}}) {
        SCOPED_TRACE("umask " + std::to_string(mask));
        marlovex::testing_support::TempDirectory temporary;
        const auto db = temporary.path() / "Kurse.db";
        const Umask umask(mask);
        createQuotes(db);
        EXPECT_EQ(permissionsOf(db), 0666u & ~static_cast<unsigned>(mask));
        // The data directory's group shares the table.
        fs::permissions(db, static_cast<fs::perms>(0664));
        ASSERT_EQ(tryAppend(db, 1), "");
        EXPECT_EQ(permissionsOf(TableStorage::lockPathFor(db)), 0664u);
        EXPECT_EQ(permissionsOf(TableStorage::journalPathFor(db)), 0664u);

        // A table made anew keeps the permissions of the one it replaces, index included.
        fs::permissions(db, static_cast<fs::perms>(0660));
        createQuotes(db);
        EXPECT_EQ(permissionsOf(db), 0660u);
        EXPECT_EQ(permissionsOf(TableStorage::indexPathFor(db)), 0660u);
        EXPECT_EQ(tryAppend(db, 2), "");
    }
}

// The engine's messages, as the central error display shows them, name the table or file.
TEST_F(TableViews, WorkOnAClosedOrBusyTableOrAKeyViolationSaysWhyItCannotBeDone) {
    const auto firms = m_directory / "Firma.db";
    Table table;
    table.setDatabaseName(m_directory);
    table.setTableName("Firma.db");
    EXPECT_EQ(messageOf<TableError>([&] { table.field("Firma"); }),
              "Ein Feld der Tabelle " + firms.string() +
                  " kann nicht gelesen werden: die Tabelle ist nicht geöffnet.");

    table.open();
    EXPECT_EQ(messageOf<TableError>([&] { table.renameTable("Firmen.db"); }),
              "Die Tabelle " + firms.string() + " kann nicht umbenannt werden: die Tabelle ist geöffnet.");
    table.edit();
    EXPECT_EQ(messageOf<TableError>([&] { table.next(); }),
              "In der Tabelle " + firms.string() +
                  " kann nicht geblättert werden: ein Datensatz wird gerade "
                  "bearbeitet.");
    table.cancel();
    EXPECT_EQ(messageOf<TableError>([&] { table.field("Kurs"); }),
              "Die Tabelle " + firms.string() + " hat kein Feld 'Kurs'.");
    EXPECT_EQ(messageOf<TableError>([&] { table.post(); }),
              "In der Tabelle " + firms.string() +
                  " kann nichts gespeichert werden: es wird kein Datensatz "
                  "bearbeitet.");
    // A key violation names the table, and the refused record stays in insert mode for a later try.
    table.append();
    table.field("Firma").setInteger(1);
    EXPECT_EQ(messageOf<KeyViolationError>([&] { table.post(); }), "Schlüsselverletzung in der Tabelle " +
                                                                       (m_directory / "Firma.db").string() +
                                                                       ": der Schlüssel ist schon vergeben.");
    EXPECT_EQ(table.state(), DataSetState::Insert);
    table.cancel();
    EXPECT_EQ(table.recordCount(), 3u);
}

// Writers and table makers fail at once rather than waiting, and a refused record stays for a
// later try; readers read on, except while the live writer is inside its commit.
TEST_F(TableViews, ALockHeldByAnotherWriterExcludesWritersButNoReader) {
    Table table;
    openView(table, "Intraday.db");
    {
        TableStorage other(m_db);
        TableStorage::WriteLock lock(other);
        EXPECT_THROW(
            table.appendRecords({{Value(std::int64_t{4}), Value(at(12, 0)), Value(4.0), Value(Null{})}}),
            LockConflictError);
        table.append();
        table.field("Firma").setInteger(4);
        table.field("ZEIT").setDateTime(at(12, 0));
        table.field("Kurs").setFloat(4.0);
        EXPECT_EQ(messageOf<LockConflictError>([&] { table.post(); }),
                  "Die Tabelle " + m_db.string() + " ist von einem anderen Benutzer gesperrt.");
        TableStorage reader(m_db);
        EXPECT_EQ(plain(reader.read().db), readFile(m_db));
        EXPECT_THROW(TableStorage::WriteLock second(reader), LockConflictError);
        EXPECT_THROW(createQuotes(m_db), LockConflictError);
        EXPECT_EQ(rowsSeenByAView(), kQuotes);

        // A reader waits only briefly for the live writer inside its commit, while its counter is odd.
        const auto setCounter = [&](bool odd) {
            File counter(Env::posix(), TableStorage::lockPathFor(m_db), File::Mode::ReadWrite);
            std::array<std::uint8_t, 8> bytes{};
            ASSERT_EQ(counter.readAt(8, bytes), bytes.size());
            bytes[0] = static_cast<std::uint8_t>(odd ? bytes[0] | 1 : (bytes[0] | 1) + 1);
            counter.writeAt(8, bytes);
        };
        setCounter(true);
        EXPECT_EQ(messageOf<LockConflictError>([&] { reader.read(); }),
                  "Die Tabelle " + m_db.string() +
                      " wird gerade von einem anderen Programm geändert und ist belegt; bitte später erneut "
                      "versuchen.");
        setCounter(false);
        EXPECT_EQ(plain(reader.read().db), readFile(m_db));
    }
    table.post();
    EXPECT_EQ(table.field("Firma").asInteger(), 4);
    EXPECT_EQ(table.recordCount(), kQuotes + 1);
}

TEST_F(TableViews, MissingOrDamagedFilesAndFailuresOfTheFileSystemAreNamedWithTheGermanReason) {
    Table table;
    table.setDatabaseName(m_directory);
    table.setTableName("Fehlt.db");
    EXPECT_EQ(messageOf<TableError>([&] { table.open(); }),
              "Die Tabelle " + (m_directory / "Fehlt.db").string() + " existiert nicht.");
    EXPECT_FALSE(table.active());

    const auto missing = m_directory / "Daten";
    table.setDatabaseName(missing);
    EXPECT_EQ(messageOf<TableError>([&] { table.open(); }), "Die Tabelle " + (missing / "Fehlt.db").string() +
                                                                " existiert nicht: das Verzeichnis " +
                                                                missing.string() + " fehlt.");
    EXPECT_EQ(messageOf<TableError>([&] {
                  Table::createTable(missing / "Fehlt.db", {FieldDef::of("Firma", FieldType::Long)}, {});
              }),
              "Die Tabelle " + (missing / "Fehlt.db").string() +
                  " kann nicht angelegt werden: das Verzeichnis " + missing.string() + " fehlt.");
    EXPECT_FALSE(fs::exists(missing));

    // A folder where the table file should be: it opens, but cannot be read.
    fs::create_directory(m_directory / "Kurse.db");
    Table folder;
    EXPECT_EQ(messageOf<TableError>([&] { openView(folder, "Kurse.db"); }),
              "Die Datei " + (m_directory / "Kurse.db").string() +
                  " kann nicht gelesen werden: " + systemErrorText(EISDIR) + ".");

    const auto firms = m_directory / "Firma.db";
    const auto target = m_directory / "Archiv" / "Firma.db";
    EXPECT_EQ(messageOf<TableError>([&] { Table::renameTable(firms, target); }),
              "Die Tabelle " + firms.string() + " kann nicht in " + target.string() +
                  " umbenannt werden: " + systemErrorText(ENOENT) + ".");
    fs::create_directory(m_directory / "Archiv");
    std::ofstream(target) << "belegt";
    EXPECT_EQ(messageOf<TableError>([&] { Table::renameTable(firms, target); }),
              "Die Tabelle " + firms.string() + " kann nicht umbenannt werden: " + target.string() +
                  " existiert bereits.");

    // A damaged file is named with its damage.
    fs::resize_file(firms, fs::file_size(firms) - 100);
    Table damaged;
    const auto truncated = messageOf<CorruptTableError>([&] { openView(damaged, "Firma.db"); });
    EXPECT_TRUE(truncated.starts_with("Die Tabelle " + firms.string() +
                                      " ist beschädigt: die Datei ist abgeschnitten ("))
        << truncated;

    std::ofstream(firms, std::ios::binary | std::ios::trunc) << std::string(2048, 'x');
    EXPECT_EQ(messageOf<TableError>([&] { openView(damaged, "Firma.db"); }),
              "Die Datei " + firms.string() + " ist keine Paradox-Tabelle (Dateityp 120).");
}

} // namespace
} // namespace marlovex::paradox
