#include "quorvel/window/study_run.h"

namespace quorvel {
namespace {

// How often the window hears how far the study has come: readable, yet alive.
constexpr int kProgressEveryMs = 250;

}  // namespace

// Keeps each outcome as it comes, on the study's thread.
class StudyRun::Keeper : public StudyObserver {
 public:
  explicit Keeper(StudyRun& run) : run_(run) {}
  bool RunEnded(const StudyOutcome& outcome) override {
    run_.outcomes_.push_back(outcome);
    ++run_.done_;
    return true;
  }
  bool StopRequested() override { return run_.stop_; }

 private:
  StudyRun& run_;
};

StudyRun::StudyRun(std::shared_ptr<const Study> study, unsigned threads, QObject* parent)
    : QObject(parent), study_(std::move(study)) {
  timer_.setInterval(kProgressEveryMs);
  connect(&timer_, &QTimer::timeout, this, &StudyRun::progressed);
  timer_.start();
  sinceStart_.start();
  thread_ = std::thread([this, threads] {
    Keeper keeper(*this);
    progress_ = RunStudy(*study_, {0, study_->RunCount()}, threads, keeper);
    threadDone_ = true;
    QMetaObject::invokeMethod(this, &StudyRun::Finish, Qt::QueuedConnection);
  });
}

StudyRun::~StudyRun() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void StudyRun::Wait() {
  if (!running_) return;
  if (thread_.joinable()) thread_.join();
  Finish();
}

void StudyRun::Finish() {
  if (!running_ || !threadDone_) return;
  if (thread_.joinable()) thread_.join();
  running_ = false;
  timer_.stop();
  emit finished();
}

}  // namespace quorvel
