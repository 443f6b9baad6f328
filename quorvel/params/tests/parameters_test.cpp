#include "quorvel/params/parameters.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using quorvel::MakeParameterTable;
using quorvel::NormalizeNumberText;
using quorvel::ValidateEntryText;

namespace {

std::string Normalized(std::string text) {
  std::string copy = NormalizeNumberText(text);
  EXPECT_EQ(copy, text);  // changed in place and returned
  return text;
}

std::string Validated(int entry, const std::string& text) {
  static const quorvel::ParameterTable table = MakeParameterTable();
  return ValidateEntryText(table, entry, text);
}

}  // namespace

TEST(ParameterTable, BoundsAreTheNearestFloats) {
  const quorvel::ParameterTable t = MakeParameterTable();
  EXPECT_EQ(static_cast<double>(t.MinValue[0]), 1.000000013351432e-10);
  EXPECT_EQ(static_cast<double>(t.MaxValue[1]), 9.999999747378752e-05);
  EXPECT_EQ(static_cast<double>(t.DefaultValue[0]), 9.999999747378752e-06);
  EXPECT_EQ(static_cast<double>(t.MinValue[3]), 0.6000000238418579);
  EXPECT_EQ(static_cast<double>(t.MaxValue[3]), 1.399999976158142);
  EXPECT_EQ(static_cast<double>(t.MinValue[20]), 0.009999999776482582);
  EXPECT_EQ(static_cast<double>(t.MaxValue[20]), 0.9900000095367432);
  EXPECT_EQ(t.MinValue[8], 2.0f);
  EXPECT_EQ(t.MaxValue[18], 11.5f);
  EXPECT_EQ(t.MinValue[19], 1.5f);
}

TEST(ParameterTable, StartTexts) {
  const quorvel::ParameterTable t = MakeParameterTable();
  // A default in its single-precision text form, or the fixed text of the window.
  EXPECT_EQ(StartText(t, quorvel::kEntryU), "1E-05");
  EXPECT_EQ(StartText(t, quorvel::kEntryMaxGen), "250");
  EXPECT_EQ(StartText(t, quorvel::kEntryHaplotypeAb), "0.3");
  EXPECT_EQ(StartText(t, quorvel::kEntryLoopTo), "12");
  EXPECT_EQ(StartText(t, quorvel::kEntryStartRPlus), ".5");
  // The first pass turns every start text into its clean form.
  EXPECT_EQ(Validated(20, ".5"), "0.5");
  EXPECT_EQ(Validated(0, "1E-05"), "1E-05");
}

TEST(NormalizeNumberText, CommaPointAndLeadingZeros) {
  EXPECT_EQ(Normalized(".5"), "0.5");
  EXPECT_EQ(Normalized("0,25"), "0.25");
  EXPECT_EQ(Normalized("1,2,3"), "1.2,3");
  EXPECT_EQ(Normalized(",5"), "0.5");
  EXPECT_EQ(Normalized("000.5"), "0.5");
  EXPECT_EQ(Normalized("007"), "07");
  EXPECT_EQ(Normalized("00"), "0");
  EXPECT_EQ(Normalized(","), ",");
  EXPECT_EQ(Normalized("."), ".");
  EXPECT_EQ(Normalized(""), "");
  EXPECT_EQ(Normalized(" .5"), " .5");  // only a point at the very start gets its zero
}

TEST(ValidateEntryText, TrimsNormalisesAndKeepsBlankEntries) {
  EXPECT_EQ(Validated(2, "  0,25  "), "0.25");
  EXPECT_EQ(Validated(2, "   "), "   ");
  EXPECT_EQ(Validated(2, ""), "");
  EXPECT_EQ(Validated(3, "1,2,3"), "1.2,3");  // reads 1.2
  EXPECT_EQ(Validated(4, "abc"), "abc");      // reads 0, inside 0..1
  EXPECT_EQ(Validated(3, "abc"), "0.6");      // reads 0, below 0.6
  EXPECT_EQ(Validated(3, "1,5"), "1.4");
}

TEST(ValidateEntryText, WholeEntriesRoundDown) {
  EXPECT_EQ(Validated(10, "1.9"), "1");
  EXPECT_EQ(Validated(10, "-5"), "1");
  EXPECT_EQ(Validated(17, "300.99"), "300");
  EXPECT_EQ(Validated(8, "1"), "2");
  EXPECT_EQ(Validated(12, "9.9"), "10");
  EXPECT_EQ(Validated(17, "1e5"), "10000");
}

