// The texts and states of the window's controls that the program reads and writes. The
// window stores everything in its controls; the simulations reach them only through these
// interfaces, so they run without Qt.
#pragma once

#include <array>
#include <string>

namespace tessaline {

inline constexpr int kRows = 30;
inline constexpr int kAxisLabels = 6;

// Grid row i (1 to kRows): name label lb(i), value box txt(i) with its tag and lock, and the
// text boxes MinVal(i) and MaxVal(i).
class Grid {
 public:
  virtual ~Grid() = default;
  virtual std::string Name(int row) const = 0;
  virtual void SetName(int row, const std::string& text) = 0;
  virtual std::string Value(int row) const = 0;
  virtual void SetValue(int row, const std::string& text) = 0;
  virtual std::string ValueTag(int row) const = 0;
  virtual void SetValueTag(int row, const std::string& tag) = 0;
  virtual bool ValueLocked(int row) const = 0;
  virtual void SetValueLocked(int row, bool locked) = 0;
  virtual std::string Minimum(int row) const = 0;
  virtual void SetMinimum(int row, const std::string& text) = 0;
  virtual std::string Maximum(int row) const = 0;
  virtual void SetMaximum(int row, const std::string& text) = 0;
};

// The grid plus the title FigTitle (caption and tag), OutputFileName and the axis labels
// lab(1) to lab(6).
class FormControls : public Grid {
 public:
  virtual std::string TitleCaption() const = 0;
  virtual void SetTitleCaption(const std::string& text) = 0;
  virtual std::string TitleTag() const = 0;
  virtual void SetTitleTag(const std::string& tag) = 0;
  virtual std::string OutputFileName() const = 0;
  virtual void SetOutputFileName(const std::string& text) = 0;
  virtual std::string AxisCaption(int index) const = 0;
  virtual void SetAxisCaption(int index, const std::string& text) = 0;
  virtual bool AxisVisible(int index) const = 0;
  virtual void SetAxisVisible(int index, bool visible) = 0;
};

// Controls held in memory: for tests and for running the simulations without a window.
class MemoryControls : public FormControls {
 public:
  std::string Name(int row) const override { return rows_.at(row).name; }
  void SetName(int row, const std::string& text) override { rows_.at(row).name = text; }
  std::string Value(int row) const override { return rows_.at(row).value; }
  void SetValue(int row, const std::string& text) override { rows_.at(row).value = text; }
  std::string ValueTag(int row) const override { return rows_.at(row).tag; }
  void SetValueTag(int row, const std::string& tag) override { rows_.at(row).tag = tag; }
  bool ValueLocked(int row) const override { return rows_.at(row).locked; }
  void SetValueLocked(int row, bool locked) override { rows_.at(row).locked = locked; }
  std::string Minimum(int row) const override { return rows_.at(row).minimum; }
  void SetMinimum(int row, const std::string& text) override { rows_.at(row).minimum = text; }
  std::string Maximum(int row) const override { return rows_.at(row).maximum; }
  void SetMaximum(int row, const std::string& text) override { rows_.at(row).maximum = text; }

  std::string TitleCaption() const override { return titleCaption_; }
  void SetTitleCaption(const std::string& text) override { titleCaption_ = text; }
  std::string TitleTag() const override { return titleTag_; }
  void SetTitleTag(const std::string& tag) override { titleTag_ = tag; }
  std::string OutputFileName() const override { return outputFileName_; }
  void SetOutputFileName(const std::string& text) override { outputFileName_ = text; }
  std::string AxisCaption(int index) const override { return axes_.at(index).caption; }
  void SetAxisCaption(int index, const std::string& text) override {
    axes_.at(index).caption = text;
  }
  bool AxisVisible(int index) const override { return axes_.at(index).visible; }
  void SetAxisVisible(int index, bool visible) override { axes_.at(index).visible = visible; }

 private:
  struct Row {
    std::string name, value, tag, minimum, maximum;
    bool locked = false;
  };
  struct Axis {
    std::string caption;
    bool visible = true;
  };
  std::array<Row, kRows + 1> rows_{};  // index 0 unused
  std::array<Axis, kAxisLabels + 1> axes_{};
  std::string titleCaption_, titleTag_, outputFileName_;
};

}  // namespace tessaline
