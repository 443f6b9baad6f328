// The Study dialog: up to four varied parameters, each chosen by the caption the window
// shows for it and given its values as FROM:TO:STEP or a comma list; the replicates, N
// infinite or finite, and the seed (blank: drawn when the study starts). The number of runs
// follows the typing, what is wrong with a row stands beside it, and Start, the default
// button, stays disabled while anything is wrong. The dialog only defines a study: the
// window that owns it opens, saves, checks and runs it.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quorvel/run/study.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace quorvel {

// A parameter the dialog offers: its name of --list and the caption the window shows.
struct StudyChoice {
  std::string Name;
  QString Caption;
};

class StudyDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kRows = static_cast<int>(kMaxVariedParameters);

  StudyDialog(QWidget* parent, const std::vector<StudyChoice>& choices);

  QComboBox* Parameter(int row) const { return Row(row).parameter; }
  QLineEdit* Values(int row) const { return Row(row).values; }
  QLabel* RowMessage(int row) const { return Row(row).message; }
  QSpinBox* Replicates() const { return replicates_; }
  QRadioButton* Infinite() const { return infinite_; }
  QRadioButton* Finite() const { return finite_; }
  QLineEdit* Seed() const { return seed_; }
  QLabel* SeedMessage() const { return seedMessage_; }
  QLabel* RunCount() const { return runCount_; }
  // What is wrong with the study as a whole (or with its grid, once Start has looked).
  QLabel* Message() const { return message_; }
  QPushButton* OpenButton() const { return open_; }
  QPushButton* SaveButton() const { return save_; }
  QPushButton* StartButton() const { return start_; }

  // Chooses the parameter of a row by its name ("" for none), as picking its caption does.
  void ChooseParameter(int row, const std::string& name);
  // Every field from a study file's table; the seed field stays blank without a seed.
  void Fill(const StudyTable& table);
  // The fields as a study file holds them.
  StudyTable Table() const;
  // The study the fields define over `base`, with the seed typed (0 when blank); nullopt
  // while anything is wrong.
  std::optional<StudyDefinition> Definition(const ParameterValues& base) const;
  // The seed typed; nullopt when the field is blank.
  std::optional<uint64_t> TypedSeed() const;
  // Says what is wrong with the study beyond its fields (a grid point refused).
  void ShowRefusal(const QString& refusal);

 signals:
  void startRequested();
  void openRequested();
  void saveRequested();

 private:
  struct RowWidgets {
    QComboBox* parameter = nullptr;
    QLineEdit* values = nullptr;
    QLabel* message = nullptr;
  };
  const RowWidgets& Row(int row) const { return rows_[static_cast<size_t>(row)]; }
  QLayout* BuildRows(const std::vector<StudyChoice>& choices);
  QLayout* BuildSettings();
  QLayout* BuildButtons();
  // Checks every field as it stands: messages, run count and Start.
  void Check();
  // The varied parameters of the rows, with each row's message ("" when sound); nullopt
  // when a row is wrong.
  std::optional<std::vector<VariedParameter>> VariedOfRows();

  std::array<RowWidgets, kRows> rows_;
  QSpinBox* replicates_;
  QRadioButton* infinite_;
  QRadioButton* finite_;
  QLineEdit* seed_;
  QLabel* seedMessage_;
  QLabel* runCount_;
  QLabel* message_;
  QPushButton* open_;
  QPushButton* save_;
  QPushButton* start_;
  std::optional<StudyDefinition> definition_;  // of the last check, over empty base values
};

}  // namespace quorvel
