#include "platform/system/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/testing/test_files.h"
#include "platform/system/arguments.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

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
  ASSERT_TRUE(platform::WriteWholeFile(path, "2\r\n", nullptr));
  EXPECT_EQ(platform::CheckFile(path), platform::FileCheck::Exists);
  // The file system holds the name itself: the whole contents are under it.
  EXPECT_EQ(fs::file_size(dir_ / fs::u8path(name)), 3u);
  EXPECT_TRUE(platform::DeleteFile(path));
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(TempFolder, AWholeFileTakesItsNameOnlyWhenCommitted) {
  const std::string path = Path("run.json");
  common::testing::WriteBytes(path, "old");
  {
    platform::WholeFile file;
    ASSERT_TRUE(file.Open(path));
    file.WriteLine("new");
    EXPECT_EQ(Read(path), "old");
  }  // never committed: the old file stays and no temporary is left
  EXPECT_EQ(Read(path), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  platform::WholeFile file;
  ASSERT_TRUE(file.Open(path));
  file.WriteLine("new");
  ASSERT_TRUE(file.Commit()) << file.Error();
  EXPECT_EQ(Read(path), "new\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(TempFolder, StaleTemporariesOfTheNameAreClearedAndOthersKept) {
  // Left by a process that was killed outright (no process has so high an id).
  common::testing::WriteBytes(Path(".a.txt.999999999.part"), "cut");
  common::testing::WriteBytes(Path(".b.txt.999999999.part"), "another name's");
  ASSERT_TRUE(platform::WriteWholeFile(Path("a.txt"), "whole", nullptr));
  EXPECT_FALSE(fs::exists(Path(".a.txt.999999999.part")));
  EXPECT_TRUE(fs::exists(Path(".b.txt.999999999.part")));
}

TEST_F(TempFolder, AGroupOfFilesAppearsTogetherWithItsDescriptionLast) {
  common::testing::WriteBytes(Path("run.json"), "old run");
  common::testing::WriteBytes(Path("a.txt"), "old a");
  fs::create_directory(Path(".prog.999999999.part"));  // a killed command's
  {
    platform::FileGroup abandoned(dir_.string(), "prog");
    ASSERT_TRUE(abandoned.Open()) << abandoned.Error();
    EXPECT_FALSE(fs::exists(Path(".prog.999999999.part")));
    ASSERT_TRUE(abandoned.Add("a.txt", "new a"));
  }
  EXPECT_EQ(Read(Path("a.txt")), "old a");
  platform::FileGroup group(dir_.string(), "prog");
  ASSERT_TRUE(group.Open());
  ASSERT_TRUE(group.Add("a.txt", "new a"));
  common::testing::WriteBytes(platform::JoinPath(group.Folder(), "b.txt"), "new b");
  ASSERT_TRUE(group.Add("run.json", "new run"));
  ASSERT_TRUE(group.Commit("run.json")) << group.Error();
  EXPECT_EQ(Read(Path("a.txt")), "new a");
  EXPECT_EQ(Read(Path("b.txt")), "new b");
  EXPECT_EQ(Read(Path("run.json")), "new run");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);
}

#ifndef _WIN32
TEST_F(TempFolder, ALinkIsFollowedAndWhatIsNotARegularFileRefused) {
  fs::create_directory(Path("real"));
  common::testing::WriteBytes(Path("real/a.txt"), "old");
  fs::create_symlink(Path("real/a.txt"), Path("link.txt"));
  ASSERT_TRUE(platform::WriteWholeFile(Path("link.txt"), "new", nullptr));
  EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
  EXPECT_EQ(Read(Path("real/a.txt")), "new");

  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  fs::create_symlink(Path("fifo"), Path("to-fifo"));
  for (const std::string& name :
       {Path("fifo"), Path("to-fifo"), dir_.string(), Path("missing/a.txt"), std::string()}) {
    std::string error;
    EXPECT_FALSE(platform::TargetRefusal(name).empty()) << name;
    EXPECT_FALSE(platform::WriteWholeFile(name, "x", &error)) << name;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_TRUE(fs::is_fifo(Path("fifo")));
  EXPECT_TRUE(platform::TargetRefusal(Path("new.txt")).empty());
}

TEST_F(TempFolder, AFileThatCannotBeWrittenCompletelyLeavesTheOldOne) {
  const std::string path = Path("a.txt");
  common::testing::WriteBytes(path, "old");
  platform::WholeFile file;
  ASSERT_TRUE(file.Open(path));
  {
    common::testing::FileSizeLimit full(100);
    file.Write(std::string(4096, 'x'));
    EXPECT_FALSE(file.Commit());
  }
  EXPECT_NE(file.Error().find("completely"), std::string::npos);
  EXPECT_EQ(Read(path), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}
#endif

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

#ifndef _WIN32
TEST(Folders, UtcTimeIsUtcInAnyLocalZone) {
  const char* zone = std::getenv("TZ");
  const std::string saved = zone ? zone : "";
  setenv("TZ", "XST-14", 1);  // fourteen hours ahead of UTC
  tzset();
  const std::time_t before = std::time(nullptr);
  const std::string text = platform::UtcDateTimeText();
  zone ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
  tzset();
  std::tm read{};
  ASSERT_NE(strptime(text.c_str(), "%Y-%m-%dT%H:%M:%SZ", &read), nullptr) << text;
  EXPECT_NEAR(static_cast<double>(timegm(&read) - before), 0, 2) << text;
}
#endif

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
