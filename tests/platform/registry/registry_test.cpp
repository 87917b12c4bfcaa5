#include "platform/registry/registry.h"
#include "support/error_message.h"
#include "support/temp_directory.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <sys/stat.h>

namespace marlovex::registry {
namespace {

using testing_support::messageOf;
using testing_support::readText;
using testing_support::TempDirectory;

const std::string settingsKey = "\\SOFTWARE\\Brelmund\\Marlovex";

std::vector<std::filesystem::path> directoryEntries(const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> entries;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        entries.push_back(entry.path().filename());
    std::sort(entries.begin(), entries.end());
    return entries;
}

class RegistryTest : public ::testing::Test {
protected:
    std::filesystem::path storeFile() const { return m_directory.path() / "Brelmund" / "Marlovex.reg"; }

    // An object that has read nothing yet, so it sees only what reached the file.
    Registry freshRegistry() const {
        Registry registry(storeFile());
        EXPECT_TRUE(registry.openKey(settingsKey, false));
        return registry;
    }

    Registry openedRegistry() {
        Registry registry(storeFile());
        EXPECT_TRUE(registry.openKey(settingsKey, true));
        return registry;
    }

    void writeStore(const std::string& contents) { m_directory.writeFile("Brelmund/Marlovex.reg", contents); }

    TempDirectory m_directory;
};

// A missing file is an empty store, and neither a search nor a malformed key name writes it.
TEST_F(RegistryTest, MissingFileIsAnEmptyStoreAndMalformedKeyNamesAreRejected) {
    Registry registry(storeFile());
    EXPECT_FALSE(registry.keyExists(settingsKey));
    EXPECT_FALSE(registry.openKey(settingsKey, false));
    EXPECT_EQ(registry.currentKey(), "");
    EXPECT_EQ(messageOf<RegistryError>([&] { registry.openKey("SOFTWARE\\\\Brelmund", true); }),
              "Der Schlüsselname 'SOFTWARE\\\\Brelmund' ist ungültig.");
    EXPECT_THROW(registry.openKey("SOFTWARE\nBrelmund", true), RegistryError);
    EXPECT_FALSE(std::filesystem::exists(storeFile().parent_path()));
}

TEST_F(RegistryTest, OpenKeyWithCreateMakesDirectoriesAndFile) {
    const std::filesystem::path nested = m_directory.path() / "a" / "b" / "c" / "Marlovex.reg";
    Registry registry(nested);
    EXPECT_TRUE(registry.openKey("SOFTWARE\\Brelmund\\Marlovex\\", true));
    EXPECT_EQ(registry.currentKey(), "SOFTWARE\\Brelmund\\Marlovex");
    EXPECT_EQ(readText(nested), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Brelmund\\Marlovex]\r\n\r\n");

    Registry other(nested);
    EXPECT_TRUE(other.keyExists(settingsKey));
    EXPECT_TRUE(other.keyExists("\\SOFTWARE\\Brelmund"));
    EXPECT_FALSE(other.keyExists("\\SOFTWARE\\Brel"));
    EXPECT_FALSE(other.keyExists("\\SOFTWARE\\Brelmund\\Marlovex\\Sub"));
}

TEST_F(RegistryTest, LineBreaksAreRefusedWithoutTouchingTheFileAndValuesNeedAnOpenKey) {
    Registry registry = openedRegistry();
    registry.writeString("Pfad", "alt");
    const std::string before = readText(storeFile());
    EXPECT_EQ(messageOf<RegistryError>([&] { registry.writeString("Pfad", "zwei\nZeilen"); }),
              "Der Wert 'Pfad' enthält einen Zeilenumbruch und kann nicht gespeichert werden.");
    EXPECT_EQ(messageOf<RegistryError>([&] { registry.writeInteger("zwei\r\nZeilen", 1); }),
              "Der Wertname 'zwei\r\nZeilen' enthält einen Zeilenumbruch.");
    EXPECT_EQ(readText(storeFile()), before);

    registry.closeKey();
    EXPECT_EQ(registry.currentKey(), "");
    EXPECT_THROW(registry.valueExists("A"), RegistryError);
    EXPECT_EQ(messageOf<RegistryError>([&] { registry.writeInteger("A", 1); }),
              "Für den Wert 'A' ist kein Registrierungsschlüssel geöffnet.");
    EXPECT_EQ(messageOf<RegistryError>([&] { registry.valueNames(); }),
              "Es ist kein Registrierungsschlüssel geöffnet.");
}

TEST_F(RegistryTest, IntegersAndBooleansRoundTripAsDwordsAndFloatsBitExactAsEightBytes) {
    using Limits = std::numeric_limits<std::int32_t>;
    const std::vector<std::int32_t> numbers = {0, 1, 42, -1, -42, Limits::min(), Limits::max()};
    using Double = std::numeric_limits<double>;
    const std::vector<double> values = {0.0,
                                        -0.0,
                                        1.5,
                                        -0.1,
                                        Double::infinity(),
                                        -Double::infinity(),
                                        Double::quiet_NaN(),
                                        std::bit_cast<double>(std::uint64_t{0xfff0000000000001}),
                                        std::bit_cast<double>(std::uint64_t{0x7ff8dead0000beef}),
                                        Double::denorm_min(),
                                        Double::max()};
    {
        Registry registry = openedRegistry();
        for (std::size_t i = 0; i < numbers.size(); ++i)
            registry.writeInteger("Zahl" + std::to_string(i), numbers[i]);
        registry.writeBool("Ja", true);
        registry.writeBool("Nein", false);
        registry.writeInteger("Drei", 3);
        for (std::size_t i = 0; i < values.size(); ++i)
            registry.writeFloat("F" + std::to_string(i), values[i]);
    }
    const Registry registry = freshRegistry();
    for (std::size_t i = 0; i < numbers.size(); ++i)
        EXPECT_EQ(registry.readInteger("Zahl" + std::to_string(i)), numbers[i]);
    EXPECT_TRUE(registry.readBool("Ja"));
    EXPECT_FALSE(registry.readBool("Nein"));
    EXPECT_TRUE(registry.readBool("Drei"));
    EXPECT_EQ(registry.readInteger("Ja"), 1);
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(registry.readFloat("F" + std::to_string(i))),
                  std::bit_cast<std::uint64_t>(values[i]))
            << i;
    }
    EXPECT_EQ(registry.readBinaryData("F2"), (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0xf8, 0x3f}));

    const std::string text = readText(storeFile());
    EXPECT_NE(text.find("\"Zahl2\"=dword:0000002a\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Zahl3\"=dword:ffffffff\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Ja\"=dword:00000001\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Nein\"=dword:00000000\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"F2\"=hex:00,00,00,00,00,00,f8,3f\r\n"), std::string::npos);
}

