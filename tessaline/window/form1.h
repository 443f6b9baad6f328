// The window of tessaline: the parameter grid on the left, the drawing surface with its
// axis labels and the buttons on the right. Every action runs to its end inside the click
// or focus change that started it.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "platform/system/csv.h"
#include "platform/widgets/focus_line_edit.h"
#include "platform/widgets/message_box.h"
#include "platform/widgets/picture_box.h"
#include "tessaline/core/controls.h"
#include "tessaline/core/parameter_set.h"
#include "tessaline/core/program.h"

namespace tessaline {

class Form1 : public QWidget {
 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  // Event reactions.
  void cmd_Click(int index);
  void Execute_Click();
  void txt_LostFocus(int index);
  void EndProgram_Click();

  // The controls, by the names and indexes of the layout.
  QLabel* FigTitle() const { return figTitle_; }
  QLabel* Label1(int i) const { return label1_.at(i); }
  QLabel* lb(int i) const { return lb_.at(i); }
  platform::FocusLineEdit* txt(int i) const { return txt_.at(i); }
  QLineEdit* MinVal(int i) const { return minVal_.at(i); }
  QLineEdit* MaxVal(int i) const { return maxVal_.at(i); }
  QGroupBox* Frame1() const { return frame1_; }
  QLabel* Label2() const { return label2_; }
  QLineEdit* OutputFileName() const { return outputFileName_; }
  platform::PictureBox* PictBox() const { return pictBox_; }
  QLabel* lab(int i) const { return lab_.at(i); }
  QLabel* Label3() const { return label3_; }
  QPushButton* cmd(int i) const { return cmd_.at(i); }
  QPushButton* Execute() const { return execute_; }
  QPushButton* EndProgram() const { return endProgram_; }

  // The caption of lab(i) as the program set it (CR between the characters of the
  // vertical labels); the label shows it with line breaks.
  QString AxisCaption(int i) const { return axisCaption_.at(i); }
  void SetAxisCaption(int i, const QString& caption);

  // The points of the last run with the grid they came from, for Export data; none before
  // a run.
  bool HasPlottedPoints() const { return !program_->Points().empty(); }
  platform::CsvTable PlottedData() const;
  // The grid as a parameter set (empty before a simulation is chosen), and opening one; a
  // set opened clears the picture, which no longer shows the grid's values.
  std::string ParameterSet() const;
  OpenedSet OpenParameters(std::string_view text);

 private:
  class Controls;
  void BuildGrid();
  void BuildDrawingSide();

  QLabel* figTitle_ = nullptr;
  QString titleTag_;  // the selected simulation: "1", "2", "3" or ""
  std::array<QLabel*, 4> label1_{};
  std::array<QLabel*, kRows + 1> lb_{};
  std::array<platform::FocusLineEdit*, kRows + 1> txt_{};
  std::array<QLineEdit*, kRows + 1> minVal_{};
  std::array<QLineEdit*, kRows + 1> maxVal_{};
  QGroupBox* frame1_ = nullptr;
  QLabel* label2_ = nullptr;
  QLineEdit* outputFileName_ = nullptr;
  platform::PictureBox* pictBox_ = nullptr;
  std::array<QLabel*, kAxisLabels + 1> lab_{};
  std::array<QString, kAxisLabels + 1> axisCaption_{};
  QLabel* label3_ = nullptr;
  std::vector<QPushButton*> cmd_;  // index 0 unused
  QPushButton* execute_ = nullptr;
  QPushButton* endProgram_ = nullptr;

  std::unique_ptr<Controls> controls_;
  std::unique_ptr<platform::WindowMessageSink> messages_;
  std::unique_ptr<Program> program_;
};

}  // namespace tessaline
