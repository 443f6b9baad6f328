// A study of the window running on threads of its own (every core unless set), so that the
// window keeps answering: the outcomes come back in grid order and are kept for the results
// window. Stop ends it after the runs in flight, which stop at their current generation and
// are dropped, so what is kept is whole runs only.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "quorvel/run/study.h"

namespace quorvel {

class StudyRun : public QObject {
  Q_OBJECT
 public:
  StudyRun(std::shared_ptr<const Study> study, unsigned threads, QObject* parent);
  // Stops the study and waits for its end.
  ~StudyRun() override;

  const std::shared_ptr<const Study>& Of() const { return study_; }
  bool Running() const { return running_; }
  // Runs handed back so far.
  size_t Done() const { return done_; }
  double Seconds() const { return static_cast<double>(sinceStart_.elapsed()) / 1000.0; }
  void Stop() { stop_ = true; }
  // Returns once the study has ended and `finished` has been emitted.
  void Wait();

  // Once ended: the outcomes in grid order (handed over once), and whether the user
  // stopped the study.
  std::vector<StudyOutcome> TakeOutcomes() { return std::move(outcomes_); }
  bool Stopped() const { return progress_.Stopped; }

 signals:
  // Every quarter of a second while the study runs.
  void progressed();
  void finished();

 private:
  class Keeper;
  void Finish();

  std::shared_ptr<const Study> study_;
  std::vector<StudyOutcome> outcomes_;  // the study thread's until it has ended
  StudyProgress progress_;
  std::atomic<size_t> done_{0};
  std::atomic<bool> stop_{false};
  std::atomic<bool> threadDone_{false};
  bool running_ = true;
  QTimer timer_;
  QElapsedTimer sinceStart_;
  std::thread thread_;  // last: started once the rest exists
};

}  // namespace quorvel