TEST_F(RegistryTest, NamesCompareWithoutLetterCaseAndKeepTheirSpelling) {
    {
        Registry registry = openedRegistry();
        registry.writeInteger("ShowWinWidth", 640);
        registry.writeString("Größe", "klein");
        registry.writeInteger("SHOWWINWIDTH", 800);
        registry.writeString("GRÖßE", "groß");
    }
    Registry registry(storeFile());
    EXPECT_TRUE(registry.keyExists("software\\BRELMUND\\marlovex"));
    ASSERT_TRUE(registry.openKey("\\software\\brelmund\\MARLOVEX", false));
    EXPECT_EQ(registry.readInteger("showwinwidth"), 800);
    EXPECT_EQ(registry.readString("größe"), "groß");
    EXPECT_TRUE(registry.valueExists("sHoWwInWiDtH"));
    EXPECT_EQ(registry.valueNames(), (std::vector<std::string>{"ShowWinWidth", "Größe"}));

    // Opening with other letter case must not add a second section.
    registry.writeInteger("Neu", 1);
    const std::string text = readText(storeFile());
    EXPECT_EQ(text.find("[HKEY_CURRENT_USER\\"), text.rfind("[HKEY_CURRENT_USER\\"));
}

TEST_F(RegistryTest, ReadsOfTheWrongTypeOrOfAMissingValueNameTheValue) {
    Registry registry = openedRegistry();
    registry.writeString("ShowWinWidth", "640");
    registry.writeInteger("Zahl", 7);
    registry.writeBinaryData("Vier", {1, 2, 3, 4});
    registry.writeFloat("Bank", 0.25);
    const auto expectWrongType = [](const std::string& name, const auto& read) {
        EXPECT_EQ(messageOf<RegistryError>(read), "Ungültiger Datentyp für '" + name + "'");
    };
    expectWrongType("ShowWinWidth", [&] { registry.readInteger("ShowWinWidth"); });
    expectWrongType("ShowWinWidth", [&] { registry.readBool("ShowWinWidth"); });
    expectWrongType("ShowWinWidth", [&] { registry.readFloat("ShowWinWidth"); });
    expectWrongType("Zahl", [&] { registry.readString("Zahl"); });
    expectWrongType("Zahl", [&] { registry.readBinaryData("Zahl"); });
    expectWrongType("Vier", [&] { registry.readFloat("Vier"); });
    expectWrongType("Bank", [&] { registry.readInteger("Bank"); });
    expectWrongType("Bank", [&] { registry.readString("Bank"); });

    EXPECT_FALSE(registry.valueExists("OS_Width"));
    const auto missing = [](const std::string& name) { return "Der Wert '" + name + "' existiert nicht."; };
    EXPECT_EQ(messageOf<RegistryError>([&] { registry.readInteger("OS_Width"); }), missing("OS_Width"));
    EXPECT_EQ(messageOf<RegistryError>([&] { registry.readString("Msg_Path"); }), missing("Msg_Path"));
    EXPECT_EQ(messageOf<RegistryError>([&] { registry.readFloat("Kurs"); }), missing("Kurs"));
}