TEST(ValidateEntryText, HalfEntriesKeepHalvesAndRoundTheRest) {
  EXPECT_EQ(Validated(9, "6.7"), "7");
  EXPECT_EQ(Validated(9, "6.3"), "6");
  EXPECT_EQ(Validated(9, "6.5"), "6.5");
  EXPECT_EQ(Validated(9, "6.55"), "6.5");
  EXPECT_EQ(Validated(9, "6.27"), "6");
  EXPECT_EQ(Validated(9, "0.3"), "1");
  EXPECT_EQ(Validated(9, ".5"), "1");
  EXPECT_EQ(Validated(18, "11.9"), "11.5");
  EXPECT_EQ(Validated(19, "1"), "1.5");
  EXPECT_EQ(Validated(19, "19,5"), "19.5");
}

TEST(ValidateEntryText, BoundsAreComparedAsWidenedFloats) {
  EXPECT_EQ(Validated(3, "1.4"), "1.4");
  EXPECT_EQ(Validated(3, "0.6"), "0.6");
  EXPECT_EQ(Validated(0, "0.0001"), "0.0001");
  EXPECT_EQ(Validated(1, "1E-10"), "1E-10");
  EXPECT_EQ(Validated(0, "1E-11"), "1E-10");
  EXPECT_EQ(Validated(20, "0.01"), "0.01");
  EXPECT_EQ(Validated(20, "0.99"), "0.99");
  EXPECT_EQ(Validated(20, "0.995"), "0.99");
  EXPECT_EQ(Validated(2, "-3"), "-1");
}

TEST(ValidateEntryText, OverflowTakesTheBoundOnItsSide) {
  EXPECT_EQ(Validated(2, "1e999"), "1");
  EXPECT_EQ(Validated(2, "-1e999"), "-1");
  EXPECT_EQ(Validated(17, "1e400"), "10000");
  EXPECT_EQ(Validated(9, "1e308"), "20");  // tenfold overflows
  EXPECT_EQ(Validated(18, "-1e308"), "1");
  EXPECT_EQ(Validated(9, "1e300"), "20");  // finite: rounded, then bounded
}

TEST(CrossEntryRules, SDemesAndLoop) {
  EXPECT_EQ(quorvel::ApplySRule("-1"), "-0.99");
  EXPECT_EQ(quorvel::ApplySRule("-0.995"), "-0.995");
  EXPECT_EQ(quorvel::ApplySRule("0.1"), "0.1");
  EXPECT_TRUE(quorvel::DemesNeedDiffusion("2"));
  EXPECT_FALSE(quorvel::DemesNeedDiffusion("1"));
  EXPECT_EQ(quorvel::ApplyLoopRule("8", "5"), "5");
  EXPECT_EQ(quorvel::ApplyLoopRule("1", "12"), "1");
  EXPECT_EQ(quorvel::ApplyLoopRule("1", ""), "");
}

TEST(CrossEntryRules, HaplotypeDisplays) {
  auto d = quorvel::ComputeHaplotypeDisplays("0.3", "0.2", "0.3", "0.2");
  EXPECT_EQ(d.Total, "1");
  EXPECT_TRUE(d.TotalIsOne);
  EXPECT_EQ(d.D, "0");
  d = quorvel::ComputeHaplotypeDisplays("0.4", "0.2", "0.3", "0.2");
  EXPECT_EQ(d.Total, "1.1");
  EXPECT_FALSE(d.TotalIsOne);
  EXPECT_EQ(d.D, "0.02");
  // 0.9999999999999999 in double, 1 in its 15-digit text.
  d = quorvel::ComputeHaplotypeDisplays("0.1", "0.1", "0.7", "0.1");
  EXPECT_EQ(d.Total, "1");
  EXPECT_TRUE(d.TotalIsOne);
  d = quorvel::ComputeHaplotypeDisplays("0.05", "0", "0", "0");
  EXPECT_EQ(d.Total, "0.05");
}

TEST(CrossEntryRules, FolderMustExist) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "quorvel_folder_rule";
  fs::create_directories(dir);
  std::ofstream(dir / "afile.txt") << "x";
  const std::string folder = dir.string();
  EXPECT_EQ(quorvel::ApplyFolderRule(folder, "HOME"), folder);
  EXPECT_EQ(quorvel::ApplyFolderRule(folder + "/", "HOME"), folder + "/");
  EXPECT_EQ(quorvel::ApplyFolderRule(folder + "/missing", "HOME"), "HOME");
  EXPECT_EQ(quorvel::ApplyFolderRule(folder + "/afile.txt", "HOME"), "HOME");
  EXPECT_EQ(quorvel::ApplyFolderRule(folder + "/*.txt", "HOME"), "HOME");
  EXPECT_EQ(quorvel::ApplyFolderRule("", "HOME"), "HOME");
  fs::remove_all(dir);
}
