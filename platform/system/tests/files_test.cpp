#include "platform/system/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/system/arguments.h"

namespace fs = std::filesystem;

namespace {

class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("files_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir_;
};

}  // namespace

TEST_F(TempFolder, LinesEndInCrLfAndAppendKeepsEarlierLines) {
  platform::TextFile file;
  ASSERT_TRUE(file.OpenForAppend(Path("a.txt")));
  EXPECT_TRUE(file.WriteLine("0 0.05"));
  EXPECT_TRUE(file.Close());
  ASSERT_TRUE(file.OpenForAppend(Path("a.txt")));
  file.WriteLine("x\ty");
  file.Close();
  EXPECT_EQ(Read(Path("a.txt")), "0 0.05\r\nx\ty\r\n");

  ASSERT_TRUE(file.OpenForWriting(Path("a.txt")));
  file.WriteLine("new");
  file.Close();
  EXPECT_EQ(Read(Path("a.txt")), "new\r\n");
}

TEST_F(TempFolder, OpeningFailsInAMissingFolderOrOnAFolder) {
  platform::TextFile file;
  EXPECT_FALSE(file.OpenForAppend(Path("missing/a.txt")));
  EXPECT_FALSE(file.OpenForAppend(dir_.string()));
  EXPECT_FALSE(file.OpenForAppend(""));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_FALSE(file.WriteLine("nothing"));
}

TEST_F(TempFolder, ChecksAndDeletesFiles) {
  using platform::FileCheck;
  EXPECT_EQ(platform::CheckFile(Path("a.txt")), FileCheck::Missing);
  EXPECT_EQ(platform::CheckFile(Path("no/such/a.txt")), FileCheck::Missing);
  std::ofstream(Path("a.txt")) << "x";
  EXPECT_EQ(platform::CheckFile(Path("a.txt")), FileCheck::Exists);
  EXPECT_EQ(platform::CheckFile(dir_.string()), FileCheck::Error);
  EXPECT_TRUE(platform::DeleteFile(Path("a.txt")));
  EXPECT_EQ(platform::CheckFile(Path("a.txt")), FileCheck::Missing);
  EXPECT_TRUE(platform::IsExistingFolder(dir_.string()));
  EXPECT_TRUE(platform::IsExistingFolder(dir_.string() + "/"));
  EXPECT_FALSE(platform::IsExistingFolder(Path("a.txt")));
}

TEST_F(TempFolder, NamesBeyondAsciiReachTheFileSystemUnchanged) {
  // Names are UTF-8 throughout; Windows takes them through its wide-character calls.
  const std::string name = "R\xC3\xA9sultat \xCE\xB1.txt";
  const std::string path = dir_.string() + "/" + name;
  platform::TextFile file;
  ASSERT_TRUE(file.OpenForWriting(path));
  EXPECT_TRUE(file.WriteLine("1"));
  EXPECT_TRUE(file.Close());
  ASSERT_TRUE(platform::ReplaceFileContents(path, "2\r\n", nullptr));
  EXPECT_EQ(platform::CheckFile(path), platform::FileCheck::Exists);
  // The file system holds the name itself: the whole contents are under it.
  EXPECT_EQ(fs::file_size(dir_ / fs::u8path(name)), 3u);
  EXPECT_TRUE(platform::DeleteFile(path));
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST(Folders, JoinsWithOneSeparatorAndDefaultsToHome) {
#ifdef _WIN32
  EXPECT_EQ(platform::JoinPath("C:", "ReportFile1.txt"), "C:\\ReportFile1.txt");
  EXPECT_EQ(platform::JoinPath("C:\\", "ReportFile1.txt"), "C:\\ReportFile1.txt");
  EXPECT_EQ(platform::JoinPath("C:/", "ReportFile1.txt"), "C:/ReportFile1.txt");
#else
  EXPECT_EQ(platform::JoinPath("/tmp", "ReportFile1.txt"), "/tmp/ReportFile1.txt");
  EXPECT_EQ(platform::JoinPath("/tmp/", "ReportFile1.txt"), "/tmp/ReportFile1.txt");
#endif
  EXPECT_TRUE(platform::IsExistingFolder(platform::DefaultFolder()));
  float t = platform::SecondsSinceMidnight();
  EXPECT_GE(t, 0.0f);
  EXPECT_LT(t, 86401.0f);
}

TEST(Arguments, AreTheCommandLineWithoutTheProgramsName) {
#ifdef _WIN32
  // Read from the process's own wide-character command line; this one's arguments are ASCII.
  EXPECT_EQ(platform::Utf8Arguments(__argc, __argv),
            std::vector<std::string>(__argv + 1, __argv + __argc));
#else
  char name[] = "program", out[] = "--out", folder[] = "R\xC3\xA9sultats";
  char* argv[] = {name, out, folder};
  EXPECT_EQ(platform::Utf8Arguments(3, argv),
            (std::vector<std::string>{"--out", "R\xC3\xA9sultats"}));
#endif
}
