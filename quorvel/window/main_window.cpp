#include "quorvel/window/main_window.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "common/number_text.h"
#include "platform/system/files.h"
#include "platform/widgets/twips.h"
#include "quorvel/run/report_files.h"
#include "quorvel/run/run_driver.h"
#include "quorvel/window/command_controller.h"

namespace quorvel {
namespace {

constexpr common::Colour kEntryBack = 0xE0FFC0;     // pale green: entries, a total of 1
constexpr common::Colour kTotalWrongBack = 0xC0;    // dark red: a total other than 1
constexpr common::Colour kProgressBack = 0xC0FFFF;  // progress displays and legends
constexpr common::Colour kAxisBack = 0xFFFFC0;
constexpr common::Colour kPictureBack = 0xE0FFE0;
constexpr common::Colour kAllelesBack = 0xC0E0FF;
// The legends name the R+ carriers in a brighter red than their curves (kRPlusColour);
// the R- carriers are blue in both (kRMinusColour).
constexpr common::Colour kRPlusLegendColour = 0xFF;

// Client area of the window, in twips.
constexpr int kClientWidth = 14415;
constexpr int kClientHeight = 8385;

// The first state of an entry and its label, before the start-up sequence.
enum FirstState { kEnabled, kBoxDisabled, kBothDisabled };

struct EntryPlace {
  int index;
  int labelLeft, labelTop, labelWidth;  // labelWidth 0: no label of its own
  int left, top;
  FirstState first;
};

// In the order the boxes are made; the caption of a label is EntryCaption(index).
constexpr EntryPlace kEntryPlaces[] = {
    {kEntryU, 150, 120, 3105, 3480, 120, kEnabled},
    {kEntryW, 150, 480, 3105, 3480, 480, kEnabled},
    {kEntryS, 150, 840, 3105, 3480, 840, kEnabled},
    {kEntryK, 150, 1200, 3225, 3480, 1200, kEnabled},
    {kEntryStartA, 150, 1560, 3105, 3480, 1560, kEnabled},
    {kEntryStartB, 150, 1920, 3105, 3480, 1920, kEnabled},
    {kEntryStartC, 120, 2280, 3105, 3480, 2280, kEnabled},
    {kEntryStartRPlus, 120, 2640, 3105, 3480, 2640, kEnabled},
    {kEntryZ, 150, 3000, 3345, 3480, 3000, kEnabled},
    {kEntryDemes, 120, 3360, 2745, 3480, 3360, kEnabled},
    {kEntryMaxGen, 120, 3720, 3105, 3480, 3720, kEnabled},
    {kEntryDiffusion, 0, 0, 0, 3480, 4080, kEnabled},
    {kEntryInversionPeriod, 0, 0, 0, 3480, 4440, kBoxDisabled},
    {kEntryHaplotypeAb, 6360, 5190, 1065, 7560, 5190, kBothDisabled},
    {kEntryHaplotypeACapB, 8520, 5190, 1185, 9720, 5190, kBothDisabled},
    {kEntryHaplotypeCapAb, 6360, 5700, 1185, 7560, 5700, kBothDisabled},
    {kEntryHaplotypeCapACapB, 8520, 5700, 1185, 9720, 5700, kBothDisabled},
    {kShowTotal, 10680, 5190, 465, 12240, 5190, kBothDisabled},
    {kShowD, 10680, 5700, 1545, 12240, 5700, kBothDisabled},
    {kEntryFolder, 5280, 6240, 2145, 7560, 6240, kEnabled},
    {kEntryLog10N, 5280, 6720, 2145, 7560, 6720, kBothDisabled},
    {kEntryIterations, 5280, 7720, 2265, 7560, 7720, kBothDisabled},
    {kEntryLoopFrom, 0, 0, 0, 2040, 7720, kBoxDisabled},
    {kEntryLoopTo, 0, 0, 0, 3360, 7720, kBoxDisabled},
    {kShowS, 8520, 7170, 855, 9525, 7170, kBothDisabled},
    {kShowK, 10350, 7170, 855, 11355, 7170, kBothDisabled},
    {kShowLog10N, 8520, 7720, 855, 9525, 7720, kBothDisabled},
    {kShowIteration, 10350, 7720, 855, 11355, 7720, kBothDisabled},
};

}  // namespace

// The check boxes of the model's steps, each the box of a switch's row. Those that govern
// an entry (the diffusion, the inversion period) stand where its label would and take its
// caption; each is made just after the entry `after`, so that it lies between the entries
// it sits among.
struct MainWindow::CheckBoxPlace {
  const char* name;
  CheckBox* MainWindow::*box;
  CheckValue CheckBoxes::*value;
  int governs;  // the entry whose caption it shows, or -1 for the caption of its row
  int left, top, width, height;
  bool enabled;
  int after;
};

const MainWindow::CheckBoxPlace MainWindow::kCheckBoxPlaces[] = {
    {"InterdemicDiffusion", &MainWindow::interdemicDiffusion_, &CheckBoxes::InterdemicDiffusion,
     kEntryDiffusion, 120, 4080, 3255, 255, true, kEntryDiffusion},
    {"InversionOfS", &MainWindow::inversionOfS_, &CheckBoxes::InversionOfS, kEntryInversionPeriod,
     120, 4440, 3255, 195, true, kEntryInversionPeriod},
    {"SinusoidalOption", &MainWindow::sinusoidalOption_, &CheckBoxes::SinusoidalOption, -1, 120,
     4740, 2775, 255, false, kEntryInversionPeriod},
    {"TotalStochasticity", &MainWindow::totalStochasticity_, &CheckBoxes::TotalStochasticity, -1,
     120, 5100, 1815, 195, true, kEntryInversionPeriod},
    {"RecombForR", &MainWindow::recombForR_, &CheckBoxes::RecombForR, -1, 120, 5400, 2055, 255,
     true, kEntryInversionPeriod},
    {"GeneticDrift", &MainWindow::geneticDrift_, &CheckBoxes::GeneticDrift, -1, 120, 5775, 1695,
     255, true, kEntryInversionPeriod},
    {"LinkageDisequilibrium", &MainWindow::linkageDisequilibrium_,
     &CheckBoxes::LinkageDisequilibrium, -1, 4200, 5400, 2175, 375, true, kEntryInversionPeriod},
};

namespace {

// The report files go to the default folder unless the user names another one.
QString DefaultReportFile(int n) {
  return QString::fromStdString(ReportFilePath(platform::DefaultFolder(), n));
}

bool IsProgressDisplay(int index) {
  return index >= kShowS && index <= kShowIteration;
}

QFont BaseFont() {
  QFont font = QApplication::font();
  font.setPixelSize(11);
  return font;
}

// Fits a label's font to its caption; a label that cannot hold its caption even in the
// smallest readable font grows to the right (only the captions naming the folder of the
// report files, whose length depends on the user's home folder, ever need it).
void FitLabel(QLabel* label, int maxRight) {
  const QFont font = FitFont(BaseFont(), label->text(), label->size(), false);
  label->setFont(font);
  const int needed = QFontMetrics(font).horizontalAdvance(label->text());
  if (needed > label->width())
    label->resize(std::min(needed, maxRight - label->x()), label->height());
}

// Like controls share one font: the smallest any of them needed to fit.
void ShareSmallestFont(const std::vector<QWidget*>& widgets) {
  QFont smallest;
  bool first = true;
  for (QWidget* w : widgets) {
    const QFont f = w->font();
    if (first || f.pixelSize() < smallest.pixelSize() ||
        (f.pixelSize() == smallest.pixelSize() && f.stretch() < smallest.stretch())) {
      smallest = f;
      first = false;
    }
  }
  for (QWidget* w : widgets) {
    QFont f = w->font();
    f.setPixelSize(smallest.pixelSize());
    f.setStretch(smallest.stretch());
    w->setFont(f);
  }
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
  setWindowTitle("Quorvel - Marbeck");
  setFixedSize(platform::TwipsToPixels(kClientWidth), platform::TwipsToPixels(kClientHeight));
  BuildControls();
  Form_Load();
  command_ = new CommandController(*this);
  connect(command_, &CommandController::commandStarted, this, &MainWindow::commandStarted);
  connect(command_, &CommandController::commandEnded, this, &MainWindow::commandEnded);
}

MainWindow::~MainWindow() {
  delete command_;
}

// --- Building the window ----------------------------------------------------------------

QLabel* MainWindow::AddLabel(const QString& caption, int left, int top, int width, int height,
                             common::Colour back) {
  auto* label = new QLabel(caption, this);
  platform::SetGeometryTwips(label, left, top, width, height);
  platform::SetBackColour(label, back);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  if (!caption.trimmed().isEmpty()) FitLabel(label, this->width());
  return label;
}

QLabel* MainWindow::AddEntryLabel(int index, const QString& caption, int left, int top, int width,
                                  int height) {
  auto* label = new QLabel(caption, this);
  label->setObjectName(QString("labl_%1").arg(index));
  platform::SetGeometryTwips(label, left, top, width, height);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  if (IsProgressDisplay(index)) platform::SetBackColour(label, kProgressBack);
  FitLabel(label, this->width());
  labl_[index] = label;
  return label;
}

platform::FocusLineEdit* MainWindow::AddEntry(int index, int left, int top, const std::string& text,
                                              int width) {
  auto* box = new platform::FocusLineEdit(this);
  box->setObjectName(QString("txt_%1").arg(index));
  platform::SetGeometryTwips(box, left, top, width, 285);
  box->setFont(BaseFont());
  box->setTextMargins(0, 0, 0, 0);
  box->setText(QString::fromStdString(text));
  box->setCursorPosition(0);
  platform::SetBackColour(box, IsProgressDisplay(index) ? kProgressBack : kEntryBack);
  connect(box, &platform::FocusLineEdit::lostFocus, this, [this, index] { txt_LostFocus(index); });
  txt_[index] = box;
  return box;
}

CheckBox* MainWindow::AddCheckBox(const char* name, const QString& caption, int left, int top,
                                  int width, int height, CheckValue value) {
  auto* box = new CheckBox(caption, this);
  box->setObjectName(name);
  platform::SetGeometryTwips(box, left, top, width, height);
  const int indicator = box->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
                        box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box);
  box->setFont(FitFont(BaseFont(), caption, box->size() - QSize(indicator, 0), false));
  box->SetValue(value);
  return box;
}

void MainWindow::BuildControls() {
  setFont(BaseFont());
  BuildEntries();
  BuildRunModes();
  BuildButtons();
  const std::vector<QWidget*> legendLabels = BuildDrawingSide();
  ShareFonts(legendLabels);
  SetTabOrder();
  Txt(kEntryU)->setFocus(Qt::OtherFocusReason);
}

void MainWindow::BuildEntries() {
  const std::string startFolder = platform::DefaultFolder();

  // Entries with their labels, in the window's tab order. The start texts are those of
  // the window's definition; Form_Load replaces most of them.
  for (const EntryPlace& place : kEntryPlaces) {
    const std::string text =
        place.index == kEntryFolder ? startFolder : StartText(table_, place.index);
    const int width = place.index == kEntryFolder      ? 2715
                      : IsProgressDisplay(place.index) ? 675
                                                       : 800;
    AddEntry(place.index, place.left, place.top, text, width);
    if (place.labelWidth > 0) {
      AddEntryLabel(place.index, QString::fromStdString(EntryCaption(place.index)), place.labelLeft,
                    place.labelTop, place.labelWidth, IsProgressDisplay(place.index) ? 285 : 255);
    }
    const CheckBoxes start = StartChecks(RunMode::Single);
    for (const CheckBoxPlace& check : kCheckBoxPlaces) {
      if (check.after != place.index) continue;
      const std::string caption =
          check.governs >= 0 ? EntryCaption(check.governs) : ParameterOfSwitch(check.value).Caption;
      this->*check.box = AddCheckBox(check.name, QString::fromStdString(caption), check.left,
                                     check.top, check.width, check.height, start.*check.value);
      if (!check.enabled) (this->*check.box)->setEnabled(false);
    }
  }

  // Window-definition states: what the start-up sequence starts from.
  for (const EntryPlace& place : kEntryPlaces) {
    if (place.first == kBothDisabled) SetEntryEnabled(place.index, false);
    if (place.first == kBoxDisabled) Txt(place.index)->setEnabled(false);
  }
  // The loop displays are written by the run only.
  for (int i = kShowS; i <= kShowIteration; ++i) Txt(i)->SetLocked(true);

  connect(interdemicDiffusion_, &CheckBox::valueChanged, this,
          &MainWindow::InterdemicDiffusion_Click);
  connect(inversionOfS_, &CheckBox::valueChanged, this, &MainWindow::InversionOfS_Click);
  connect(linkageDisequilibrium_, &CheckBox::valueChanged, this,
          &MainWindow::LinkageDisequilibrium_Click);
}

void MainWindow::BuildRunModes() {
  // Run modes, one group.
  const struct {
    QString caption;
    int left, top, width, height;
  } options[4] = {
      {"Single simulation with N = infinite (values in " + DefaultReportFile(1) + ")", 120, 6160,
       4935, 375},
      {"Single simulation with N finite (image values in Reportfile1.txt)", 120, 6665, 4935, 375},
      {"Loop with N infinite, S=.01 to .2 step .01, K=0.8 to 1.2 step .01 (values in "
       "ReportFile2.txt)",
       120, 7170, 4815, 375},
      {"Loop with Log10(N)=" + QString(24, ' ') + "to" + QString(27, ' ') + "step .5", 120, 7680,
       4935, 375},
  };
  for (int i = 0; i < 4; ++i) {
    auto* button = new OptionButton(options[i].caption, this);
    button->setObjectName(QString("Option1_%1").arg(i));
    platform::SetGeometryTwips(button, options[i].left, options[i].top, options[i].width,
                               options[i].height);
    button->setFont(FitFont(BaseFont(), options[i].caption, button->CaptionRect().size(), true));
    connect(button, &OptionButton::gotFocus, this, [this, i] { Option1_GotFocus(i); });
    option1_[static_cast<size_t>(i)] = button;
  }
  // The two loop bounds stand in the gaps of the last caption, over the button.
  {
    OptionButton* loop = option1_[3];
    const QRect from = Txt(kEntryLoopFrom)->geometry().translated(-loop->x(), -loop->y());
    const QRect to = Txt(kEntryLoopTo)->geometry().translated(-loop->x(), -loop->y());
    const QRect caption = loop->CaptionRect();
    const QRect before(caption.left(), 0, from.left() - 3 - caption.left(), loop->height());
    const QRect between(from.right() + 4, 0, to.left() - from.right() - 7, loop->height());
    const QRect after(to.right() + 4, 0, loop->width() - to.right() - 4, loop->height());
    QFont font = FitFont(BaseFont(), "Loop with Log10(N)=", before.size(), false);
    loop->setFont(font);
    loop->SetCaptionParts({{"Loop with Log10(N)=", before}, {"to", between}, {"step .5", after}});
    Txt(kEntryLoopFrom)->raise();
    Txt(kEntryLoopTo)->raise();
  }
  // Captions naming the folder of the report files.
  AddEntryLabel(kEntryLoopFrom,
                "(values in " + DefaultReportFile(2) + " and " + DefaultReportFile(3) + ")", 360,
                8040, 3705);
}

void MainWindow::BuildButtons() {
  const struct {
    const char* name;
    const char* caption;
    QPushButton* MainWindow::*button;
    void (MainWindow::*click)();
    int left, top, width, height;
  } buttons[] = {
      {"Start", "Start simulation", &MainWindow::start_, &MainWindow::Start_Click, 11040, 6120,
       1695, 495},
      {"EndProgram_0", "End", &MainWindow::endProgram_, &MainWindow::EndProgram_Click, 12840, 6120,
       975, 495},
      {"ToggleAllelesNumber", "Alleles number (2/3)", &MainWindow::toggleAllelesNumber_,
       &MainWindow::ToggleAllelesNumber_Click, 11040, 6720, 2295, 285},
  };
  for (const auto& row : buttons) {
    auto* button = new QPushButton(row.caption, this);
    button->setObjectName(row.name);
    platform::SetGeometryTwips(button, row.left, row.top, row.width, row.height);
    connect(button, &QPushButton::clicked, this, row.click);
    this->*row.button = button;
  }
  for (QPushButton* button : {start_, endProgram_, toggleAllelesNumber_}) {
    button->setFont(FitFont(BaseFont(), button->text(), button->size() - QSize(8, 4), false));
  }

  allelesNumber_ = new QLabel("2", this);
  allelesNumber_->setObjectName("AllelesNumber");
  platform::SetGeometryTwips(allelesNumber_, 13440, 6720, 405, 285);
  platform::SetBackColour(allelesNumber_, kAllelesBack);
  QFont bold = BaseFont();
  bold.setBold(true);
  allelesNumber_->setFont(bold);
  allelesNumber_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

std::vector<QWidget*> MainWindow::BuildDrawingSide() {
  // The drawing area: the picture box, its axis labels and the legends of the genotypes.
  pictBox_ = new platform::PictureBox(platform::PictureBox::Scale::Pixels, this);
  pictBox_->setObjectName("PictBox");
  platform::SetGeometryTwips(pictBox_, 5040, 240, 9165, 4515);
  pictBox_->SetBackColour(kPictureBack);
  pictBox_->setFont(BaseFont());
  connect(pictBox_, &platform::PictureBox::repainting, this, [this] {
    if (!progressToRepaint_.empty()) RepaintPendingProgress();
  });

  auto addLab = [this](int index, const QString& caption, int left, int top, int width, int height,
                       common::Colour back) {
    QLabel* label = AddLabel(caption, left, top, width, height, back);
    label->setObjectName(QString("lab_%1").arg(index));
    lab_[index] = label;
    return label;
  };
  addLab(4, "1", 4800, 240, 135, 255, kAxisBack);
  addLab(2, "0", 4800, 4560, 135, 255, kAxisBack);
  addLab(21, "0", 4980, 4800, 135, 255, kAxisBack);
  addLab(22, "Generations", 8520, 4800, 2175, 255, kAxisBack)->setAlignment(Qt::AlignCenter);
  {
    // The end of the generation axis shows MaxGen, up to five digits.
    QLabel* end = addLab(23, "", 13920, 4800, 495, 255, kAxisBack);
    end->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    end->setFont(FitFont(BaseFont(), "10000", end->size(), false));
  }
  {
    // A column one character wide: the caption wraps to one letter a line.
    QLabel* title = addLab(20, "", 4440, 1016, 135, 3015, 0);
    title->setText("   F r e q u e n c i e s");
    title->setAutoFillBackground(false);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setFamilies({"Courier New", mono.family()});
    mono.setPixelSize(11);
    title->setFont(mono);
    title->setWordWrap(true);
    title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  }
  // The legends of the two-locus genotypes and of the two carrier lines, in the colours of
  // their carriers.
  const struct {
    int index;
    const char* caption;
    int left, top, width;
    common::Colour back;  // 0: the window shows through
    common::Colour colour;
  } legends[] = {
      {3, "AB'", 4600, 1024, 350, kProgressBack, kRMinusColour},
      {5, "aB'", 4600, 1394, 350, kProgressBack, kRMinusColour},
      {6, "Ab'", 4600, 1764, 350, kProgressBack, kRMinusColour},
      {7, "ab'", 4600, 2134, 350, kProgressBack, kRMinusColour},
      {8, "AB", 4600, 2592, 350, kProgressBack, kRPlusLegendColour},
      {9, "aB", 4600, 2984, 350, kProgressBack, kRPlusLegendColour},
      {10, "Ab", 4600, 3376, 350, kProgressBack, kRPlusLegendColour},
      {11, "ab", 4600, 3768, 350, kProgressBack, kRPlusLegendColour},
      {0, "Asex", 4450, 632, 500, 0, kRMinusColour},
      {1, "Sex", 4450, 4160, 500, 0, kRPlusLegendColour},
  };
  std::vector<QWidget*> legendLabels;
  for (const auto& legend : legends) {
    QLabel* label = addLab(legend.index, legend.caption, legend.left, legend.top, legend.width, 255,
                           legend.back);
    platform::SetForeColour(label, legend.colour);
    if (legend.back == 0) label->setAutoFillBackground(false);
    legendLabels.push_back(label);
  }

  const char* threeLoci[16] = {"ABC'", "AbC'", "aBC'", "ABc'", "abC'", "aBc'", "Abc'", "abc'",
                               "ABC",  "AbC",  "aBC",  "ABc",  "abC",  "aBc",  "Abc",  "abc"};
  const int threeLociTops[16] = {1000, 1193, 1386, 1579, 1772, 1965, 2158, 2350,
                                 2520, 2715, 2910, 3105, 3285, 3480, 3675, 3870};
  for (int i = 0; i < 16; ++i) {
    QLabel* label = AddLabel(threeLoci[i], 4600, threeLociTops[i], 375, 195, kProgressBack);
    label->setObjectName(QString("Lab4_%1").arg(i));
    platform::SetForeColour(label, i < 8 ? kRMinusColour : kRPlusLegendColour);
    label->hide();
    lab4_[static_cast<size_t>(i)] = label;
    legendLabels.push_back(label);
  }
  return legendLabels;
}

void MainWindow::ShareFonts(const std::vector<QWidget*>& legendLabels) {
  // Like controls share one font: the entry labels, the check boxes, the run modes, the
  // buttons and the legends.
  std::vector<QWidget*> entryLabels;
  for (const EntryPlace& place : kEntryPlaces)
    if (place.labelWidth > 0) entryLabels.push_back(Labl(place.index));
  ShareSmallestFont(entryLabels);
  std::vector<QWidget*> checkBoxes;
  for (const CheckBoxPlace& check : kCheckBoxPlaces) checkBoxes.push_back(this->*check.box);
  ShareSmallestFont(checkBoxes);
  ShareSmallestFont({option1_[0], option1_[1], option1_[2], option1_[3]});
  ShareSmallestFont({start_, endProgram_, toggleAllelesNumber_});
  ShareSmallestFont(legendLabels);
}

void MainWindow::SetTabOrder() {
  // Tab order: down the entries, then the steps, the run modes, the folder and the buttons.
  static const char* const kTabOrder[] = {"txt_0",
                                          "txt_1",
                                          "txt_2",
                                          "txt_3",
                                          "txt_4",
                                          "txt_5",
                                          "txt_6",
                                          "txt_20",
                                          "txt_7",
                                          "txt_10",
                                          "txt_17",
                                          "InterdemicDiffusion",
                                          "txt_11",
                                          "InversionOfS",
                                          "txt_12",
                                          "SinusoidalOption",
                                          "TotalStochasticity",
                                          "RecombForR",
                                          "GeneticDrift",
                                          "LinkageDisequilibrium",
                                          "txt_13",
                                          "txt_15",
                                          "txt_14",
                                          "txt_16",
                                          "Option1_0",
                                          "Option1_1",
                                          "Option1_2",
                                          "Option1_3",
                                          "txt_18",
                                          "txt_19",
                                          "txt_30",
                                          "txt_9",
                                          "txt_8",
                                          "Start",
                                          "EndProgram_0",
                                          "ToggleAllelesNumber"};
  std::vector<QWidget*> order;
  for (const char* name : kTabOrder) order.push_back(findChild<QWidget*>(name));
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

// --- Start-up -------------------------------------------------------------------------------

void MainWindow::Form_Load() {
  table_ = MakeParameterTable();
  defaultDirectory_ = platform::DefaultFolder();
  ResetEntries();
  LayoutForAlleles();
}

void MainWindow::ResetEntries() {
  for (int i : kParameterEntries) {
    if (HasDefault(i)) SetEntryText(i, StartText(table_, i));
  }
  SetEntryText(kEntryFolder, defaultDirectory_);
  const CheckBoxes start = StartChecks(RunMode::Single);
  for (const CheckBoxPlace& check : kCheckBoxPlaces)
    (this->*check.box)->SetValue(start.*check.value);
  option1_[0]->setChecked(true);
  Option1_GotFocus(0);
  repaint();
  ValidateEntries();
}

void MainWindow::LayoutForAlleles() {
  model_.AllelesNum =
      common::ToInt16(common::ParseLeadingNumber(allelesNumber_->text().toStdString()));
  if (model_.AllelesNum == 2 || model_.AllelesNum == 3) {
    const bool threeLoci = model_.AllelesNum == 3;
    // The start frequency of c exists only with three loci.
    Txt(kEntryStartC)->setEnabled(threeLoci);
    linkageDisequilibrium_->SetValue(0);
    linkageDisequilibrium_->setEnabled(
        !SwitchHeldOff(&CheckBoxes::LinkageDisequilibrium, CheckValues(), model_.AllelesNum));
    for (QLabel* legend : lab4_) legend->setVisible(threeLoci);
  }
  model_.BuildGenotypeTables();
  pictBox_->Clear();
}

// --- Entries ---------------------------------------------------------------------------------

platform::FocusLineEdit* MainWindow::Txt(int index) const {
  auto it = txt_.find(index);
  return it == txt_.end() ? nullptr : it->second;
}

QLabel* MainWindow::Labl(int index) const {
  auto it = labl_.find(index);
  return it == labl_.end() ? nullptr : it->second;
}

QLabel* MainWindow::Lab(int index) const {
  auto it = lab_.find(index);
  return it == lab_.end() ? nullptr : it->second;
}

std::string MainWindow::EntryText(int index) const {
  const platform::FocusLineEdit* box = Txt(index);
  return box ? box->text().toStdString() : std::string();
}

void MainWindow::SetEntryText(int index, const std::string& text) {
  platform::FocusLineEdit* box = Txt(index);
  if (!box) return;
  const QString value = QString::fromStdString(text);
  if (box->text() == value) return;
  box->setText(value);
  box->setCursorPosition(0);
}

void MainWindow::RepaintEntry(int index) {
  if (platform::FocusLineEdit* box = Txt(index)) box->repaint();
}

void MainWindow::ShowProgress(int index, const std::string& text) {
  SetEntryText(index, text);
  // A sweep shows a new value after every run, far more often than a screen shows frames:
  // within a frame of the last repaint the box waits for the next repaint due.
  progressToRepaint_.insert(index);
  if (sinceProgressRepaint_.isValid() && sinceProgressRepaint_.elapsed() < progressFrameMs_) return;
  RepaintPendingProgress();
}

void MainWindow::RepaintPendingProgress() {
  for (int index : progressToRepaint_) RepaintEntry(index);
  progressToRepaint_.clear();
  sinceProgressRepaint_.start();
}

void MainWindow::SetEntryEnabled(int index, bool enabled) {
  if (QLabel* label = Labl(index)) label->setEnabled(enabled);
  if (platform::FocusLineEdit* box = Txt(index)) box->setEnabled(enabled);
}

common::DrawingSurface& MainWindow::Picture() {
  return *pictBox_;
}

ParameterSet MainWindow::CurrentEntries() const {
  ParameterSet set;
  for (const auto& [index, box] : txt_) set.Text(index) = box->text().toStdString();
  set.Checks = CheckValues();
  return set;
}

CheckBoxes MainWindow::CheckValues() const {
  CheckBoxes values;
  for (const CheckBoxPlace& check : kCheckBoxPlaces)
    values.*check.value = (this->*check.box)->Value();
  return values;
}

CheckBox* MainWindow::SwitchBox(CheckValue CheckBoxes::*value) const {
  for (const CheckBoxPlace& check : kCheckBoxPlaces)
    if (check.value == value) return this->*check.box;
  return nullptr;
}

// --- Validation -----------------------------------------------------------------------------

void MainWindow::txt_LostFocus(int index) {
  // The entries are locked while a command runs; its snapshot is taken.
  if (IsRunning()) return;
  if (NormalizedOnLeaving(index)) {
    std::string text = EntryText(index);
    SetEntryText(index, NormalizeNumberText(text));
  }
  ValidateEntries();
}

void MainWindow::ValidateEntries() {
  ParameterSet set = CurrentEntries();
  const ValidationOutcome outcome = quorvel::ValidateEntries(table_, set, defaultDirectory_);
  for (const auto& [index, box] : txt_) SetEntryText(index, set.Text(index));
  // The box follows the number of demes; its reaction runs even when the tick stays.
  if (!interdemicDiffusion_->SetValue(set.Checks.InterdemicDiffusion)) InterdemicDiffusion_Click();
  if (outcome.HaplotypesShown) {
    platform::SetBackColour(Txt(kShowTotal), outcome.TotalIsOne ? kEntryBack : kTotalWrongBack);
  }
  lab_[23]->setText(Txt(kEntryMaxGen)->text());

  pictBox_->Clear();
  pictBox_->SetCurrentPosition(0, 0);
  repaint();
}

// --- Reactions --------------------------------------------------------------------------------

void MainWindow::Start_Click() {
  if (IsRunning()) {
    Stop();
  } else {
    Start();
  }
}

void MainWindow::Start() {
  command_->Start();
}

void MainWindow::Stop() {
  command_->Stop();
}

bool MainWindow::IsRunning() const {
  return command_->IsRunning();
}

void MainWindow::WaitForCommand() {
  command_->WaitForCommand();
}

void MainWindow::SetThreadCount(unsigned threads) {
  command_->SetThreadCount(threads);
}

QShortcut* MainWindow::EscapeShortcut() const {
  return command_->EscapeShortcut();
}

void MainWindow::Option1_GotFocus(int index) {
  const RunMode mode = RunModeOfOption(index);
  ChooseRunMode(mode, runState_, model_);
  geneticDrift_->SetValue(runState_.Checks.GeneticDrift);
  for (int i : {kEntryIterations, kEntryLog10N, kShowS, kShowK, kShowLog10N, kShowIteration})
    SetEntryEnabled(i, ModeUsesBox(mode, i));
  // The bounds of the N sweep stand in its button's caption: their label is another's.
  for (int i : {kEntryLoopFrom, kEntryLoopTo}) Txt(i)->setEnabled(ModeUsesBox(mode, i));
}

void MainWindow::InterdemicDiffusion_Click() {
  Txt(kEntryDiffusion)->setEnabled(interdemicDiffusion_->Value() != 0);
}

void MainWindow::InversionOfS_Click() {
  const bool inversion = inversionOfS_->Value() != 0;
  Txt(kEntryInversionPeriod)->setEnabled(inversion);
  const bool heldOff =
      SwitchHeldOff(&CheckBoxes::SinusoidalOption, CheckValues(), model_.AllelesNum) != nullptr;
  sinusoidalOption_->setEnabled(!heldOff);
  if (heldOff) sinusoidalOption_->SetValue(0);
}

void MainWindow::LinkageDisequilibrium_Click() {
  const bool enabled = linkageDisequilibrium_->Value() != 0;
  for (int i = kEntryHaplotypeAb; i <= kEntryHaplotypeCapACapB; ++i) SetEntryEnabled(i, enabled);
  Labl(kShowTotal)->setEnabled(enabled);
  Labl(kShowD)->setEnabled(enabled);
}

void MainWindow::ToggleAllelesNumber_Click() {
  allelesNumber_->setText(allelesNumber_->text() == "2" ? "3" : "2");
  LayoutForAlleles();
}

void MainWindow::EndProgram_Click() {
  close();
}

}  // namespace quorvel
