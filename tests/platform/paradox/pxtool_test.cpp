#include "platform/paradox/session.h"
#include "platform/paradox/table.h"
#include "support/protected_table.h"
#include "support/temp_directory.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace px = marlovex::paradox;

struct Outcome {
    int exitCode = -1;
    std::string output;
};

class Pxtool : public ::testing::Test {
protected:
    void SetUp() override { m_directory = m_temporary.path(); }

    // Runs pxtool in the test directory; stdout and stderr together.
    Outcome run(const std::string& arguments) const {
        const std::string command =
            "cd '" + m_directory.string() + "' && '" + PXTOOL_PATH + "' " + arguments + " 2>&1";
        Outcome outcome;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) {
            return outcome;
        }
        std::array<char, 4096> buffer{};
        while (const auto count = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
            outcome.output.append(buffer.data(), count);
        }
        const int status = ::pclose(pipe);
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return outcome;
    }

    void createQuotes() const {
        ASSERT_EQ(run("create Intraday.db --field Firma:I --field ZEIT:@ --field 'Kurs:$' --field Volumen:I "
                      "--key 2")
                      .exitCode,
                  0);
    }

    // A commit invalidates its journal by clearing the leading marker; putting it back recreates
    // the files of a writer killed after changing the table, before finishing.
    void reviveJournal() const {
        std::fstream file(m_directory / "Intraday.db.jnl", std::ios::in | std::ios::out | std::ios::binary);
        file.write("MXPXJNL2", 8);
    }

    marlovex::testing_support::TempDirectory m_temporary;
    fs::path m_directory;
};

TEST_F(Pxtool, AppendedQuotesDumpInKeyOrderInTheDumpNotationAlsoWhenProtected) {
    createQuotes();
    EXPECT_EQ(run("append Intraday.db Firma=2 'ZEIT=2026-12-06 09:00:00' Kurs=1.5 Volumen=100").exitCode, 0);
    EXPECT_EQ(run("append INTRADAY.DB Firma=1 'ZEIT=2026-12-06 09:00:00.250' Kurs=-0.1").exitCode, 0);
    EXPECT_EQ(run("append intraday.db Firma=1 'ZEIT=2026-12-06 08:59:59' Kurs=77.02 Volumen=").exitCode, 0);
    const auto dump = run("dump Intraday.db");
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_EQ(dump.output, "Firma;ZEIT;Kurs;Volumen\n"
                           "1;2026-12-06 08:59:59;77.02;\n"
                           "1;2026-12-06 09:00:00.250;-0.1;\n"
                           "2;2026-12-06 09:00:00;1.5;100\n");
    const auto schema = run("schema Intraday.db");
    EXPECT_EQ(
        schema.output,
        "Stufe: 7\nSchlüsselfelder: 2\nDatensätze: 3\nFelder:\n  Firma I\n  ZEIT @\n  Kurs $\n  Volumen I\n");
    const auto check = run("check Intraday.db");
    EXPECT_EQ(check.exitCode, 0) << check.output;

    // The family's protected tables are fed and inspected as any other.
    marlovex::testing_support::protectTable(m_directory / "Intraday.db", px::familyPassword);
    const auto appended = run("append Intraday.db Firma=1 'ZEIT=2026-12-06 09:00:01' Kurs=3");
    EXPECT_EQ(appended.exitCode, 0) << appended.output;
    EXPECT_EQ(run("dump Intraday.db").output, "Firma;ZEIT;Kurs;Volumen\n"
                                              "1;2026-12-06 08:59:59;77.02;\n"
                                              "1;2026-12-06 09:00:00.250;-0.1;\n"
                                              "1;2026-12-06 09:00:01;3;\n"
                                              "2;2026-12-06 09:00:00;1.5;100\n");
    EXPECT_EQ(run("check Intraday.db").exitCode, 0);
}

