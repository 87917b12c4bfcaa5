#include "platform/registry/reg_file.h"
#include "platform/registry/registry_error.h"
#include "support/error_message.h"

#include <cctype>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace marlovex::registry {
namespace {

const std::filesystem::path sampleFile = "/home/anna/.config/Brelmund/Marlovex.reg";

std::string withCrLf(const std::string& text) {
    std::string result;
    for (const char c : text) {
        if (c == '\n')
            result += '\r';
        result += c;
    }
    return result;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    return lines;
}

BinaryData countingBytes(std::size_t count) {
    BinaryData bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7);
    return bytes;
}

// As a user or a registry editor would write it: comments, mixed case, continuation lines,
// typed hex values, a second root.
const std::string handWritten = R"(REGEDIT4

; Marlovex settings, edited by hand
[HKEY_CURRENT_USER\SOFTWARE\Brelmund\Marlovex]
"Datenpath"="C:\\Programme\\Marlovex\\Daten\\"
"Titel"="Er sagte \"Grüß Gott\""
"Leer"=""
"ShowWinWidth"=dword:0000002A
  "Negativ" = dword:ffffffff
@="Standard"
"Bank"=hex:9a,99,99,99,99,99,f1,3f
"Lang"=hex:00,01,02,\
  03,04,\
; a comment between continuation lines
  05
"Pfad"=hex(2):25,00,54,00,00,00
"Leerbinär"=hex:

[HKEY_LOCAL_MACHINE\SOFTWARE\Fremd]
"X"=dword:7
)";

class HandWrittenFile : public ::testing::TestWithParam<bool> {};

