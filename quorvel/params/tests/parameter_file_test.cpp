#include "quorvel/params/parameter_file.h"

#include <gtest/gtest.h>

#include "common/number_text.h"

namespace quorvel {
namespace {

TEST(ParameterFile, EveryValueAndTheRunModeReadBack) {
  ParameterValues values;
  for (int i : kParameterEntries)
    values.Entries[static_cast<size_t>(i)] = "0.0" + std::to_string(i + 1);
  values.Entries[kEntryMaxGen] = "1234";
  values.Entries[kEntryStartC] = "";  // an entry left empty
  values.Loci = 3;
  values.Checks.InversionOfS = 1;
  values.Checks.GeneticDrift = 1;
  const std::string text = ParameterFileText(values, RunMode::NSweep);

  ParameterFile file;
  std::string message;
  ASSERT_TRUE(ParseParameterText(text, "set.toml", file, message)) << message;
  EXPECT_EQ(file.Mode, RunMode::NSweep);
  ASSERT_EQ(file.Assignments.size(), std::size(kParameterRows));
  for (const auto& [name, value] : file.Assignments) {
    const ParameterRow* p = FindParameter(name);
    ASSERT_NE(p, nullptr) << name;
    const std::string written = ValueText(values, *p);
    if (p->IsEntry() && !written.empty())
      EXPECT_EQ(common::ParseLeadingNumber(value), common::ParseLeadingNumber(written)) << name;
    else
      EXPECT_EQ(value, written) << name;
  }
}

TEST(ParameterFile, AStudyTableReadsBackWithEverySeed) {
  for (const uint64_t seed : {uint64_t{0}, UINT64_MAX}) {
    StudyTable study;
    study.Vary = {"z=0:1:0.5", "drift=on,off"};
    study.Replicates = 3;
    study.Finite = true;
    study.Seed = seed;
    ParameterFile file;
    std::string message;
    ASSERT_TRUE(ParseParameterText(StudyTableText(study), "s.toml", file, message)) << message;
    EXPECT_EQ(file.Study, study) << seed;
  }
}

TEST(ParameterFile, TextsThatAreNoParameterFileAreRefusedWithTheirPlace) {
  ParameterFile file;
  std::string message;
  EXPECT_FALSE(ParseParameterText("K = = 1\n", "a.toml", file, message));
  EXPECT_EQ(message.rfind("a.toml:1: ", 0), 0u) << message;
  EXPECT_FALSE(ParseParameterText("mode = \"fast\"\n", "b.toml", file, message));
  EXPECT_NE(message.find("mode: 'fast'"), std::string::npos) << message;
  EXPECT_FALSE(ParseParameterText("K = [1, 2]\n", "c.toml", file, message));
  // Keys of another program are read, for the reader to tell apart.
  ASSERT_TRUE(
      ParseParameterText("K = 1.1\ndrift = false\nspeed = true\n", "d.toml", file, message));
  // true and false stand for a switch's on and off.
  using Assignments = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(file.Assignments, (Assignments{{"K", "1.1"}, {"drift", "off"}, {"speed", "on"}}));
  EXPECT_FALSE(file.Mode.has_value());
}

}  // namespace
}  // namespace quorvel