TEST_F(Pxtool, EveryFieldTypeRoundTripsThroughAppendAndDump) {
    ASSERT_EQ(
        run("create All.db --field Name:A:12 --field N:N --field 'M:$' --field S:S --field I:I --field D:D "
            "--field T:T --field @:@ --field L:L --field +:+ --level 5")
            .exitCode,
        0);
    EXPECT_EQ(run("append All.db 'Name=Grün & Co' N=0.1 M=-3.25 S=-7 I=123456 D=2026-12-06 T=23:59:59.999 "
                  "'@=1999-12-31 23:59:59' L=false")
                  .exitCode,
              0);
    EXPECT_EQ(run("append All.db Name=leer L=true").exitCode, 0);
    EXPECT_EQ(run("dump All.db").output,
              "Name;N;M;S;I;D;T;@;L;+\n"
              "Grün & Co;0.1;-3.25;-7;123456;2026-12-06;23:59:59.999;1999-12-31 23:59:59;false;1\n"
              "leer;;;;;;;;true;2\n");
    EXPECT_NE(run("schema All.db").output.find("Stufe: 5"), std::string::npos);
}

TEST_F(Pxtool, RefusalsExitOneAndBadArgumentsExitTwoWithAGermanLine) {
    createQuotes();
    ASSERT_EQ(run("append Intraday.db Firma=1 'ZEIT=2026-12-06 09:00:00' Kurs=1").exitCode, 0);
    const struct {
        std::string arguments;
        int exitCode;
        bool usageFollows;
        std::string firstLine;
    } cases[] = {
        {"append Intraday.db Firma=1 'ZEIT=2026-12-06 09:00:00' Kurs=2", 1, false,
         "Schlüsselverletzung in der Tabelle Intraday.db: der Schlüssel ist schon vergeben."},
        {"append Intraday.db Firma=x", 2, true, "'x' ist kein gültiger Wert für das Feld 'Firma' (Typ I)."},
        {"append Intraday.db Preis=1", 2, true, "Die Tabelle Intraday.db hat kein Feld 'Preis'."},
        {"append Intraday.db Firma", 2, true, "'Firma' hat nicht die Form FELD=WERT."},
        {"dump Fehlt.db", 2, false, "Die Tabelle Fehlt.db existiert nicht."},
        {"frobnicate Intraday.db", 2, true, "Unbekannter Befehl oder falsche Argumente."},
        {"dump", 2, true, "Befehl oder Datei fehlt."},
        {"create Bad.db --field Name:A", 2, true, "Das Alpha-Feld 'Name' braucht eine Größe."},
        {"create Bad.db --field Name:Q", 2, true, "Unbekannter Feldtyp 'Q'."},
        {"create Bad.db --field Name", 2, true, "'Name' ist keine gültige Felddefinition NAME:TYP[:GRÖSSE]."},
        {"create Bad.db --field Name:I --key 2", 2, true, "--key 2 übersteigt die Zahl der Felder."},
        {"create Bad.db --field Name:I --key", 2, true, "Die Option --key braucht einen Wert."},
        {"create Bad.db --field Name:I --level x", 2, true, "'x' ist keine gültige Angabe für die Stufe."},
        {"create Bad.db --field Name:I --level 3", 2, true,
         "Die Tabelle Bad.db kann nicht mit der Stufe 3 angelegt werden; möglich sind die Stufen 4, 5 und "
         "7."},
        {"create Bad.db --feld Name:I", 2, true, "Unbekannte Option --feld."},
    };
    for (const auto& expected : cases) {
        const auto outcome = run(expected.arguments);
        EXPECT_EQ(outcome.exitCode, expected.exitCode) << expected.arguments;
        EXPECT_EQ(outcome.output.substr(0, outcome.output.find('\n')), "pxtool: " + expected.firstLine)
            << expected.arguments;
        EXPECT_EQ(outcome.output.find("\nAufruf: pxtool schema DATEI\n") != std::string::npos,
                  expected.usageFollows)
            << expected.arguments;
    }
    EXPECT_FALSE(fs::exists(m_directory / "Bad.db"));
    EXPECT_EQ(run("dump Intraday.db").output, "Firma;ZEIT;Kurs;Volumen\n1;2026-12-06 09:00:00;1;\n");
}

