// The table engine's session: process-wide settings that every table opened afterwards uses.
//
// The program configures it once at start-up, before any table is touched: the session-only
// configuration mode (nothing the session defines is stored for other programs), the password
// of the product family's protected tables, and the network control directory, the shared place
// where programs that use the same data directory meet. The engine itself keeps each table's
// lock and journal next to the table, so that every program, also one without this setting,
// meets at the same lock.
//
// Not thread-safe: configure it from the user-interface thread before opening tables.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace marlovex::paradox {

// The password of the product family's protected tables; each of its programs adds it to its
// session.
inline constexpr std::string_view familyPassword = "WillowFrost";

enum class ConfigMode {
    // Aliases and settings are visible to this session only and never stored.
    SessionOnly,
    // Settings are shared with other programs through the engine's configuration.
    Global,
};

class Session {
public:
    ConfigMode configMode() const { return m_configMode; }
    void setConfigMode(ConfigMode mode) { m_configMode = mode; }

    // Passwords tried when a protected table is opened.
    void addPassword(const std::string& password);
    const std::vector<std::string>& passwords() const { return m_passwords; }
    // Whether one of the passwords is the one whose check value a protected table stores.
    bool knowsPassword(std::uint32_t check) const;

    const std::filesystem::path& netFileDir() const { return m_netFileDir; }
    void setNetFileDir(const std::filesystem::path& directory) { m_netFileDir = directory; }

private:
    ConfigMode m_configMode = ConfigMode::Global;
    std::vector<std::string> m_passwords;
    std::filesystem::path m_netFileDir;
};

// The one session of the process.
Session& session();

} // namespace marlovex::paradox
