#include "quorvel/window/command_controller.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QShortcut>

#include "quorvel/run/ordered_executor.h"
#include "quorvel/run/progress_estimate.h"
#include "quorvel/run/run_driver.h"
#include "quorvel/window/controls.h"
#include "quorvel/window/main_window.h"

namespace quorvel {
namespace {

// How often the window shows what the command has drawn: steady, and well within what a
// screen shows.
constexpr int kShowEveryMs = 30;
// How often the title's count and estimate change: readable, yet alive.
constexpr int kTitleEveryMs = 250;

QString Runs(size_t count) {
  return count == 1 ? QStringLiteral("1 run") : QString("%1 runs").arg(count);
}

}  // namespace

CommandController::CommandController(MainWindow& window)
    : QObject(&window), window_(window), threads_(DefaultThreadCount()) {
  baseTitle_ = window_.windowTitle();
  timer_.setInterval(kShowEveryMs);
  connect(&timer_, &QTimer::timeout, this, &CommandController::ShowUpdate);
  escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), &window_);
  connect(escape_, &QShortcut::activated, this, &CommandController::Stop);
  window_.installEventFilter(this);
}

CommandController::~CommandController() {
  if (thread_.joinable()) {
    relay_->RequestStop();
    thread_.join();
  }
}

void CommandController::Start() {
  if (running_) return;
  // Leaving an entry validates it, as a click on the Start button does.
  window_.StartButton()->setFocus(Qt::OtherFocusReason);
  window_.runState().Checks = window_.CheckValues();
  window_.PictBox()->Clear();
  window_.ValidateEntries();

  std::map<int, std::string> entries;
  for (int i = 0; i <= kShowIteration; ++i) {
    if (window_.Txt(i)) entries[i] = window_.EntryText(i);
  }
  const common::DrawingSurface& picture = window_.Picture();
  relay_ = std::make_unique<RelayWindow>(std::move(entries), picture.ScaleWidth(),
                                         picture.ScaleHeight());
  stopped_ = false;
  extinctRuns_ = 0;
  messages_.clear();

  running_ = true;
  LockInputs(true);
  window_.StartButton()->setText("Stop");
  sinceStart_.start();
  sinceTitle_.invalidate();
  ShowProgressInTitle();
  emit commandStarted();

  threadDone_ = false;
  thread_ = std::thread([this, relay = relay_.get(), &model = window_.model(),
                         &state = window_.runState(), threads = threads_] {
    RunDriver driver(model, state, *relay);
    driver.SetThreads(threads);
    driver.StartCommand();
    relay->Flush();
    stopped_ = driver.Stopped();
    extinctRuns_ = driver.ExtinctRuns();
    threadDone_ = true;
    QMetaObject::invokeMethod(this, &CommandController::Finish, Qt::QueuedConnection);
  });
  timer_.start();
}

void CommandController::Stop() {
  if (running_ && relay_) relay_->RequestStop();
}

void CommandController::WaitForCommand() {
  if (!running_) return;
  thread_.join();
  Finish();
}

void CommandController::ShowUpdate() {
  if (!relay_) return;
  RelayWindow::Update update = relay_->Take();
  platform::PictureBox& box = *window_.PictBox();
  if (update.Cleared) box.Clear();
  const bool drawn = !update.Drawn.empty();
  box.Replay(std::move(update.Drawn));
  for (const auto& [index, text] : update.Progress) window_.SetEntryText(index, text);
  for (std::string& message : update.Messages) messages_.push_back(std::move(message));
  if (update.Cleared || drawn) box.update();
  if (running_ && (!sinceTitle_.isValid() || sinceTitle_.elapsed() >= kTitleEveryMs))
    ShowProgressInTitle();
}

size_t CommandController::RunCount() const {
  return relay_ ? relay_->RunsPlanned() : 0;
}

size_t CommandController::RunsDone() const {
  return relay_ ? std::min(relay_->RunsEnded(), RunCount()) : 0;
}

void CommandController::ShowProgressInTitle() {
  sinceTitle_.start();
  const size_t runCount = RunCount();
  if (runCount == 0) {
    SetStatus("Running, Esc stops");
    return;
  }
  ProgressEstimate progress(runCount);
  progress.Update(RunsDone(), static_cast<double>(sinceStart_.elapsed()) / 1000.0);
  SetStatus(QString::fromStdString(ProgressText(progress)) + ", Esc stops");
}

void CommandController::Finish() {
  if (!running_ || !threadDone_) return;
  if (thread_.joinable()) thread_.join();
  timer_.stop();
  ShowUpdate();
  running_ = false;
  window_.StartButton()->setText("Start simulation");
  LockInputs(false);

  QString status;
  // The command thread has ended: the run state is the window's again.
  const RunState& state = window_.runState();
  const size_t runCount = RunCount();
  const size_t done = stopped_ ? RunsDone() : runCount;
  if (!messages_.empty()) {
    status.clear();  // the message says what happened
  } else if (runCount > 0) {
    status = stopped_ ? "Stopped after " + QString::number(done) + " of " + Runs(runCount)
                      : Runs(done) + " done";
    if (extinctRuns_ > 0)
      status += QString("; the population died out in %1 of them").arg(extinctRuns_);
  } else if (!IsSweep(state.Mode) && state.ExtinctAt > 0) {
    status = QString("Population extinct at generation %1").arg(state.ExtinctAt);
    if (stopped_) status += QString("; stopped at generation %1").arg(state.Generation);
  } else if (stopped_) {
    status = QString("Stopped at generation %1").arg(state.Generation);
  }
  SetStatus(status);
  const std::vector<std::string> messages = std::move(messages_);
  messages_.clear();
  for (const std::string& message : messages) window_.Messages().ShowMessage(message);
  emit commandEnded();
}

void CommandController::SetStatus(const QString& status) {
  status_ = status;
  window_.setWindowTitle(status.isEmpty() ? baseTitle_ : baseTitle_ + " - " + status);
}

void CommandController::LockInputs(bool locked) {
  if (!locked) {
    for (auto& [widget, enabled] : locked_) {
      if (widget) widget->setEnabled(enabled);
    }
    locked_.clear();
    return;
  }
  std::vector<QWidget*> inputs;
  for (auto* box : window_.findChildren<platform::FocusLineEdit*>()) {
    // The progress displays go on showing the loops.
    bool display = false;
    for (int i = kShowS; i <= kShowIteration; ++i) display = display || box == window_.Txt(i);
    if (!display) inputs.push_back(box);
  }
  for (auto* box : window_.findChildren<CheckBox*>()) inputs.push_back(box);
  for (auto* button : window_.findChildren<OptionButton*>()) inputs.push_back(button);
  inputs.push_back(window_.ToggleAllelesNumber());
  for (QWidget* widget : inputs) {
    locked_.emplace_back(widget, widget->isEnabled());
    widget->setEnabled(false);
  }
}

bool CommandController::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_ && event->type() == QEvent::Close && running_) {
    // Every file closed before the window goes: stop, and wait for the run in progress.
    Stop();
    WaitForCommand();
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace quorvel
