// The window's Start command on a thread of its own, so that the window keeps answering
// while a run or a sweep goes on: it repaints, shows the curves and the progress displays
// as they come, counts the runs done with the time left in its title, and can be stopped
// (Esc, or the Start button, which reads "Stop" meanwhile).
//
// At Start the window runs its validation pass and the command takes a snapshot of every
// entry and check box; from then on the model, the run state and the generator belong to
// the command thread until the command has ended, and the entries, check boxes, option
// buttons and the model-size button do not react. The command thread alone writes the
// report files; the window's thread alone touches widgets. End and closing the window stop
// the command and wait for its end, so every file is closed before the program ends.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "quorvel/run/relay_window.h"

class QShortcut;
class QWidget;

namespace quorvel {

class MainWindow;

class CommandController : public QObject {
  Q_OBJECT
 public:
  explicit CommandController(MainWindow& window);
  ~CommandController() override;

  bool IsRunning() const { return running_; }
  // Starts the command of the chosen run mode; does nothing while one runs.
  void Start();
  // The run in progress ends after its current generation; no other run starts.
  void Stop();
  // Waits for the command to end and shows what it left (curves, displays, title and
  // messages) before returning.
  void WaitForCommand();
  // The text the title carries after the program's name ("" when nothing to say).
  const QString& Status() const { return status_; }
  // Esc, which stops the command; a frame with a Stop action of its own takes its place.
  QShortcut* EscapeShortcut() const { return escape_; }
  // The threads a sweep's runs share; every core unless set.
  void SetThreadCount(unsigned threads) { threads_ = threads; }

 signals:
  void commandStarted();
  void commandEnded();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Shows on the window what the command has handed over.
  void ShowUpdate();
  void Finish();
  void LockInputs(bool locked);
  void SetStatus(const QString& status);
  void ShowProgressInTitle();
  // The runs of the sweep under way, as the command reports them; 0 for one run.
  size_t RunCount() const;
  size_t RunsDone() const;

  MainWindow& window_;
  QShortcut* escape_;
  std::unique_ptr<RelayWindow> relay_;
  std::thread thread_;
  std::atomic<bool> threadDone_{false};
  bool running_ = false;
  QTimer timer_;
  QElapsedTimer sinceStart_;
  QElapsedTimer sinceTitle_;
  QString baseTitle_;
  QString status_;
  unsigned threads_;
  std::vector<std::string> messages_;
  // What the command thread found out, read after the thread has ended.
  bool stopped_ = false;
  int extinctRuns_ = 0;
  // Inputs locked during the command, with the enabled state to give back.
  std::vector<std::pair<QPointer<QWidget>, bool>> locked_;
};

}  // namespace quorvel
