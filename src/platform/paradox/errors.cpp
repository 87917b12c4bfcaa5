#include "platform/paradox/errors.h"

#include "platform/paradox/file_system.h"

namespace marlovex::paradox {

TableError missingTableError(Env& env, const std::filesystem::path& dbPath) {
    const auto directory = dbPath.parent_path();
    if (!directory.empty() && !isDirectory(env, directory)) {
        return TableError("Die Tabelle " + dbPath.string() + " existiert nicht: das Verzeichnis " +
                          directory.string() + " fehlt.");
    }
    return TableError("Die Tabelle " + dbPath.string() + " existiert nicht.");
}

} // namespace marlovex::paradox
