#include "platform/registry/registry.h"

#include "platform/common/error.h"

#include <bit>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <utility>

namespace marlovex::registry {

namespace {

constexpr char keySeparator = '\\';

std::string quoted(const std::string& name) {
    return quotedValue(name);
}

RegistryError wrongType(const std::string& name) {
    return RegistryError("Ungültiger Datentyp für " + quoted(name));
}

bool hasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// The key without leading or trailing backslashes. Rejects empty components ("a\\b") and line
// breaks, which the file cannot hold.
std::string normalizeKey(const std::string& key) {
    const std::size_t first = key.find_first_not_of(keySeparator);
    if (first == std::string::npos)
        return {};
    const std::size_t last = key.find_last_not_of(keySeparator);
    std::string normalized = key.substr(first, last - first + 1);
    const std::string doubled{keySeparator, keySeparator};
    if (normalized.find(doubled) != std::string::npos || hasLineBreak(normalized))
        throw RegistryError("Der Schlüsselname " + quoted(key) + " ist ungültig.");
    return normalized;
}

std::string keyPathOf(const std::string& normalizedKey) {
    std::string path = Registry::currentUserRoot;
    if (!normalizedKey.empty())
        path += keySeparator + normalizedKey;
    return path;
}

std::filesystem::path lockFileOf(const std::filesystem::path& store) {
    std::filesystem::path lockFile = store;
    lockFile += ".lock";
    return lockFile;
}

std::filesystem::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    throw RegistryError("Das Benutzerverzeichnis für die Registrierungsdatei ist unbekannt.");
}

BinaryData doubleToBytes(double value) {
    auto bits = std::bit_cast<std::uint64_t>(value);
    BinaryData bytes(sizeof bits);
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(bits & 0xff);
        bits >>= 8;
    }
    return bytes;
}

double bytesToDouble(const BinaryData& bytes) {
    std::uint64_t bits = 0;
    for (auto byte = bytes.rbegin(); byte != bytes.rend(); ++byte)
        bits = (bits << 8) | *byte;
    return std::bit_cast<double>(bits);
}

} // namespace

std::filesystem::path defaultRegistryFile() {
    std::filesystem::path configHome;
    // Relative values are invalid by the XDG rules and ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/')
        configHome = xdg;
    else
        configHome = homeDirectory() / ".config";
    return configHome / "Brelmund" / "Marlovex.reg";
}

Registry::Registry(std::filesystem::path file, Env& env)
    : m_env(&env)
    , m_file(std::move(file)) {}

bool Registry::keyExists(const std::string& key) const {
    const std::string normalized = normalizeKey(key);
    return normalized.empty() || committedDocument().containsKey(keyPathOf(normalized));
}

bool Registry::openKey(const std::string& key, bool create) {
    const std::string normalized = normalizeKey(key);
    const std::string keyPath = keyPathOf(normalized);
    if (!normalized.empty() && !committedDocument().containsKey(keyPath)) {
        if (!create)
            return false;
        commitChange([keyPath](RegDocument& document) {
            if (document.containsKey(keyPath))
                return false;
            document.sectionFor(keyPath);
            return true;
        });
    }
    m_currentKey = normalized;
    m_keyOpen = true;
    return true;
}

void Registry::closeKey() {
    m_currentKey.clear();
    m_keyOpen = false;
}

bool Registry::valueExists(const std::string& name) const {
    requireOpenKey(name);
    const RegSection* section = currentSection();
    return section != nullptr && section->findValue(name) != nullptr;
}

std::vector<std::string> Registry::valueNames() const {
    requireOpenKey({});
    std::vector<std::string> names;
    if (const RegSection* section = currentSection()) {
        for (const RegValue& value : section->values)
            names.push_back(value.name);
    }
    return names;
}

std::string Registry::readString(const std::string& name) const {
    if (const auto* text = std::get_if<std::string>(&requireValue(name).data))
        return *text;
    throw wrongType(name);
}

std::int32_t Registry::readInteger(const std::string& name) const {
    if (const auto* number = std::get_if<std::uint32_t>(&requireValue(name).data))
        return static_cast<std::int32_t>(*number);
    throw wrongType(name);
}

bool Registry::readBool(const std::string& name) const {
    return readInteger(name) != 0;
}

double Registry::readFloat(const std::string& name) const {
    const BinaryData bytes = readBinaryData(name);
    if (bytes.size() != sizeof(double))
        throw wrongType(name);
    return bytesToDouble(bytes);
}