TEST_F(RegistryTest, FilesThatCannotBeReadAreNamedWithTheGermanReason) {
    // A folder in place of the settings file opens but cannot be read.
    std::filesystem::create_directories(storeFile());
    Registry unreadable(storeFile());
    EXPECT_EQ(messageOf<RegistryError>([&] { unreadable.keyExists(settingsKey); }),
              "Die Datei " + storeFile().string() +
                  " kann nicht gelesen werden: der Pfad ist ein Verzeichnis.");

    // A file in place of the folder that should hold the settings file.
    const auto blocked = m_directory.path() / "Datei" / "Brelmund" / "Marlovex.reg";
    m_directory.writeFile("Datei", "kein Verzeichnis");
    Registry homeless(blocked);
    EXPECT_EQ(messageOf<RegistryError>([&] { homeless.openKey(settingsKey, true); }),
              "Die Datei " + blocked.string() +
                  " kann nicht gelesen werden: ein Teil des Pfades ist kein Verzeichnis.");
}

TEST_F(RegistryTest, RewritePreservesForeignSectionsTypesCaseAndFilePermissionsAndLeavesNoTemporaryFiles) {
    writeStore("REGEDIT4\n\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Fremd]\n"
               "\"Maschine\"=dword:00000001\n\n"
               "[HKEY_CURRENT_USER\\Software\\Brelmund\\Marlovex]\n"
               "; comment\n"
               "\"Pfad\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\n"
               "\"Liste\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
               "\"Gross\"=hex(b):ff,ff,ff,ff,ff,ff,ff,7f\n"
               "\"Alt\"=\"bleibt\"\n\n"
               "[HKEY_CURRENT_USER\\Software\\Brelmund\\Marlovex\\Fenster1]\n"
               "\"Links\"=dword:0000000a\n");
    Registry registry = openedRegistry();
    EXPECT_EQ(registry.readBinaryData("Pfad"),
              (std::vector<std::uint8_t>{0x25, 0, 0x54, 0, 0x45, 0, 0x4d, 0, 0x50, 0, 0x25, 0, 0, 0}));
    EXPECT_THROW(registry.readString("Pfad"), RegistryError);
    registry.writeInteger("Neu", 5);

    EXPECT_EQ(readText(storeFile()), "REGEDIT4\r\n\r\n"
                                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Fremd]\r\n"
                                     "\"Maschine\"=dword:00000001\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\Brelmund\\Marlovex]\r\n"
                                     "\"Pfad\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
                                     "\"Liste\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                                     "\"Gross\"=hex(b):ff,ff,ff,ff,ff,ff,ff,7f\r\n"
                                     "\"Alt\"=\"bleibt\"\r\n"
                                     "\"Neu\"=dword:00000005\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\Brelmund\\Marlovex\\Fenster1]\r\n"
                                     "\"Links\"=dword:0000000a\r\n\r\n");
    // The rewrite keeps the file's permissions and leaves no temporary file behind.
    ASSERT_EQ(::chmod(storeFile().c_str(), 0640), 0);
    registry.writeInteger("Zahl", 1);
    struct stat status {};
    ASSERT_EQ(::stat(storeFile().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(directoryEntries(storeFile().parent_path()),
              (std::vector<std::filesystem::path>{"Marlovex.reg", "Marlovex.reg.lock"}));
}

TEST_F(RegistryTest, ReadsSeeWhatOtherObjectsCommittedAndWritesRecreateADeletedKey) {
    Registry reader = openedRegistry();
    Registry writer = openedRegistry();
    writer.writeInteger("Zahl", 1);
    EXPECT_EQ(reader.readInteger("Zahl"), 1);
    writer.writeInteger("Zahl", 2);
    EXPECT_EQ(reader.readInteger("Zahl"), 2);
    writer.deleteValue("Zahl");
    EXPECT_FALSE(reader.valueExists("Zahl"));

    // A file replaced by hand is read again too.
    writeStore("REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Brelmund\\Marlovex]\n\"Zahl\"=dword:3\n");
    EXPECT_EQ(reader.readInteger("Zahl"), 3);
    std::filesystem::remove(storeFile());
    EXPECT_FALSE(reader.keyExists(settingsKey));
    EXPECT_THROW(reader.readInteger("Zahl"), RegistryError);
    // The writer's key went with the file; its next write creates it again.
    writer.writeInteger("Zahl", 9);
    EXPECT_EQ(freshRegistry().readInteger("Zahl"), 9);
}

// A section cut off in line 6 of a file with CR LF line ends.
TEST_F(RegistryTest, EveryAccessToAMalformedFileFailsNamingFileAndLineAndTheFileStaysUnchanged) {
    const std::string malformed = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Brelmund\\Marlovex]\r\n"
                                  "\"A\"=dword:1\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Brel";
    writeStore(malformed);
    const std::string expected = "Fehler in der Registrierungsdatei " + storeFile().string() + ", Zeile 6: ";
    const auto expectParseError = [&](auto&& action) {
        const auto message = messageOf<RegistryError>(action);
        EXPECT_TRUE(message.starts_with(expected)) << message;
    };

    Registry registry(storeFile());
    expectParseError([&] { registry.keyExists(settingsKey); });
    expectParseError([&] { registry.openKey(settingsKey, false); });
    expectParseError([&] { registry.openKey("\\SOFTWARE\\Neu", true); });
    // The file may have been good when the key was opened; it went bad since.
    writeStore("REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Brelmund\\Marlovex]\n\"A\"=dword:1\n");
    ASSERT_TRUE(registry.openKey(settingsKey, false));
    ASSERT_TRUE(registry.valueExists("A"));
    writeStore(malformed);

    expectParseError([&] { registry.valueExists("A"); });
    expectParseError([&] { registry.readInteger("A"); });
    expectParseError([&] { registry.valueNames(); });
    expectParseError([&] { registry.writeInteger("A", 2); });
    expectParseError([&] { registry.writeString("B", "neu"); });
    expectParseError([&] { registry.writeFloat("C", 1.0); });
    expectParseError([&] { registry.deleteValue("A"); });
    EXPECT_EQ(readText(storeFile()), malformed);
    EXPECT_EQ(directoryEntries(storeFile().parent_path()),
              (std::vector<std::filesystem::path>{"Marlovex.reg", "Marlovex.reg.lock"}));
}

// Restores an environment variable when the test ends.
class SavedVariable {
public:
    explicit SavedVariable(const char* name)
        : m_name(name) {
        if (const char* value = std::getenv(name))
            m_value = value;
    }
    ~SavedVariable() {
        if (m_value)
            ::setenv(m_name, m_value->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_value;
};

TEST(DefaultRegistryFile, FollowsXdgConfigHomeElseHomeConfig) {
    const SavedVariable home("HOME");
    const SavedVariable configHome("XDG_CONFIG_HOME");
    ::setenv("HOME", "/home/anna", 1);
    ::setenv("XDG_CONFIG_HOME", "/srv/config", 1);
    EXPECT_EQ(defaultRegistryFile(), std::filesystem::path("/srv/config/Brelmund/Marlovex.reg"));
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(defaultRegistryFile(), std::filesystem::path("/home/anna/.config/Brelmund/Marlovex.reg"));
    ::setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(defaultRegistryFile(), std::filesystem::path("/home/anna/.config/Brelmund/Marlovex.reg"));
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(defaultRegistryFile(), std::filesystem::path("/home/anna/.config/Brelmund/Marlovex.reg"));
}

} // namespace
} // namespace marlovex::registry