TEST_F(Pxtool, CheckNamesTheFaultOfADamagedTable) {
    createQuotes();
    {
        // Enough quotes for several blocks, stored in one commit through the engine.
        px::Table table;
        table.setTableName((m_directory / "Intraday.db").string());
        table.open();
        std::vector<std::vector<px::Value>> records;
        for (int i = 0; i < 400; ++i) {
            records.push_back({px::Value(std::int64_t{i % 3}), px::Value(46362.4 + i / 86400.0),
                               px::Value(1.0), px::Value(px::Null{})});
        }
        table.appendRecords(records);
    }
    ASSERT_EQ(run("check Intraday.db").exitCode, 0);
    const auto index = m_directory / "Intraday.px";
    {
        std::fstream file(index, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(0x800 + 6 + 2);
        file.put('\x7F');
    }
    const auto badIndex = run("check Intraday.db");
    EXPECT_EQ(badIndex.exitCode, 1);
    EXPECT_NE(badIndex.output.find("Primärindex"), std::string::npos) << badIndex.output;
    EXPECT_NE(badIndex.output.find("Intraday.db"), std::string::npos);

    fs::resize_file(m_directory / "Intraday.db", fs::file_size(m_directory / "Intraday.db") - 100);
    const auto truncated = run("check Intraday.db");
    EXPECT_EQ(truncated.exitCode, 1);
    EXPECT_NE(truncated.output.find("abgeschnitten"), std::string::npos) << truncated.output;
    EXPECT_EQ(run("dump Intraday.db").exitCode, 2);
}

TEST_F(Pxtool, CheckAsksForARepairThatRollsAKilledWritersCommitBack) {
    createQuotes();
    ASSERT_EQ(run("append Intraday.db Firma=1 'ZEIT=2026-12-06 09:00:00' Kurs=1").exitCode, 0);
    ASSERT_EQ(run("append Intraday.db Firma=2 'ZEIT=2026-12-06 09:00:00' Kurs=2").exitCode, 0);
    const auto oneQuote = "Firma;ZEIT;Kurs;Volumen\n1;2026-12-06 09:00:00;1;\n";
    EXPECT_EQ(run("repair Intraday.db").output, "Die Tabelle Intraday.db braucht keine Reparatur.\n");
    reviveJournal();

    // Our readers already see the state before the unfinished commit; the files still hold it.
    EXPECT_EQ(run("dump Intraday.db").output, oneQuote);
    const auto due = run("check Intraday.db");
    EXPECT_EQ(due.exitCode, 3);
    EXPECT_NE(due.output.find("Die Tabelle Intraday.db muss repariert werden"), std::string::npos)
        << due.output;
    EXPECT_NE(due.output.find("pxtool repair Intraday.db"), std::string::npos) << due.output;

    const auto repair = run("repair Intraday.db");
    EXPECT_EQ(repair.exitCode, 0);
    EXPECT_EQ(
        repair.output,
        "Die Tabelle Intraday.db ist repariert: der unterbrochene Schreibvorgang ist zurückgenommen.\n");
    const auto after = run("check Intraday.db");
    EXPECT_EQ(after.exitCode, 0) << after.output;
    EXPECT_EQ(after.output, "Die Tabelle Intraday.db ist in Ordnung: 1 Datensätze.\n");
    EXPECT_EQ(run("dump Intraday.db").output, oneQuote);
    EXPECT_EQ(run("repair Intraday.db").output, "Die Tabelle Intraday.db braucht keine Reparatur.\n");
    EXPECT_EQ(run("repair Fehlt.db").output, "pxtool: Die Tabelle Fehlt.db existiert nicht.\n");
}

} // namespace
