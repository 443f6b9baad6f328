#include "quorvel/run/report_files.h"

#include <gtest/gtest.h>

#include "quorvel/run/tests/fake_run_window.h"

namespace quorvel {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(ReportFilePath, FolderSeparatorNameAndDigit) {
  const std::string sep(1, platform::PathSeparator());
  EXPECT_EQ(ReportFilePath("C:", 1), "C:" + sep + "ReportFile1.txt");
  EXPECT_EQ(ReportFilePath("/data", 3), "/data" + sep + "ReportFile3.txt");
  // The folder is used as typed: a trailing separator is not removed.
  EXPECT_EQ(ReportFilePath("dir" + sep, 2), "dir" + sep + sep + "ReportFile2.txt");
}

TEST(ReportFile1Header, LabelsOfBothCarriersJoinedByTabs) {
  EXPECT_EQ(ReportFile1Header(2), "ab\tAb\taB\tAB\tab'\tAb'\taB'\tAB'");
  EXPECT_EQ(ReportFile1Header(3),
            "abc\tAbc\taBc\tabC\tABc\taBC\tAbC\tABC\t"
            "abc'\tAbc'\taBc'\tabC'\tABc'\taBC'\tAbC'\tABC'");
}

TEST(GenerationsCsv, EachGenotypeAloneThenRPlusAndTheCapitalAlleles) {
  GenerationRow row;
  row.Generation = 7;
  row.Curves = 8;
  row.Frequency = {0.25, 0.125, 0, 0.125, 0.0625, 0.1875, 0.125, 0.125};
  row.Cumulative = {0.25, 0.375, 0.375, 0.5, 0.5625, 0.75, 0.875, 1};
  const GenerationsCsv csv(2);
  std::string text = csv.Header();
  csv.AppendLine(text, row);
  EXPECT_EQ(text,
            "generation,ab_rplus,Ab_rplus,aB_rplus,AB_rplus,ab_rminus,Ab_rminus,aB_rminus,"
            "AB_rminus,rplus,A,B\r\n"
            "7,0.25,0.125,0,0.125,0.0625,0.1875,0.125,0.125,0.5,0.5625,0.375\r\n");
  EXPECT_TRUE(GenerationsCsv(3).Header().ends_with("ABC_rminus,rplus,A,B,C\r\n"));
}

TEST(ReportFiles, OpeningRecreatesTheFileEmptyAndLinesEndInCrLf) {
  TempFolder folder;
  const std::string path = ReportFilePath(folder.Path(), 2);
  WriteBytes(path, "an older report\r\n");
  ReportFiles files;
  ASSERT_TRUE(files.Open(2, folder.Path()));
  EXPECT_TRUE(files.IsOpen(2));
  EXPECT_FALSE(files.IsOpen(1));
  EXPECT_TRUE(files.WriteLine(2, "K\t0.8"));
  EXPECT_TRUE(files.WriteLine(2, " "));
  EXPECT_TRUE(files.CloseAll());
  EXPECT_FALSE(files.IsOpen(2));
  EXPECT_EQ(ReadBytes(path), "K\t0.8\r\n \r\n");
  // A file of another number is not touched.
  EXPECT_FALSE(Exists(ReportFilePath(folder.Path(), 1)));
}

TEST(ReportFiles, AFileThatCannotBeCreatedIsNamedAndDiscardRemovesWhatWasCreated) {
  TempFolder folder;
  ReportFiles files;
  ASSERT_TRUE(files.Open(2, folder.Path()));
  ASSERT_TRUE(files.WriteLine(2, "N =1"));
  // A folder named like the report file can be neither deleted as a file nor opened.
  std::filesystem::create_directory(ReportFilePath(folder.Path(), 3));
  EXPECT_FALSE(files.Open(3, folder.Path()));
  EXPECT_EQ(files.FailedPath(), ReportFilePath(folder.Path(), 3));
  files.Discard();
  EXPECT_FALSE(files.IsOpen(2));
  EXPECT_FALSE(Exists(ReportFilePath(folder.Path(), 2)));
  EXPECT_TRUE(std::filesystem::is_directory(ReportFilePath(folder.Path(), 3)));
}

TEST(ReportFiles, MissingFolderOrAFolderThatIsAFileFails) {
  TempFolder folder;
  WriteBytes(folder.File("afile.txt"), "x");
  for (const std::string& dir : {folder.File("missing"), folder.File("afile.txt")}) {
    ReportFiles files;
    EXPECT_FALSE(files.Open(1, dir)) << dir;
    EXPECT_EQ(files.FailedPath(), ReportFilePath(dir, 1));
    EXPECT_FALSE(files.IsOpen(1));
    EXPECT_FALSE(files.WriteLine(1, "x"));
    EXPECT_TRUE(files.CloseAll());
  }
}

}  // namespace
}  // namespace quorvel
