#include "quorvel/window/study_dialog.h"
#include "common/number_text.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quorvel {
namespace {

// The largest number of replicates the dialog offers: far more than a window's study needs.
constexpr int kMostReplicates = 100000;

QLabel* MessageLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setStyleSheet("color: #b00000");
  label->setWordWrap(true);
  return label;
}

std::string Trimmed(const QString& text) {
  return text.trimmed().toStdString();
}

}  // namespace

StudyDialog::StudyDialog(QWidget* parent, const std::vector<StudyChoice>& choices)
    : QDialog(parent) {
  setWindowTitle("Study");
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(BuildRows(choices));
  layout->addLayout(BuildSettings());
  runCount_ = new QLabel(this);
  message_ = MessageLabel(this);
  layout->addWidget(runCount_);
  layout->addWidget(message_);
  layout->addStretch();
  layout->addLayout(BuildButtons());
  Check();
}

QLayout* StudyDialog::BuildRows(const std::vector<StudyChoice>& choices) {
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Parameter", this), 0, 0);
  grid->addWidget(new QLabel("Values: from:to:step, or a list v1, v2, ...", this), 0, 1);
  for (int row = 0; row < kRows; ++row) {
    RowWidgets& widgets = rows_[static_cast<size_t>(row)];
    widgets.parameter = new QComboBox(this);
    // Captions are long: the list shows them whole, the box only their start.
    widgets.parameter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    widgets.parameter->setMinimumContentsLength(28);
    widgets.parameter->addItem("(none)", QString());
    for (const StudyChoice& choice : choices)
      widgets.parameter->addItem(choice.Caption, QString::fromStdString(choice.Name));
    widgets.parameter->view()->setMinimumWidth(widgets.parameter->view()->sizeHintForColumn(0));
    widgets.values = new QLineEdit(this);
    widgets.values->setMinimumWidth(280);
    widgets.message = MessageLabel(this);
    widgets.message->setMinimumWidth(200);
    grid->addWidget(widgets.parameter, row + 1, 0);
    grid->addWidget(widgets.values, row + 1, 1);
    grid->addWidget(widgets.message, row + 1, 2);
    connect(widgets.parameter, &QComboBox::currentIndexChanged, this, &StudyDialog::Check);
    connect(widgets.values, &QLineEdit::textChanged, this, &StudyDialog::Check);
  }
  grid->setColumnStretch(1, 2);
  grid->setColumnStretch(2, 1);
  return grid;
}

QLayout* StudyDialog::BuildSettings() {
  auto* grid = new QGridLayout;
  replicates_ = new QSpinBox(this);
  replicates_->setRange(1, kMostReplicates);
  grid->addWidget(new QLabel("Replicates per point", this), 0, 0);
  grid->addWidget(replicates_, 0, 1);

  infinite_ = new QRadioButton("N infinite", this);
  finite_ = new QRadioButton("N finite (Log10(N) of the window, unless varied)", this);
  auto* population = new QButtonGroup(this);
  population->addButton(infinite_);
  population->addButton(finite_);
  infinite_->setChecked(true);
  auto* populationRow = new QHBoxLayout;
  populationRow->addWidget(infinite_);
  populationRow->addWidget(finite_);
  populationRow->addStretch();
  grid->addWidget(new QLabel("Population", this), 1, 0);
  grid->addLayout(populationRow, 1, 1, 1, 2);

  seed_ = new QLineEdit(this);
  seed_->setPlaceholderText("drawn at the start");
  seedMessage_ = MessageLabel(this);
  grid->addWidget(new QLabel("Seed", this), 2, 0);
  grid->addWidget(seed_, 2, 1);
  grid->addWidget(seedMessage_, 2, 2);
  grid->setColumnStretch(2, 1);

  connect(replicates_, &QSpinBox::valueChanged, this, &StudyDialog::Check);
  connect(finite_, &QRadioButton::toggled, this, &StudyDialog::Check);
  connect(seed_, &QLineEdit::textChanged, this, &StudyDialog::Check);
  return grid;
}

QLayout* StudyDialog::BuildButtons() {
  auto* buttons = new QHBoxLayout;
  open_ = new QPushButton("&Open...", this);
  save_ = new QPushButton("Save &as...", this);
  auto* cancel = new QPushButton("Cancel", this);
  start_ = new QPushButton("&Start", this);
  for (QPushButton* button : {open_, save_, cancel}) button->setAutoDefault(false);
  start_->setDefault(true);
  buttons->addWidget(open_);
  buttons->addWidget(save_);
  buttons->addStretch();
  buttons->addWidget(cancel);
  buttons->addWidget(start_);
  connect(open_, &QPushButton::clicked, this, &StudyDialog::openRequested);
  connect(save_, &QPushButton::clicked, this, &StudyDialog::saveRequested);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(start_, &QPushButton::clicked, this, [this] {
    if (start_->isEnabled()) emit startRequested();
  });
  return buttons;
}

