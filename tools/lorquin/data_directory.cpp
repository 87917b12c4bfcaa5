#include "lorquin/data_directory.h"

#include "platform/paths/file_names.h"
#include "platform/registry/registry.h"

#include <system_error>

namespace marlovex::lorquin {
namespace {

const char* const settingsKey = "\\SOFTWARE\\Brelmund\\Marlovex";
const char* const dataPathValue = "Datenpath";

} // namespace

std::string programDirectory(const std::string& argv0) {
    std::error_code error;
    auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        program = std::filesystem::weakly_canonical(std::filesystem::absolute(argv0));
    }
    return program.parent_path().string();
}

std::string dataDirectory(const std::string& programDir, const std::filesystem::path& registryFile) {
    registry::Registry settings(registryFile);
    if (settings.openKey(settingsKey, false) && settings.valueExists(dataPathValue)) {
        return paths::withTrailingSeparator(settings.readString(dataPathValue));
    }
    return paths::appDirFromProgramDir(programDir) + "Daten/";
}

} // namespace marlovex::lorquin
