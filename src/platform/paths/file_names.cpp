#include "platform/paths/file_names.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <utility>

namespace marlovex::paths {
namespace {

char lowerAscii(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

} // namespace

std::string withTrailingSeparator(std::string directory) {
    if (directory.empty() || (directory.back() != '/' && directory.back() != '\\')) {
        directory.push_back('/');
    }
    return directory;
}

std::string appDirFromProgramDir(std::string programDir) {
    std::string dir = withTrailingSeparator(std::move(programDir));
    const auto isSeparator = [](char c) { return c == '/' || c == '\\'; };
    for (std::size_t i = 0; i + 4 <= dir.size(); ++i) {
        // Only a whole folder named bin counts: "/home/robin/app/" keeps its "robin".
        const bool startsComponent = i == 0 || isSeparator(dir[i - 1]);
        if (startsComponent && lowerAscii(dir[i]) == 'b' && lowerAscii(dir[i + 1]) == 'i' &&
            lowerAscii(dir[i + 2]) == 'n' && isSeparator(dir[i + 3])) {
            dir.erase(i, 4);
            break;
        }
    }
    return dir;
}

std::filesystem::path resolveCaseInsensitive(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        return path;
    }
    const std::filesystem::path directory = path.has_parent_path() ? path.parent_path() : ".";
    const std::string wanted = path.filename().string();
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        if (equalIgnoringCase(it->path().filename().string(), wanted)) {
            return path.has_parent_path() ? path.parent_path() / it->path().filename()
                                          : it->path().filename();
        }
    }
    return path;
}

bool fileExistsCaseInsensitive(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(resolveCaseInsensitive(path), error);
}

} // namespace marlovex::paths
