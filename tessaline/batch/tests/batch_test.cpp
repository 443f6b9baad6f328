// The batch program's command line: what it writes, what it reports on stderr, and the
// refusals and failures with their exit statuses.
#include "tessaline/batch/batch.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app_version.h"
#include "tessaline/core/tests/test_support.h"

namespace tessaline {
namespace {

using testing::ReadAll;
using testing::ReadLines;
using testing::TempFolder;
using testing::WriteFile;

struct Outcome {
  int status;
  std::string out, err;
};

Outcome Batch(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "tessaline-batch");
  std::vector<const char*> argv;
  for (const std::string& a : arguments) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = batch::Main(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

class BatchTest : public ::testing::Test {
 protected:
  std::string DefaultFile() const { return DefaultOutputFileName(); }
  // Nothing but the old file lies in the folder.
  void ExpectUntouched(const std::string& path) {
    EXPECT_EQ(ReadAll(path), "old\r\n");
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.File("")))
      files += entry.is_regular_file();
    EXPECT_EQ(files, 1u);
  }

  TempFolder folder;
};

TEST_F(BatchTest, WritesTheDefaultOutputFileWithThePresets) {
  const Outcome r = Batch({"--sim", "spreading"});
  EXPECT_EQ(r.status, batch::kDone);
  EXPECT_EQ(r.err, "");
  const auto lines = ReadLines(DefaultFile());
  ASSERT_EQ(lines.size(), 255u);
  EXPECT_EQ(lines[1], "10 0.063120276515942");
  // The tidy table of the same points: a header, then one line per point.
  const std::string csv = folder.File("points.csv");
  ASSERT_EQ(Batch({"--sim", "spreading", "--csv", csv}).status, batch::kDone);
  const auto rows = ReadLines(csv);
  ASSERT_EQ(rows.size(), 1 + lines.size());
  EXPECT_EQ(rows[0], "simulation,curve,x,y");
  EXPECT_EQ(rows[2], "spreading,S for curve 1 = 0.025,10,0.06312027651594204");
  const Outcome failed = Batch({"--sim", "1", "--csv", folder.File("missing/points.csv")});
  EXPECT_EQ(failed.status, batch::kFailed);
  EXPECT_NE(failed.err.find("missing/points.csv"), std::string::npos) << failed.err;
  // "-" gives the same lines on standard output.
  const Outcome piped = Batch({"--sim", "spreading", "--out", "-"});
  EXPECT_EQ(piped.status, batch::kDone);
  EXPECT_EQ(piped.out, ReadAll(DefaultFile()));
  EXPECT_FALSE(std::filesystem::exists("-"));
  // An empty name writes no file, as in the window.
  ASSERT_TRUE(platform::DeleteFile(DefaultFile()));
  EXPECT_EQ(Batch({"--sim", "1", "--out", ""}).status, batch::kDone);
  EXPECT_EQ(platform::CheckFile(DefaultFile()), platform::FileCheck::Missing);
}

TEST_F(BatchTest, CorrectionsAreReportedOnStderr) {
  const std::string out = folder.File("out.txt");
  Outcome r =
      Batch({"--sim", "spreading", "--set", "Number of generations=1e9", "--set", "step=1000",
             "--set", "curves=2,4", "--set", "y0=0,5", "--set", "s1=.5", "--out", out});
  EXPECT_EQ(r.status, batch::kDone);
  EXPECT_EQ(r.err,
            "Number of generations: 1e9 -> 99999 (upper bound)\n"
            "Number of curves: 2,4 -> 2 (whole number)\n");
  EXPECT_EQ(ReadLines(out).size(), 2u * 100u);
  // The senescence model always draws 250 generations, whatever row 1 holds.
  r = Batch({"--sim", "senescence", "--set", "generations=400", "--out", out});
  EXPECT_EQ(r.status, batch::kDone);
  EXPECT_EQ(r.err, "Number of generations: 400 -> 250 (senescence always draws 250)\n");
  EXPECT_EQ(ReadLines(out).size(), 104u);
  r = Batch({"--sim", "senescence", "--set", "generations=250", "--out", out});
  EXPECT_EQ(r.err, "");
  // A number may end at its point.
  EXPECT_EQ(Batch({"--sim", "velocity", "--set", "ml1=1.", "--out", out}).status, batch::kDone);
}

TEST_F(BatchTest, RefusalsNameTheParameterAndTouchNothing) {
  const std::string out = folder.File("out.txt");
  WriteFile(out, "old\r\n");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--sim", "spreading", "--set", "Y0=0.1"}, "did you mean \"y0\"?"},
      {{"--sim", "spreading", "--set", "ml1=1"},
       "\"ml1\" is a parameter of velocity, not of spreading (see --list"},
      {{"--sim", "velocity", "--set", "generations=100"},
       "\"generations\" is a parameter of spreading, not of velocity; did you mean \"Number of "
       "time units\"?"},
      {{"--sim", "spreading", "--set", "U=0.1"}, "U is fixed at 0"},
      {{"--sim", "velocity", "--set", "S=abc"}, "S: \"abc\" is not a number"},
      {{"--sim", "velocity", "--set", "y0=0.5abc"}, "Y(0): \"0.5abc\" is not a number"},
      {{"--sim", "velocity", "--set", "y0="}, "Y(0): no value given"},
      {{"--sim", "velocity", "--set", "y0"}, "--set expects NAME=VALUE"},
      {{"--sim", "spreding"}, "did you mean \"spreading\"?"},
      {{"--set", "y0=0.1"}, "choose a simulation"},
      {{"--sim", "1", "--bogus"}, "usage: tessaline-batch --sim"},
  };
  for (const auto& [arguments, message] : cases) {
    std::vector<std::string> all = arguments;
    all.insert(all.end(), {"--out", out});
    const Outcome r = Batch(all);
    SCOPED_TRACE(r.err);
    EXPECT_EQ(r.status, batch::kRefused);
    EXPECT_NE(r.err.find(message), std::string::npos);
    ExpectUntouched(out);
  }
}

