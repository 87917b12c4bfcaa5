#include "platform/paradox/errors.h"

namespace marlovex::paradox {

TableError missingTableError(const std::filesystem::path& dbPath) {
    const auto directory = dbPath.parent_path();
    std::error_code error;
    if (!directory.empty() && !std::filesystem::is_directory(directory, error)) {
        return TableError("Die Tabelle " + dbPath.string() + " existiert nicht: das Verzeichnis " +
                          directory.string() + " fehlt.");
    }
    return TableError("Die Tabelle " + dbPath.string() + " existiert nicht.");
}

} // namespace marlovex::paradox
