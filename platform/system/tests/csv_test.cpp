#include "platform/system/csv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/number_text.h"
#include "platform/system/files.h"

namespace fs = std::filesystem;
using platform::CsvTable;

namespace {

CsvTable SampleTable() {
  CsvTable table;
  table.program = "tessaline";
  table.date = "2026-12-07 09:30:00";
  table.parameters = {{"S", "0.025"}, {"output file", "/tmp/a = b.txt"}, {"empty", ""}};
  table.columns = {"curve", "x", "y"};
  table.rows = {{"S=.025", platform::CsvNumber(1), platform::CsvNumber(0.1)},
                {"a, \"quoted\"\nlabel", platform::CsvNumber(-2.5e-10), platform::CsvNumber(1e20)},
                {"two\nlines", "", ""}};
  return table;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(Csv, TextReadsBackAsTheSameTable) {
  const CsvTable table = SampleTable();
  const std::string text = platform::CsvText(table);
  const std::optional<CsvTable> read = platform::ReadCsvText(text);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->program, table.program);
  EXPECT_EQ(read->date, table.date);
  EXPECT_EQ(read->parameters, table.parameters);
  EXPECT_EQ(read->columns, table.columns);
  EXPECT_EQ(read->rows, table.rows);
  EXPECT_EQ(text.substr(0, 13), "# tessaline\r\n");
  EXPECT_NE(text.find("\"two\nlines\""), std::string::npos);
  EXPECT_FALSE(platform::ReadCsvText("x,y\r\n1,2\r\n"));
  EXPECT_FALSE(platform::ReadCsvText("# tessaline\r\n"));
  EXPECT_FALSE(platform::ReadCsvText("# tessaline\r\n# 2026-12-07\r\n"));
}

TEST(Csv, NumbersUseThePointAndNeverANonNumber) {
  EXPECT_EQ(platform::CsvNumber(0.5), "0.5");
  EXPECT_EQ(platform::CsvNumber(1e-5), "1E-05");
  EXPECT_EQ(platform::CsvNumber(std::nan("")), "");
  EXPECT_EQ(platform::CsvNumber(-HUGE_VAL), "");
  // Every cell reads back as the number written, to the digits written.
  for (double value : {0.1, 1.0 / 3, -123456.789, 6.02214076e23}) {
    EXPECT_EQ(common::FormatNumber(common::ParseLeadingNumber(platform::CsvNumber(value))),
              platform::CsvNumber(value));
  }
}

TEST(Csv, AFileIsReplacedWholeOrNotAtAll) {
  const fs::path dir = fs::temp_directory_path() / "csv_test_whole_file";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string path = (dir / "table.csv").string();
  std::string error;
  ASSERT_TRUE(platform::WriteCsvFile(path, SampleTable(), &error)) << error;
  EXPECT_EQ(ReadAll(path), platform::CsvText(SampleTable()));

  // A folder of that name cannot be replaced; nothing is left beside it.
  fs::create_directories(dir / "folder.csv");
  EXPECT_FALSE(platform::WriteCsvFile((dir / "folder.csv").string(), SampleTable(), &error));
  EXPECT_FALSE(error.empty());
  // A folder that does not exist: no file, and the message says which.
  EXPECT_FALSE(platform::WriteCsvFile((dir / "missing" / "t.csv").string(), SampleTable(), &error));
  EXPECT_NE(error.find("t.csv"), std::string::npos);
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++files;
  EXPECT_EQ(files, 2u);  // table.csv and folder.csv
  fs::remove_all(dir);
}

TEST(TidyCsv, OneHeaderLineAndNumbersThatReadBackExactly) {
  platform::TidyTable table;
  table.Columns = {"curve", "x"};
  table.Rows = {{"S = 0.1, first", platform::TidyNumber(0.1 + 0.2)},
                {"say \"hi\"", platform::TidyNumber(std::nan(""))}};
  EXPECT_EQ(platform::TidyCsvText(table),
            "curve,x\r\n\"S = 0.1, first\",0.30000000000000004\r\n\"say \"\"hi\"\"\",\r\n");
  for (double value : {1.0 / 3, -2.5e-300, 6.02214076e23, 1e-5})
    EXPECT_EQ(std::stod(platform::TidyNumber(value)), value);
}
