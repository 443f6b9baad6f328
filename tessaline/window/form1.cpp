#include "tessaline/window/form1.h"

#include <QCoreApplication>
#include <QFont>

#include "platform/widgets/twips.h"
#include "tessaline/core/plotted_table.h"
#include "tessaline/core/simulations.h"

namespace tessaline {
namespace {

// The layout was made for 8.25-point fonts; these sizes keep every caption inside its
// control at 15 twips per pixel.
QFont SansFont() {
  QFont font("DejaVu Sans");
  font.setPixelSize(11);
  return font;
}

// The axis-end labels are one character wide: a monospace font keeps them in line.
QFont MonoFont() {
  QFont font("DejaVu Sans Mono");
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(11);
  return font;
}

QString ToQ(const std::string& text) {
  return QString::fromStdString(text);
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                  int width, int height) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  platform::SetGeometryTwips(label, left, top, width, height);
  return label;
}

QLineEdit* MakeBox(QLineEdit* box, const QString& name, int left, int top, int width, int height,
                   common::Colour back) {
  box->setObjectName(name);
  platform::SetGeometryTwips(box, left, top, width, height);
  platform::SetBackColour(box, back);
  return box;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, int left,
                        int top, int width, int height) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  platform::SetGeometryTwips(button, left, top, width, height);
  return button;
}

QString Indexed(const char* name, int i) {
  return QString("%1(%2)").arg(name).arg(i);
}

}  // namespace

// The program's view of the window's controls.
class Form1::Controls : public FormControls {
 public:
  explicit Controls(Form1& form) : f_(form) {}
  std::string Name(int row) const override { return f_.lb(row)->text().toStdString(); }
  void SetName(int row, const std::string& text) override { f_.lb(row)->setText(ToQ(text)); }
  std::string Value(int row) const override { return f_.txt(row)->text().toStdString(); }
  void SetValue(int row, const std::string& text) override { f_.txt(row)->setText(ToQ(text)); }
  std::string ValueTag(int row) const override { return f_.txt(row)->Tag().toStdString(); }
  void SetValueTag(int row, const std::string& tag) override { f_.txt(row)->SetTag(ToQ(tag)); }
  bool ValueLocked(int row) const override { return f_.txt(row)->Locked(); }
  void SetValueLocked(int row, bool locked) override { f_.txt(row)->SetLocked(locked); }
  std::string Minimum(int row) const override { return f_.MinVal(row)->text().toStdString(); }
  void SetMinimum(int row, const std::string& text) override { f_.MinVal(row)->setText(ToQ(text)); }
  std::string Maximum(int row) const override { return f_.MaxVal(row)->text().toStdString(); }
  void SetMaximum(int row, const std::string& text) override { f_.MaxVal(row)->setText(ToQ(text)); }
  std::string TitleCaption() const override { return f_.FigTitle()->text().toStdString(); }
  void SetTitleCaption(const std::string& text) override { f_.FigTitle()->setText(ToQ(text)); }
  std::string TitleTag() const override { return f_.titleTag_.toStdString(); }
  void SetTitleTag(const std::string& tag) override { f_.titleTag_ = ToQ(tag); }
  std::string OutputFileName() const override { return f_.OutputFileName()->text().toStdString(); }
  void SetOutputFileName(const std::string& text) override {
    f_.OutputFileName()->setText(ToQ(text));
  }
  std::string AxisCaption(int index) const override { return f_.AxisCaption(index).toStdString(); }
  void SetAxisCaption(int index, const std::string& text) override {
    f_.SetAxisCaption(index, ToQ(text));
  }
  bool AxisVisible(int index) const override { return !f_.lab(index)->isHidden(); }
  void SetAxisVisible(int index, bool visible) override { f_.lab(index)->setVisible(visible); }

 private:
  Form1& f_;
};

Form1::Form1(QWidget* parent) : QWidget(parent) {
  setWindowTitle("Tessaline - Marbeck");
  setFont(SansFont());
  setFixedSize(platform::TwipsToPixels(14385), platform::TwipsToPixels(9030));

  BuildGrid();
  BuildDrawingSide();

  controls_ = std::make_unique<Controls>(*this);
  messages_ = std::make_unique<platform::WindowMessageSink>(this);
  program_ = std::make_unique<Program>(*controls_, *pictBox_, *messages_);
}

Form1::~Form1() = default;