void StudyDialog::ChooseParameter(int row, const std::string& name) {
  QComboBox* box = Parameter(row);
  box->setCurrentIndex(std::max(0, box->findData(QString::fromStdString(name))));
}

void StudyDialog::Fill(const StudyTable& table) {
  for (int row = 0; row < kRows; ++row) {
    const size_t i = static_cast<size_t>(row);
    const std::string vary = i < table.Vary.size() ? table.Vary[i] : std::string();
    const size_t equals = vary.find('=');
    ChooseParameter(row, vary.substr(0, equals));
    Values(row)->setText(
        equals == std::string::npos ? QString() : QString::fromStdString(vary.substr(equals + 1)));
    Values(row)->setCursorPosition(0);
  }
  replicates_->setValue(table.Replicates);
  (table.Finite ? finite_ : infinite_)->setChecked(true);
  seed_->setText(table.Seed ? QString::number(*table.Seed) : QString());
  Check();
}

StudyTable StudyDialog::Table() const {
  StudyTable table;
  for (int row = 0; row < kRows; ++row) {
    const std::string name = Parameter(row)->currentData().toString().toStdString();
    if (!name.empty()) table.Vary.push_back(name + "=" + Trimmed(Values(row)->text()));
  }
  table.Replicates = replicates_->value();
  table.Finite = finite_->isChecked();
  table.Seed = TypedSeed();
  return table;
}

std::optional<uint64_t> StudyDialog::TypedSeed() const {
  return common::ParseWholeNumber(Trimmed(seed_->text()));
}

std::optional<std::vector<VariedParameter>> StudyDialog::VariedOfRows() {
  std::vector<VariedParameter> varied;
  bool sound = true;
  for (int row = 0; row < kRows; ++row) {
    const std::string name = Parameter(row)->currentData().toString().toStdString();
    const std::string values = Trimmed(Values(row)->text());
    std::string message;
    if (name.empty()) {
      if (!values.empty()) message = "Choose the parameter these values are for.";
    } else if (values.empty()) {
      message = "Type its values.";
    } else {
      for (const VariedParameter& earlier : varied)
        if (earlier.Name == name) message = "This parameter is varied in an earlier row.";
      VariedParameter parameter;
      if (message.empty() && ParseVariedParameter(name + "=" + values, parameter, message))
        varied.push_back(std::move(parameter));
    }
    RowMessage(row)->setText(QString::fromStdString(message));
    sound = sound && message.empty();
  }
  if (!sound) return std::nullopt;
  return varied;
}

void StudyDialog::Check() {
  // Varying Log10(N) makes the population finite.
  bool variesN = false;
  for (int row = 0; row < kRows; ++row)
    variesN =
        variesN || NamesEntry(Parameter(row)->currentData().toString().toStdString(), kEntryLog10N);
  infinite_->setEnabled(!variesN);
  if (variesN && !finite_->isChecked()) {
    finite_->setChecked(true);  // which checks again
    return;
  }
  definition_.reset();
  message_->clear();
  std::optional<std::vector<VariedParameter>> varied = VariedOfRows();
  const bool seedSound = seed_->text().trimmed().isEmpty() || TypedSeed();
  seedMessage_->setText(seedSound ? QString() : "A whole number from 0 to 18446744073709551615.");
  if (varied && varied->empty()) message_->setText("Choose a parameter to vary.");
  if (varied && !varied->empty()) {
    StudyDefinition definition;
    definition.Varied = std::move(*varied);
    definition.Replicates = replicates_->value();
    definition.Finite = finite_->isChecked();
    const std::string refusal = DefinitionRefusal(definition);
    message_->setText(QString::fromStdString(refusal));
    if (refusal.empty()) definition_ = std::move(definition);
  }
  runCount_->setText(definition_ ? QString("Runs: %1").arg(definition_->RunCount())
                                 : QString("Runs: -"));
  start_->setEnabled(definition_ && seedSound);
}

std::optional<StudyDefinition> StudyDialog::Definition(const ParameterValues& base) const {
  if (!definition_ || !start_->isEnabled()) return std::nullopt;
  StudyDefinition definition = *definition_;
  definition.Base = base;
  definition.Seed = TypedSeed().value_or(0);
  return definition;
}

void StudyDialog::ShowRefusal(const QString& refusal) {
  message_->setText(refusal);
}

}  // namespace quorvel
