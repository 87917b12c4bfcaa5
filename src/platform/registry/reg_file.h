// The REGEDIT4 text format that registry editors import and export: a parsed document of keys
// ("sections") holding typed values, its parser and its writer. The writer produces the layout
// the editors write themselves: CR LF line ends, a blank line after each key, hex data wrapped
// near 80 columns.
//
// Plain values and pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace marlovex::registry {

using BinaryData = std::vector<std::uint8_t>;

// A value written as hex(N): of a type the store does not interpret (expandable or multi
// strings, 64-bit integers...). Kept with its type so that rewriting the file leaves it intact.
struct TypedHexData {
    std::uint32_t type = 0;
    BinaryData bytes;

    bool operator==(const TypedHexData&) const = default;
};

// "text", dword:, hex: or hex(N):.
using ValueData = std::variant<std::string, std::uint32_t, BinaryData, TypedHexData>;

struct RegValue {
    std::string name; // empty for the key's default value, written as @
    ValueData data;
};

struct RegSection {
    std::string keyPath; // with its root, e.g. "HKEY_CURRENT_USER\SOFTWARE\Brelmund"
    std::vector<RegValue> values;

    RegValue* findValue(std::string_view name);
    const RegValue* findValue(std::string_view name) const;
    // Replaces the value's data or appends a new value. Returns false when nothing changed.
    bool setValue(std::string_view name, ValueData data);
    bool eraseValue(std::string_view name);
};

struct RegDocument {
    std::vector<RegSection> sections;

    RegSection* findSection(std::string_view keyPath);
    const RegSection* findSection(std::string_view keyPath) const;
    // The section of `keyPath`, appended empty when missing.
    RegSection& sectionFor(std::string_view keyPath);
    // A key exists when it has a section or any of its subkeys has one: exports need not list
    // every parent key.
    bool containsKey(std::string_view keyPath) const;
};

// Key and value names compare without regard to letter case, as in the desktop registry: ASCII
// letters and the Latin-1 letters (umlauts, accented vowels).
std::string foldNameCase(std::string_view name);
bool sameName(std::string_view a, std::string_view b);

// Parses a whole file. Throws RegistryError naming `file` and the line on any syntax error.
// Sections or values that appear twice are merged, the later value winning, as an import would.
RegDocument parseRegFile(std::string_view text, const std::filesystem::path& file);

std::string serializeRegFile(const RegDocument& document);

} // namespace marlovex::registry
