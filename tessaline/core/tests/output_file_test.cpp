// The output file: deletion of an old file, the recovery from a bad name, no file at all.
#include <gtest/gtest.h>

#include "tessaline/core/tests/test_support.h"

namespace tessaline {
namespace {

using testing::ReadAll;
using testing::ReadLines;
using testing::WriteFile;

class OutputFile : public testing::ProgramTest {
 protected:
  std::string DefaultName() const { return DefaultOutputFileName(); }
};

TEST_F(OutputFile, DefaultNameLiesInTheHomeFolder) {
#ifdef _WIN32
  EXPECT_EQ(DefaultOutputFileName(), "C:\\OutputFile.txt");
#else
  EXPECT_EQ(DefaultOutputFileName(), platform::JoinPath(folder.Home(), "OutputFile.txt"));
#endif
}

TEST_F(OutputFile, AnOldFileIsReplaced) {
  const std::string name = folder.File("out.txt");
  WriteFile(name, "old line\r\n");
  controls.SetOutputFileName(name);
  program.cmd_Click(1);
  program.Execute_Click();  // every run starts the file afresh
  const auto lines = ReadLines(name);
  ASSERT_EQ(lines.size(), 255u);
  EXPECT_EQ(lines[0], "0 0.05");
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(OutputFile, AnEmptyNameWritesNothing) {
  controls.SetOutputFileName("");
  program.cmd_Click(1);
  EXPECT_EQ(surface.Primitives().size(), 510u + 5u);  // the marks and labels are drawn
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(platform::CheckFile(DefaultName()), platform::FileCheck::Missing);
  EXPECT_EQ(controls.OutputFileName(), "");
}

TEST_F(OutputFile, AWrongNameRestoresTheDefaultAndAppendsToIt) {
  WriteFile(DefaultName(), "earlier\r\n");
  controls.SetOutputFileName(folder.File("missing/out.txt"));
  program.cmd_Click(1);
  EXPECT_EQ(sink.messages,
            std::vector<std::string>{"Wrong Output file name. Default name restored"});
  EXPECT_EQ(controls.OutputFileName(), DefaultName());
  const auto lines = ReadLines(DefaultName());
  ASSERT_EQ(lines.size(), 256u);
  EXPECT_EQ(lines[0], "earlier");
  EXPECT_EQ(lines[1], "0 0.05");
  // The next run finds the default name and starts it afresh.
  program.Execute_Click();
  EXPECT_EQ(ReadLines(DefaultName()).size(), 255u);
  EXPECT_EQ(sink.messages.size(), 1u);
}

TEST_F(OutputFile, ANameThatCannotBeExaminedIsAWrongName) {
  // A folder passes for no file: the check refuses it and the folder stays as it was.
  const std::string name = folder.File("a folder");
  std::filesystem::create_directories(name);
  WriteFile(name + "/inside.txt", "kept");
  controls.SetOutputFileName(name);
  program.cmd_Click(2);
  EXPECT_EQ(sink.messages,
            std::vector<std::string>{"Wrong Output file name. Default name restored"});
  EXPECT_EQ(ReadLines(DefaultName()).size(), 299u);
  EXPECT_EQ(ReadAll(name + "/inside.txt"), "kept");
}

TEST_F(OutputFile, WhenTheDefaultFailsTooTheRunGoesOnWithoutAFile) {
  WriteFile(folder.File("afile.txt"), "x");
#ifdef _WIN32
  // The default file's name is fixed there: a folder of that name cannot be opened.
  std::filesystem::create_directories(DefaultName());
#else
  // A home folder under a regular file cannot hold the default file.
  testing::SetHome(folder.File("afile.txt") + "/home");
#endif
  controls.SetOutputFileName(folder.File("missing/out.txt"));
  program.cmd_Click(1);
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0], "Wrong Output file name. Default name restored");
  EXPECT_NE(sink.messages[1].find(DefaultName()), std::string::npos);
  EXPECT_EQ(controls.OutputFileName(), DefaultName());
  EXPECT_EQ(surface.Primitives().size(), 510u + 5u);
  EXPECT_EQ(ReadAll(folder.File("afile.txt")), "x");
}

TEST_F(OutputFile, AFullDiskLeavesNoPartOfTheRun) {
#ifdef _WIN32
  GTEST_SKIP() << "the full disk is a POSIX file size limit (RLIMIT_FSIZE)";
#else
  // The typed name is refused and the run appends to the default file: the old lines stay
  // and nothing of the run remains, not even a cut line.
  const std::string old = "first\r\nsecond\r\n";
  WriteFile(DefaultName(), old);
  WriteFile(folder.File("afile"), "x");
  controls.SetOutputFileName(folder.File("afile") + "/out.txt");
  {
    testing::FileSizeLimit full(old.size() + 1000);
    program.cmd_Click(1);
  }
  EXPECT_EQ(ReadAll(DefaultName()), old);
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_NE(sink.messages[1].find("left as it was before the run"), std::string::npos);
  // A file the run made itself is removed.
  const std::string made = folder.File("made.txt");
  controls.SetOutputFileName(made);
  {
    testing::FileSizeLimit full(1000);
    program.Execute_Click();
  }
  EXPECT_EQ(platform::CheckFile(made), platform::FileCheck::Missing);
  ASSERT_EQ(sink.messages.size(), 3u);
  EXPECT_NE(sink.messages[2].find("removed"), std::string::npos);
#endif
}

}  // namespace
}  // namespace tessaline
