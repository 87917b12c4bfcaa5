#include "platform/paths/file_names.h"
#include "support/temp_directory.h"

#include <gtest/gtest.h>
#include <string>

namespace marlovex::paths {
namespace {

TEST(AppDirTest, CutsTheFirstBinFolderInAnyCaseButNoFolderThatOnlyEndsInBinAndAddsTheSeparator) {
    EXPECT_EQ(appDirFromProgramDir("/opt/tools/bin"), "/opt/tools/");
    EXPECT_EQ(appDirFromProgramDir("/x/BIN/"), "/x/");
    EXPECT_EQ(appDirFromProgramDir("/x/bin/y/"), "/x/y/");
    EXPECT_EQ(appDirFromProgramDir("C:\\TOOLS\\Bin\\"), "C:\\TOOLS\\");
    EXPECT_EQ(appDirFromProgramDir("bin/x"), "x/");
    // Only the first bin folder goes.
    EXPECT_EQ(appDirFromProgramDir("/a/bin/b/bin"), "/a/b/bin/");
    // Folder names that only end in bin stay.
    EXPECT_EQ(appDirFromProgramDir("/x/robin/app/"), "/x/robin/app/");
    EXPECT_EQ(appDirFromProgramDir("/srv/cabin/x/bin"), "/srv/cabin/x/");
    EXPECT_EQ(appDirFromProgramDir("C:\\CABIN\\X\\"), "C:\\CABIN\\X\\");
    EXPECT_EQ(appDirFromProgramDir("/home/robin"), "/home/robin/");
    EXPECT_EQ(appDirFromProgramDir("/x/binary/"), "/x/binary/");
    // Letter case stays, and the separator is added.
    EXPECT_EQ(appDirFromProgramDir("/home/Trader/Marlovex"), "/home/Trader/Marlovex/");
    EXPECT_EQ(appDirFromProgramDir("/home/trader"), "/home/trader/");
    EXPECT_EQ(withTrailingSeparator(""), "/");
    EXPECT_EQ(withTrailingSeparator("/data/"), "/data/");
}

class CaseInsensitiveFilesTest : public testing::Test {
protected:
    void SetUp() override {
        m_temporary.writeFile("Intraday.DB", "x");
        std::filesystem::create_directory(m_directory / "Daten");
    }

    testing_support::TempDirectory m_temporary;
    std::filesystem::path m_directory = m_temporary.path();
};

TEST_F(CaseInsensitiveFilesTest, FindsAFileWhateverTheCaseOfItsNameButNoDirectory) {
    EXPECT_EQ(resolveCaseInsensitive(m_directory / "intraday.db"), m_directory / "Intraday.DB");
    EXPECT_EQ(resolveCaseInsensitive(m_directory / "INTRADAY.DB"), m_directory / "Intraday.DB");
    EXPECT_TRUE(fileExistsCaseInsensitive(m_directory / "Intraday.db"));
    // Unknown names stay as they are, and directories are no files.
    EXPECT_EQ(resolveCaseInsensitive(m_directory / "Firma.db"), m_directory / "Firma.db");
    EXPECT_FALSE(fileExistsCaseInsensitive(m_directory / "Firma.db"));
    EXPECT_FALSE(fileExistsCaseInsensitive(m_directory / "daten"));
    EXPECT_FALSE(fileExistsCaseInsensitive(m_directory / "missing-folder" / "Intraday.db"));
}

} // namespace
} // namespace marlovex::paths