void Form1::BuildGrid() {
  figTitle_ = MakeLabel(this, "FigTitle", "", 120, 120, 5535, 495);
  figTitle_->setWordWrap(true);
  figTitle_->setAlignment(Qt::AlignCenter);
  QFont titleFont = SansFont();
  titleFont.setBold(true);
  figTitle_->setFont(titleFont);
  platform::SetBackColour(figTitle_, common::Rgb(192, 255, 255));

  const char* headings[] = {"Parameter", "Value", "Min.", "Max."};
  const int headingX[] = {960, 2880, 3840, 4800};
  for (int i = 0; i < 4; ++i)
    label1_[i] = MakeLabel(this, Indexed("Label1", i), headings[i], headingX[i], 800, 855, 255);

  // Rows 16 to 30 sit in a frame laid over rows 1 to 15; no simulation needs them, so the
  // frame stays hidden and the first fifteen rows show.
  frame1_ = new QGroupBox(this);
  frame1_->setObjectName("Frame1");
  platform::SetGeometryTwips(frame1_, 0, 960, 5775, 7455);
  frame1_->hide();

  for (int i = 1; i <= kRows; ++i) {
    const bool inFrame = i > 15;
    QWidget* parent = inFrame ? static_cast<QWidget*>(frame1_) : this;
    const int y = inFrame ? 240 + 480 * (i - 16) : 1200 + 480 * (i - 1);
    const int nameX = inFrame ? 60 : 120;
    const int valueX = inFrame ? 2840 : 2880;
    const int minX = inFrame ? 3820 : 3840;
    const int maxX = 4800;
    const int boundWidth = inFrame ? 915 : 855;

    lb_[i] = MakeLabel(parent, Indexed("lb", i), "", nameX, y, 2655, 375);
    lb_[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lb_[i]->setIndent(3);
    platform::SetBackColour(lb_[i], common::Rgb(255, 255, 192));
    txt_[i] = static_cast<platform::FocusLineEdit*>(MakeBox(new platform::FocusLineEdit(parent),
                                                            Indexed("txt", i), valueX, y, 915, 375,
                                                            common::Rgb(128, 255, 255)));
    minVal_[i] = MakeBox(new QLineEdit(parent), Indexed("MinVal", i), minX, y, boundWidth, 375,
                         common::Rgb(224, 224, 224));
    maxVal_[i] = MakeBox(new QLineEdit(parent), Indexed("MaxVal", i), maxX, y, boundWidth, 375,
                         common::Rgb(224, 224, 224));
    QObject::connect(txt_[i], &platform::FocusLineEdit::lostFocus, this,
                     [this, i] { txt_LostFocus(i); });
  }

  label2_ =
      MakeLabel(this, "Label2", "   Output file name   (null=no output):", 840, 8520, 2655, 495);
  label2_->setWordWrap(true);
  outputFileName_ = MakeBox(new QLineEdit(this), "OutputFileName", 3600, 8520, 2100, 375,
                            common::Rgb(192, 255, 255));
  outputFileName_->setText(QString::fromStdString(DefaultOutputFileName()));
}

void Form1::BuildDrawingSide() {
  pictBox_ = new platform::PictureBox(platform::PictureBox::Scale::Twips, this);
  pictBox_->setObjectName("PictBox");
  platform::SetGeometryTwips(pictBox_, 6480, 120, 7695, 5895);
  pictBox_->SetBackColour(common::Rgb(224, 255, 224));
  pictBox_->SetForeColour(common::Rgb(0, 0, 0));

  struct Place {
    int left, top, width, height;
  };
  const Place places[] = {{0, 0, 0, 0},           {6240, 120, 135, 735},  {6240, 960, 135, 4455},
                          {6240, 5760, 135, 255}, {6480, 6120, 135, 255}, {9360, 6120, 2415, 255},
                          {13680, 6120, 495, 255}};
  for (int i = 1; i <= kAxisLabels; ++i) {
    const Place& p = places[i];
    lab_[i] = MakeLabel(this, Indexed("lab", i), "", p.left, p.top, p.width, p.height);
    platform::SetBackColour(lab_[i], common::Rgb(192, 255, 255));
    if (i <= 4) lab_[i]->setFont(MonoFont());
  }
  // The right end of the horizontal axis must hold five digits (N up to 99999).
  QFont axisEnd = SansFont();
  axisEnd.setPixelSize(10);
  lab_[6]->setFont(axisEnd);

  label3_ = MakeLabel(this, "Label3", QString(74, ' ') + "Use the preset values:", 6360, 6720, 1695,
                      1095);
  label3_->setWordWrap(true);

  // One button per simulation, one below the other.
  cmd_.assign(Simulations().size() + 1, nullptr);
  for (const Simulation& simulation : Simulations()) {
    const int i = simulation.number;
    QPushButton* button = MakeButton(this, Indexed("cmd", i), simulation.button, 8160,
                                     6600 + 480 * (i - 1), 6015, 375);
    QObject::connect(button, &QPushButton::clicked, this, [this, i] { cmd_Click(i); });
    cmd_.at(static_cast<size_t>(i)) = button;
  }
  execute_ = MakeButton(this, "Execute", "Repeat the simulation by using the inserted values", 6400,
                        8040, 7770, 375);
  QObject::connect(execute_, &QPushButton::clicked, this, [this] { Execute_Click(); });
  endProgram_ = MakeButton(this, "EndProgram", "End", 9120, 8520, 1380, 375);
  QObject::connect(endProgram_, &QPushButton::clicked, this, [this] { EndProgram_Click(); });

  // Tab walks down the values, then to the file name and the buttons.
  std::vector<QWidget*> order(txt_.begin() + 1, txt_.begin() + 16);
  order.push_back(outputFileName_);
  order.insert(order.end(), cmd_.begin() + 1, cmd_.end());
  order.push_back(execute_);
  order.push_back(endProgram_);
  for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void Form1::SetAxisCaption(int i, const QString& caption) {
  axisCaption_.at(i) = caption;
  QString shown = caption;
  shown.replace('\r', '\n');
  lab_.at(i)->setText(shown);
}

platform::CsvTable Form1::PlottedData() const {
  return PlottedTable(*controls_, program_->Points());
}

std::string Form1::ParameterSet() const {
  return ParameterSetText(*controls_);
}

OpenedSet Form1::OpenParameters(std::string_view text) {
  OpenedSet opened = OpenParameterSet(*controls_, text);
  if (opened.refusal.empty()) pictBox_->Clear();
  return opened;
}

void Form1::cmd_Click(int index) {
  program_->cmd_Click(static_cast<int16_t>(index));
}

void Form1::Execute_Click() {
  program_->Execute_Click();
}

void Form1::txt_LostFocus(int index) {
  program_->txt_LostFocus(static_cast<int16_t>(index));
}

void Form1::EndProgram_Click() {
  close();
  QCoreApplication::quit();
}

}  // namespace tessaline