// Read as written on Linux, and as an editor on Windows may save it: CR LF, a byte order mark and
// no line break after the last line.
TEST_P(HandWrittenFile, IsReadWithEveryValueType) {
    const std::string crLf = withCrLf(handWritten);
    const std::string text = GetParam() ? "\xEF\xBB\xBF" + crLf.substr(0, crLf.size() - 2) : handWritten;
    const RegDocument document = parseRegFile(text, sampleFile);

    ASSERT_EQ(document.sections.size(), 2u);
    const RegSection& section = document.sections[0];
    EXPECT_EQ(section.keyPath, "HKEY_CURRENT_USER\\SOFTWARE\\Brelmund\\Marlovex");
    ASSERT_EQ(section.values.size(), 10u);

    EXPECT_EQ(std::get<std::string>(section.findValue("Datenpath")->data),
              "C:\\Programme\\Marlovex\\Daten\\");
    EXPECT_EQ(std::get<std::string>(section.findValue("Titel")->data), "Er sagte \"Grüß Gott\"");
    EXPECT_EQ(std::get<std::string>(section.findValue("Leer")->data), "");
    EXPECT_EQ(std::get<std::uint32_t>(section.findValue("ShowWinWidth")->data), 42u);
    EXPECT_EQ(std::get<std::uint32_t>(section.findValue("Negativ")->data), 0xffffffffu);
    EXPECT_EQ(std::get<std::string>(section.findValue("")->data), "Standard");
    EXPECT_EQ(std::get<BinaryData>(section.findValue("Bank")->data),
              (BinaryData{0x9a, 0x99, 0x99, 0x99, 0x99, 0x99, 0xf1, 0x3f}));
    EXPECT_EQ(std::get<BinaryData>(section.findValue("Lang")->data), (BinaryData{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(std::get<TypedHexData>(section.findValue("Pfad")->data),
              (TypedHexData{2, BinaryData{0x25, 0, 0x54, 0, 0, 0}}));
    EXPECT_TRUE(std::get<BinaryData>(section.findValue("Leerbinär")->data).empty());

    EXPECT_EQ(document.sections[1].keyPath, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Fremd");
    EXPECT_EQ(std::get<std::uint32_t>(document.sections[1].findValue("X")->data), 7u);
}

INSTANTIATE_TEST_SUITE_P(LineEnds, HandWrittenFile, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Windows" : "Lf"; });

TEST(RegFileParse, MergesRepeatedSectionsAndValuesLaterWinning) {
    const RegDocument document = parseRegFile("REGEDIT4\n\n[HKEY_CURRENT_USER\\Key]\n\"Wert\"=dword:1\n\n"
                                              "[hkey_current_user\\KEY]\n\"WERT\"=dword:2\n\"Neu\"=\"n\"\n",
                                              sampleFile);
    ASSERT_EQ(document.sections.size(), 1u);
    const RegSection& section = document.sections[0];
    ASSERT_EQ(section.values.size(), 2u);
    EXPECT_EQ(section.values[0].name, "Wert");
    EXPECT_EQ(std::get<std::uint32_t>(section.values[0].data), 2u);
    EXPECT_EQ(section.values[1].name, "Neu");
}

struct MalformedCase {
    const char* description;
    std::string text;
    int line;
};

void PrintTo(const MalformedCase& sample, std::ostream* out) {
    *out << sample.description;
}

class MalformedFile : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedFile, ErrorNamesFileAndLine) {
    const MalformedCase& sample = GetParam();
    const auto message =
        testing_support::messageOf<RegistryError>([&] { parseRegFile(sample.text, sampleFile); });
    EXPECT_NE(message.find(sampleFile.string()), std::string::npos) << message;
    EXPECT_NE(message.find("Zeile " + std::to_string(sample.line) + ":"), std::string::npos) << message;
}

const std::string head = "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Brelmund\\Marlovex]\n";

INSTANTIATE_TEST_SUITE_P(
    Kinds, MalformedFile,
    ::testing::Values(MalformedCase{"empty file", "", 1},
                      MalformedCase{"garbage", "\x7f\x45LF\x02\x01\x01", 1},
                      MalformedCase{"newer editor header", "Windows Registry Editor Version 5.00\n\n", 1},
                      MalformedCase{"truncated section header", "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFT", 3},
                      MalformedCase{"empty section name", "REGEDIT4\n\n[]\n", 3},
                      MalformedCase{"value before any section", "REGEDIT4\n\n\"A\"=dword:1\n", 3},
                      MalformedCase{"text line", head + "\"A\"=dword:1\nhallo\n", 5},
                      MalformedCase{"bad escape", head + "\"A\"=\"C:\\Daten\"\n", 4},
                      MalformedCase{"unterminated string", head + "\"A\"=\"offen\n", 4},
                      MalformedCase{"unterminated name", head + "\"A=dword:1\n", 4},
                      MalformedCase{"missing equals sign", head + "\"A\" dword:1\n", 4},
                      MalformedCase{"text after string", head + "\"A\"=\"x\" y\n", 4},
                      MalformedCase{"dword too long", head + "\"A\"=dword:123456789\n", 4},
                      MalformedCase{"dword not hex", head + "\"A\"=dword:12g4\n", 4},
                      MalformedCase{"empty dword", head + "\"A\"=dword:\n", 4},
                      MalformedCase{"bad hex byte", head + "\"A\"=hex:00,zz,01\n", 4},
                      MalformedCase{"hex byte too long", head + "\"A\"=hex:100\n", 4},
                      MalformedCase{"trailing comma", head + "\"A\"=hex:00,01,\n", 4},
                      MalformedCase{"bad hex on continuation line", head + "\"A\"=hex:00,\\\n  01,x2\n", 5},
                      MalformedCase{"continuation cut off", head + "\"A\"=hex:00,01,\\\n", 4},
                      MalformedCase{"blank continuation line", head + "\"A\"=hex:00,\\\n\n\"B\"=dword:1\n",
                                    5},
                      MalformedCase{"bad hex type", head + "\"A\"=hex(zz):00\n", 4},
                      MalformedCase{"unknown type", head + "\"A\"=qword:1\n", 4},
                      MalformedCase{"deletion entry", head + "\"A\"=-\n", 4}),
    [](const auto& info) {
        std::string name;
        for (const char c : std::string(info.param.description))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(RegFileWrite, UsesEditorLayoutWithCrLfAndWrapsLongHexDataNearEightyColumns) {
    RegDocument document;
    RegSection& section = document.sectionFor("HKEY_CURRENT_USER\\SOFTWARE\\Brelmund\\Marlovex");
    section.setValue("Datenpath", std::string("C:\\Daten\\ \"x\""));
    section.setValue("ShowWinWidth", std::uint32_t{42});
    section.setValue("", std::string("Standard"));
    section.setValue("Farbe", BinaryData{0x00, 0xff, 0x10});
    section.setValue("Q", TypedHexData{0xb, BinaryData{1, 0, 0, 0, 0, 0, 0, 0}});
    document.sectionFor("HKEY_CURRENT_USER\\SOFTWARE\\Leer");

    EXPECT_EQ(serializeRegFile(document), "REGEDIT4\r\n"
                                          "\r\n"
                                          "[HKEY_CURRENT_USER\\SOFTWARE\\Brelmund\\Marlovex]\r\n"
                                          "\"Datenpath\"=\"C:\\\\Daten\\\\ \\\"x\\\"\"\r\n"
                                          "\"ShowWinWidth\"=dword:0000002a\r\n"
                                          "@=\"Standard\"\r\n"
                                          "\"Farbe\"=hex:00,ff,10\r\n"
                                          "\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                                          "\r\n"
                                          "[HKEY_CURRENT_USER\\SOFTWARE\\Leer]\r\n"
                                          "\r\n");
    // Long hex data wraps near eighty columns.
    RegDocument wrapped;
    const BinaryData bytes = countingBytes(300);
    wrapped.sectionFor("HKEY_CURRENT_USER\\A").setValue("Lang", bytes);
    const std::string text = serializeRegFile(wrapped);

    const std::vector<std::string> lines = linesOf(text);
    std::size_t firstHexLine = 0;
    while (firstHexLine < lines.size() && !lines[firstHexLine].starts_with("\"Lang\"=hex:"))
        ++firstHexLine;
    ASSERT_LT(firstHexLine, lines.size());
    std::size_t lastHexLine = firstHexLine;
    while (lines[lastHexLine].ends_with("\\"))
        ++lastHexLine;
    ASSERT_GT(lastHexLine, firstHexLine + 2) << text;
    for (std::size_t i = firstHexLine; i <= lastHexLine; ++i) {
        EXPECT_LE(lines[i].size(), 80u) << lines[i];
        if (i > firstHexLine) {
            EXPECT_TRUE(lines[i].starts_with("  ") && lines[i][2] != ' ') << lines[i];
        }
        if (i < lastHexLine) {
            EXPECT_GE(lines[i].size(), 76u) << lines[i];
            EXPECT_TRUE(lines[i].ends_with(",\\")) << lines[i];
        }
    }

    const RegDocument reread = parseRegFile(text, sampleFile);
    EXPECT_EQ(std::get<BinaryData>(reread.sections.at(0).findValue("Lang")->data), bytes);
}

TEST(RegFileWrite, ParsesBackWhatItWrites) {
    RegDocument document;
    RegSection& section = document.sectionFor("HKEY_CURRENT_USER\\SOFTWARE\\Brelmund\\Marlovex");
    const std::vector<std::string> texts = {"",
                                            "\\",
                                            "\\\\server\\share\\",
                                            "\"",
                                            "a\"b\\\"c",
                                            "Ärger über Öl, Maß",
                                            "  führende und folgende Leerzeichen  ",
                                            "Tab\tund ;Semikolon",
                                            "[x]=@"};
    for (std::size_t i = 0; i < texts.size(); ++i)
        section.setValue("Text " + texts[i] + std::to_string(i), texts[i]);
    section.setValue("Ganz", std::uint32_t{0x80000000u});
    section.setValue("Typ", TypedHexData{0x7, countingBytes(120)});
    section.setValue("Leer", BinaryData{});
    section.setValue("@", std::string("a value named @, not the default"));
    document.sectionFor("HKEY_LOCAL_MACHINE\\Fremd\\Ä]").setValue("", std::uint32_t{3});

    const RegDocument reread = parseRegFile(serializeRegFile(document), sampleFile);
    ASSERT_EQ(reread.sections.size(), document.sections.size());
    for (std::size_t s = 0; s < document.sections.size(); ++s) {
        EXPECT_EQ(reread.sections[s].keyPath, document.sections[s].keyPath);
        ASSERT_EQ(reread.sections[s].values.size(), document.sections[s].values.size());
        for (std::size_t v = 0; v < document.sections[s].values.size(); ++v) {
            EXPECT_EQ(reread.sections[s].values[v].name, document.sections[s].values[v].name);
            EXPECT_EQ(reread.sections[s].values[v].data, document.sections[s].values[v].data)
                << document.sections[s].values[v].name;
        }
    }
}

TEST(RegNames, CompareWithoutLetterCaseIncludingUmlautsAndKeepTheirFirstSpelling) {
    EXPECT_TRUE(sameName("ShowWinWidth", "SHOWWINWIDTH"));
    EXPECT_FALSE(sameName("Größe Ändern", "GRÖSSE ändern"));
    EXPECT_TRUE(sameName("Größe Ändern", "GRÖße äNDERN"));
    EXPECT_TRUE(sameName("ÀÉÎÕÜÞ", "àéîõüþ"));
    EXPECT_FALSE(sameName("×", "÷"));
    EXPECT_FALSE(sameName("Wert1", "Wert2"));
    EXPECT_FALSE(sameName("Wert", "Werte"));
    // setValue reports whether it changed anything and keeps the first spelling of a name.
    RegSection section;
    EXPECT_TRUE(section.setValue("ShowWinWidth", std::uint32_t{1}));
    EXPECT_FALSE(section.setValue("showwinwidth", std::uint32_t{1}));
    EXPECT_TRUE(section.setValue("SHOWWINWIDTH", std::string("1")));
    ASSERT_EQ(section.values.size(), 1u);
    EXPECT_EQ(section.values[0].name, "ShowWinWidth");
    EXPECT_TRUE(section.eraseValue("showWinWidth"));
    EXPECT_FALSE(section.eraseValue("ShowWinWidth"));
}

} // namespace
} // namespace marlovex::registry
