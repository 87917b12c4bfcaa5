// A per-user store of typed settings, in the manner of a desktop registry: named values of type
// string, integer, Boolean, float or binary, grouped under keys such as
// "\SOFTWARE\Brelmund\Marlovex".
//
// The store lives in one REGEDIT4 text file (the format that registry editors import and export).
// Every write re-reads the file under an exclusive advisory lock, applies just that one change and
// replaces the file atomically (temporary file + rename), so two processes that write at once lose
// no value. Reads see the file as it was last committed by anyone.
//
// A file that cannot be parsed raises RegistryError on open, naming the file and line; the store
// then refuses to write, so the file is never replaced by less than it held.
//
// Not thread-safe: one Registry object per thread. Separate objects, in one process or several,
// may share the file.
#pragma once

#include "platform/registry/reg_file.h"
#include "platform/registry/registry_error.h"
#include "platform/registry/store_file.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace marlovex::registry {

// The path of the per-user store: $XDG_CONFIG_HOME/Brelmund/Marlovex.reg, with
// $HOME/.config as the default for $XDG_CONFIG_HOME.
std::filesystem::path defaultRegistryFile();

class Registry {
public:
    // Names the root of every key, as registry exports write it.
    static constexpr const char* currentUserRoot = "HKEY_CURRENT_USER";

    // Writers also lock the file `file` + ".lock" beside the store. Every file access goes
    // through `env`, which must outlive the object.
    explicit Registry(std::filesystem::path file, Env& env = Env::posix());

    const std::filesystem::path& file() const { return m_file; }

    bool keyExists(const std::string& key) const;
    // Keys are relative to currentUserRoot; a leading backslash is optional. Key and value names
    // compare without regard to letter case and keep the case they were created with.
    //
    // Makes `key` the current key. Returns false when it does not exist and `create` is false.
    // With `create`, a missing key is created (and the file written).
    bool openKey(const std::string& key, bool create);
    void closeKey();
    // The open key without leading backslash; empty when none is open.
    const std::string& currentKey() const { return m_currentKey; }

    // The value functions below act on the current key; calling them with no key open raises
    // RegistryError. Reading a missing value or one of another type raises RegistryError whose
    // message names the value. The name "" stands for the key's default value.
    bool valueExists(const std::string& name) const;
    std::vector<std::string> valueNames() const;

    std::string readString(const std::string& name) const;
    std::int32_t readInteger(const std::string& name) const;
    bool readBool(const std::string& name) const;
    double readFloat(const std::string& name) const;
    std::vector<std::uint8_t> readBinaryData(const std::string& name) const;

    void writeString(const std::string& name, const std::string& value);
    void writeInteger(const std::string& name, std::int32_t value);
    void writeBool(const std::string& name, bool value);
    void writeFloat(const std::string& name, double value);
    void writeBinaryData(const std::string& name, const std::vector<std::uint8_t>& value);
    // Returns false when the value does not exist.
    bool deleteValue(const std::string& name);

    // Collects the writes and deletions that follow until commitBatch(), which applies them in
    // one replacement of the file: another process sees all of them or none, so two instances
    // saving a workspace at once never mix their values. Reads meanwhile see the file without
    // them; a batch not committed when the object goes is dropped.
    void beginBatch();
    void commitBatch();

private:
    using Change = std::function<bool(RegDocument&)>;

    // The parsed file and the stamp of the version it came from; no stamp while there is no file.
    struct CachedDocument {
        std::optional<FileStamp> stamp;
        RegDocument document;
    };

    const RegDocument& committedDocument() const;
    const RegSection* currentSection() const;
    const RegValue& requireValue(const std::string& name) const;
    void requireOpenKey(const std::string& valueName) const;
    std::string currentKeyPath() const;
    // Under the writers' lock: re-reads the file, applies `change` and, when it reports a change,
    // replaces the file.
    void commitChange(const Change& change);
    void writeValue(const std::string& name, ValueData data);

    Env* m_env;
    std::filesystem::path m_file;
    std::string m_currentKey;
    bool m_keyOpen = false;
    mutable CachedDocument m_cache;
    std::optional<std::vector<Change>> m_batch;
};

} // namespace marlovex::registry
