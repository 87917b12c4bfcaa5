// A table's side files (index, lock, journal, temporaries) in a data directory that several
// users share: links planted there never redirect a write, and the files a writer creates let
// every user who may write the table also lock and journal it.

#include "platform/paradox/errors.h"
#include "platform/paradox/file_system.h"
#include "platform/paradox/table.h"
#include "platform/paradox/table_storage.h"
#include "support/fault_injecting_env.h"
#include "support/temp_directory.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <sys/stat.h>

namespace marlovex::paradox {
namespace {

namespace fs = std::filesystem;

using testing_support::readText;

const std::string kVictimText = "Depotauszug, nicht überschreiben\n";

unsigned permissionsOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return static_cast<unsigned>(info.st_mode) & 0777;
}

void createQuotes(const fs::path& path) {
    Table::createTable(path, {FieldDef::of("Firma", FieldType::Long), FieldDef::of("Kurs", FieldType::Money)},
                       {{"", "Firma", true}});
}

// Opens the table and appends one quote; the message of the engine's error, empty on success.
std::string tryAppend(const fs::path& path, int firm) {
    try {
        Table table;
        table.setTableName(path.string());
        table.open();
        table.append();
        table.field("Firma").setInteger(firm);
        table.field("Kurs").setFloat(firm * 1.5);
        table.post();
        return {};
    } catch (const TableError& error) {
        return error.what();
    }
}

class SideFiles : public ::testing::Test {
protected:
    void SetUp() override {
        m_directory = m_temporary.path();
        m_db = m_directory / "Kurse.db";
        m_victim = m_directory / "Depot.txt";
        std::ofstream(m_victim, std::ios::binary) << kVictimText;
        createQuotes(m_db);
        ASSERT_EQ(tryAppend(m_db, 1), "");
    }

    marlovex::testing_support::TempDirectory m_temporary;
    fs::path m_directory;
    fs::path m_db;
    fs::path m_victim;
};

TEST_F(SideFiles, LinksInPlaceOfSideFilesFailWithAGermanMessageAndSpareTheirTargets) {
    const auto missing = m_directory / "Neu.txt";
    for (const auto& side : {TableStorage::lockPathFor(m_db), TableStorage::journalPathFor(m_db),
                             TableStorage::indexPathFor(m_db)}) {
        for (const auto& target : {m_victim, missing}) {
            SCOPED_TRACE(side.filename().string() + " -> " + target.filename().string());
            const auto saved = m_directory / "gerettet";
            fs::rename(side, saved);
            fs::create_symlink(target, side);

            const auto message = tryAppend(m_db, 2);
            EXPECT_NE(message.find("Die Datei " + side.string() + " ist eine symbolische Verknüpfung"),
                      std::string::npos)
                << message;
            EXPECT_EQ(readText(m_victim), kVictimText);
            // A link to nowhere must not bring its target into being either.
            EXPECT_FALSE(fs::exists(missing));

            fs::remove(side);
            fs::rename(saved, side);
        }
    }
    EXPECT_EQ(tryAppend(m_db, 2), "");
    Table table;
    table.setTableName(m_db.string());
    table.open();
    EXPECT_EQ(table.recordCount(), 2u);
}

TEST_F(SideFiles, SideFilesThatAreNoRegularFilesAreRefused) {
    const auto journal = TableStorage::journalPathFor(m_db);
    fs::remove(journal);
    fs::create_directory(journal);
    const auto message = tryAppend(m_db, 2);
    EXPECT_EQ(message,
              "Die Datei " + journal.string() + " ist keine gewöhnliche Datei und wird nicht benutzt.");
}

TEST_F(SideFiles, TablesAreWrittenUnderFreshTemporaryNamesNeverThroughPlantedOnes) {
    // Names a careless writer would predict for its temporaries.
    for (const auto* name : {"Kurse.db.tmp", "Kurse.px.tmp", "Kurse.db.0000000000000000"}) {
        fs::create_symlink(m_victim, m_directory / name);
    }
    createQuotes(m_db);
    EXPECT_EQ(readText(m_victim), kVictimText);
    EXPECT_EQ(tryAppend(m_db, 5), "");
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_directory)) {
        names.insert(entry.path().filename().string());
    }
    // Nothing is left behind but the table's own files and what was there before.
    EXPECT_EQ(names,
              (std::set<std::string>{"Depot.txt", "Kurse.db", "Kurse.px", "Kurse.db.lck", "Kurse.db.jnl",
                                     "Kurse.db.tmp", "Kurse.px.tmp", "Kurse.db.0000000000000000"}));

    const auto first = File::createUnique(Env::posix(), m_directory / "Kurse.db");
    const auto second = File::createUnique(Env::posix(), m_directory / "Kurse.db");
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
TEST(SharedDirectory, ALockFileDeletedAfterTheLookDoesNotFailTheReader) {
    testing_support::TempDirectory directory;
    const fs::path path = directory.path() / "Kurse.db";
    createQuotes(path);
    ASSERT_EQ(tryAppend(path, 1), "");
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

} // namespace
} // namespace marlovex::paradox
