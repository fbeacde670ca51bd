#include "ripper/RipPipeline.h"

#include <atomic>

namespace pellamy {

namespace {
std::atomic<int> gEncoderThreads{0};
}

int EncoderThreadCount() {
  const int set = gEncoderThreads;
  if (set > 0) return set;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? static_cast<int>(cores) : 1;
}

void SetEncoderThreadCount(int count) {
  gEncoderThreads = count > 0 ? count : 0;
}

TEncodePool::TEncodePool(int threads, int queued) : FQueued(queued > 0 ? static_cast<std::size_t>(queued) : 1) {
  const int count = threads > 0 ? threads : 1;
  for (int i = 0; i < count; ++i) FThreads.emplace_back([this] { Run(); });
}

TEncodePool::~TEncodePool() {
  {
    std::lock_guard lock(FLock);
    FJobs.clear();
    FEnding = true;
  }
  FChanged.notify_all();
  for (std::thread& t : FThreads) t.join();
}

void TEncodePool::Submit(std::function<void()> job) {
  std::unique_lock lock(FLock);
  FChanged.wait(lock, [this] { return FJobs.size() < FQueued; });
  FJobs.push_back(std::move(job));
  FChanged.notify_all();
}

void TEncodePool::Drain() {
  std::unique_lock lock(FLock);
  FChanged.wait(lock, [this] { return FJobs.empty() && FRunning == 0; });
}

void TEncodePool::Cancel() {
  std::lock_guard lock(FLock);
  FJobs.clear();
  FChanged.notify_all();
}

void TEncodePool::Run() {
  std::unique_lock lock(FLock);
  for (;;) {
    FChanged.wait(lock, [this] { return FEnding || !FJobs.empty(); });
    if (FJobs.empty()) return;  // ending
    std::function<void()> job = std::move(FJobs.front());
    FJobs.pop_front();
    ++FRunning;
    FChanged.notify_all();
    lock.unlock();
    job();
    job = nullptr;  // its captures go before the pool counts it done
    lock.lock();
    --FRunning;
    FChanged.notify_all();
  }
}

}  // namespace pellamy