TEST_F(BatchTest, AFileThatCannotBeWrittenIsNamedAndNothingIsLeft) {
  const std::string old = folder.File("old.txt");
  WriteFile(old, "old\r\n");
  const std::string missing = folder.File("missing/out.txt");
  Outcome failed = Batch({"--sim", "velocity", "--out", missing});
  EXPECT_EQ(failed.status, batch::kFailed);
  EXPECT_NE(failed.err.find(missing), std::string::npos) << failed.err;
  ExpectUntouched(old);
  // A folder takes no output file: refused before the run.
  failed = Batch({"--sim", "velocity", "--out", folder.File("")});
  EXPECT_EQ(failed.status, batch::kRefused);
  EXPECT_NE(failed.err.find("is a folder"), std::string::npos) << failed.err;
  ExpectUntouched(old);
#ifndef _WIN32
  // A disk that fills during the run: the old file stays whole, nothing else is left.
  testing::FileSizeLimit full(1000);
  const Outcome r = Batch({"--sim", "velocity", "--out", old});
  EXPECT_EQ(r.status, batch::kFailed);
  EXPECT_NE(r.err.find(old), std::string::npos) << r.err;
  ExpectUntouched(old);
#endif
}

TEST_F(BatchTest, ARunThatLeavesTheComputableRangeEndsWithStatusOne) {
  // With these rows 1 + Y(0) d is exactly 0 in the first generation.
  const Outcome overflow = Batch({"--sim", "senescence", "--set", "y0=0.9523809523809523", "--set",
                                  "s-prime=0.4", "--set", "vc=0.35", "--set", "r1=0", "--set",
                                  "curves=1", "--out", folder.File("out.txt")});
  EXPECT_EQ(overflow.status, batch::kFailed);
  EXPECT_NE(overflow.err.find(kRunStoppedMessage), std::string::npos) << overflow.err;
}

TEST_F(BatchTest, ListHelpAndVersion) {
  Outcome r = Batch({"--list", "--sim", "velocity"});
  EXPECT_EQ(r.status, batch::kDone);
  std::istringstream lines(r.out);
  std::string line;
  std::vector<std::string> listed;
  while (std::getline(lines, line)) listed.push_back(line);
  const std::vector<RowDescription> rows = GridRows(*FindSimulationByName("velocity"));
  ASSERT_EQ(listed.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(listed[i].find(rows[i].name), 0u) << listed[i];
    EXPECT_NE(listed[i].find(std::string("  ") + rows[i].alias + "  "), std::string::npos);
    EXPECT_NE(listed[i].find(rows[i].meaning), std::string::npos);
  }
  r = Batch({"--list"});
  for (const Simulation& s : Simulations()) EXPECT_NE(r.out.find(s.title), std::string::npos);

  r = Batch({"--version"});
  EXPECT_EQ(r.status, batch::kDone);
  EXPECT_EQ(r.out, std::string("tessaline-batch ") + app::kVersion + "\n");
  r = Batch({"--help"});
  EXPECT_EQ(r.status, batch::kDone);
  EXPECT_NE(r.out.find("--sim"), std::string::npos);
}

}  // namespace
}  // namespace tessaline