std::vector<std::uint8_t> Registry::readBinaryData(const std::string& name) const {
    const ValueData& data = requireValue(name).data;
    if (const auto* binary = std::get_if<BinaryData>(&data))
        return *binary;
    if (const auto* typed = std::get_if<TypedHexData>(&data))
        return typed->bytes;
    throw wrongType(name);
}

void Registry::writeString(const std::string& name, const std::string& value) {
    if (hasLineBreak(value))
        throw RegistryError("Der Wert " + quoted(name) +
                            " enthält einen Zeilenumbruch und kann nicht gespeichert werden.");
    writeValue(name, value);
}

void Registry::writeInteger(const std::string& name, std::int32_t value) {
    writeValue(name, static_cast<std::uint32_t>(value));
}

void Registry::writeBool(const std::string& name, bool value) {
    writeValue(name, std::uint32_t{value ? 1u : 0u});
}

void Registry::writeFloat(const std::string& name, double value) {
    writeValue(name, doubleToBytes(value));
}

void Registry::writeBinaryData(const std::string& name, const std::vector<std::uint8_t>& value) {
    writeValue(name, value);
}

bool Registry::deleteValue(const std::string& name) {
    if (!valueExists(name))
        return false;
    const std::string keyPath = currentKeyPath();
    commitChange([keyPath, name](RegDocument& document) {
        RegSection* section = document.findSection(keyPath);
        return section != nullptr && section->eraseValue(name);
    });
    return true;
}

const RegDocument& Registry::committedDocument() const {
    const FileDescriptor descriptor = openIfExists(*m_env, m_file);
    if (!descriptor) {
        m_cache = CachedDocument{};
        return m_cache.document;
    }
    const FileStamp stamp = stampOf(*m_env, descriptor, m_file);
    if (m_cache.stamp != stamp) {
        // Parse before replacing the cache, so that a bad file leaves nothing half-cached.
        RegDocument document = parseRegFile(readAll(*m_env, descriptor, m_file), m_file);
        m_cache = CachedDocument{stamp, std::move(document)};
    }
    return m_cache.document;
}

const RegSection* Registry::currentSection() const {
    return committedDocument().findSection(currentKeyPath());
}

const RegValue& Registry::requireValue(const std::string& name) const {
    requireOpenKey(name);
    const RegSection* section = currentSection();
    const RegValue* value = section != nullptr ? section->findValue(name) : nullptr;
    if (value == nullptr)
        throw RegistryError("Der Wert " + quoted(name) + " existiert nicht.");
    return *value;
}

void Registry::requireOpenKey(const std::string& valueName) const {
    if (!m_keyOpen)
        throw RegistryError(valueName.empty() ? std::string("Es ist kein Registrierungsschlüssel geöffnet.")
                                              : "Für den Wert " + quoted(valueName) +
                                                    " ist kein Registrierungsschlüssel geöffnet.");
}

std::string Registry::currentKeyPath() const {
    return keyPathOf(m_currentKey);
}

void Registry::beginBatch() {
    m_batch.emplace();
}

void Registry::commitBatch() {
    if (!m_batch) {
        return;
    }
    const std::vector<Change> changes = std::move(*m_batch);
    m_batch.reset();
    commitChange([&changes](RegDocument& document) {
        bool changed = false;
        for (const Change& change : changes) {
            changed = change(document) || changed;
        }
        return changed;
    });
}

void Registry::commitChange(const Change& change) {
    if (m_batch) {
        m_batch->push_back(change);
        return;
    }
    createParentDirectories(*m_env, m_file);
    const ExclusiveFileLock lock(*m_env, lockFileOf(m_file));
    // Always re-read under the lock, even when the cached stamp matches: a freed inode can be
    // reused within one clock tick, and a stale base would drop another writer's values.
    CachedDocument current;
    if (const FileDescriptor descriptor = openIfExists(*m_env, m_file)) {
        current.stamp = stampOf(*m_env, descriptor, m_file);
        current.document = parseRegFile(readAll(*m_env, descriptor, m_file), m_file);
    }
    if (change(current.document))
        current.stamp = replaceFileAtomically(*m_env, m_file, serializeRegFile(current.document));
    m_cache = std::move(current);
}

void Registry::writeValue(const std::string& name, ValueData data) {
    requireOpenKey(name);
    if (hasLineBreak(name))
        throw RegistryError("Der Wertname " + quoted(name) + " enthält einen Zeilenumbruch.");
    const std::string keyPath = currentKeyPath();
    commitChange([keyPath, name, data = std::move(data)](RegDocument& document) {
        return document.sectionFor(keyPath).setValue(name, data);
    });
}

} // namespace marlovex::registry
