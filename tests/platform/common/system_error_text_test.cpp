#include "platform/common/system_error_text.h"
#include "support/temp_directory.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <ios>
#include <set>
#include <unistd.h>

namespace marlovex {
namespace {

TEST(SystemErrorText, GivesEveryCommonFileErrorItsOwnGermanTextAndReadsTheErrorsOfFileOperations) {
    const int common[] = {ENOENT, EACCES, EPERM, ENOSPC, EDQUOT, EROFS,        EEXIST, ENOTDIR, EISDIR,
                          EAGAIN, EIO,    EBUSY, EMFILE, ENFILE, ENAMETOOLONG, EXDEV,  ENOLCK,  ESTALE};
    std::set<std::string> texts;
    for (const int error : common) {
        const auto text = systemErrorText(error);
        EXPECT_FALSE(text.starts_with("Systemfehler")) << error;
        // The C library's text is English under the tests' C locale.
        EXPECT_NE(text, std::strerror(error)) << error;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), std::size(common));
    EXPECT_EQ(systemErrorText(ENOENT), "die Datei oder das Verzeichnis existiert nicht");
    EXPECT_EQ(systemErrorText(9999), "Systemfehler 9999");
    // The errors that file operations report are read as well.
    testing_support::TempDirectory directory;
    std::error_code missing;
    std::filesystem::resize_file(directory.path() / "fehlt.db", 0, missing);
    ASSERT_TRUE(missing);
    EXPECT_EQ(systemErrorText(missing), systemErrorText(ENOENT));

    const int descriptor = ::open(directory.path().c_str(), O_WRONLY);
    ASSERT_EQ(descriptor, -1);
    EXPECT_EQ(systemErrorText(std::error_code(errno, std::system_category())),
              "der Pfad ist ein Verzeichnis");

    // Codes of other categories do not carry errno values.
    const auto stream = std::make_error_code(std::io_errc::stream);
    EXPECT_EQ(systemErrorText(stream), stream.message());
}

} // namespace
} // namespace marlovex
