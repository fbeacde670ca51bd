#include "ripper/RipPipeline.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "base/Exceptions.h"

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

std::size_t AudioBudgetBytes(int encoders) {
  // A real drive reads slower than one encoder, so this fills only from a
  // fast source; then about one and a half typical tracks per extra encoder
  // keep every encoder busy while the drive reads on.
  constexpr std::size_t kPerExtraEncoder = std::size_t(64) << 20, kLeast = std::size_t(8) << 20;
  return std::max(kLeast, kPerExtraEncoder * static_cast<std::size_t>(std::max(encoders - 1, 0)));
}

TAudioStream::TAudioStream(std::uint64_t length, TAudioBudget* budget) : FLength(length), FBudget(budget) {}

TAudioStream::~TAudioStream() {
  Leave();
}

std::mutex& TAudioStream::Lock() {
  return FBudget != nullptr ? FBudget->FLock : FOwnLock;
}
std::condition_variable& TAudioStream::Changed() {
  return FBudget != nullptr ? FBudget->FChanged : FOwnChanged;
}

void TAudioStream::Push(const std::uint8_t* data, std::size_t size) {
  std::unique_lock lock(Lock());
  if (FBudget != nullptr)
    Changed().wait(lock, [&] { return FLeft || FBudget->FUsed == 0 || FBudget->FUsed + size <= FBudget->FLimit; });
  if (FLeft) return;
  FChunks.emplace_back(data, data + size);
  FHeld += size;
  if (FBudget != nullptr) FBudget->FUsed += size;
  Changed().notify_all();
}

void TAudioStream::End() {
  std::lock_guard lock(Lock());
  FEnded = true;
  Changed().notify_all();
}

void TAudioStream::Fail() {
  std::lock_guard lock(Lock());
  FFailed = true;
  Changed().notify_all();
}

std::size_t TAudioStream::Pull(std::uint8_t* out, std::size_t max) {
  std::unique_lock lock(Lock());
  Changed().wait(lock, [this] { return FFailed || FEnded || !FChunks.empty(); });
  if (FFailed) throw EAbort();
  if (FChunks.empty()) return 0;
  std::vector<std::uint8_t>& front = FChunks.front();
  const std::size_t n = std::min(max, front.size() - FFrontTaken);
  std::memcpy(out, front.data() + FFrontTaken, n);
  FFrontTaken += n;
  if (FFrontTaken == front.size()) {
    FChunks.pop_front();
    FFrontTaken = 0;
  }
  FHeld -= n;
  if (FBudget != nullptr) FBudget->FUsed -= n;
  Changed().notify_all();
  return n;
}

bool TAudioStream::PullAll(std::uint8_t* out, std::size_t size) {
  while (size > 0) {
    const std::size_t n = Pull(out, size);
    if (n == 0) return false;
    out += n;
    size -= n;
  }
  return true;
}

void TAudioStream::Leave() {
  std::lock_guard lock(Lock());
  if (FLeft) return;
  FLeft = true;
  FChunks.clear();
  if (FBudget != nullptr) FBudget->FUsed -= FHeld;
  FHeld = 0;
  Changed().notify_all();
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
