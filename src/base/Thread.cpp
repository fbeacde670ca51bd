#include "base/Thread.h"

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <vector>

namespace pellamy {

namespace {
std::atomic<TSyncDispatcher*> gDispatcher{nullptr};
std::atomic<std::thread::id> gMainThread{std::this_thread::get_id()};

// Self-freeing threads: how many are running, and the system threads of those
// that have freed themselves, still to be joined.
std::mutex gSelfFreeingLock;
std::condition_variable gSelfFreeingEnded;
int gSelfFreeing = 0;
std::vector<std::thread> gFreed;
}  // namespace

void SetSyncDispatcher(TSyncDispatcher* dispatcher) {
  gDispatcher = dispatcher;
}
TSyncDispatcher* SyncDispatcher() {
  return gDispatcher;
}
void SetMainThread() {
  gMainThread = std::this_thread::get_id();
}
bool IsMainThread() {
  return gMainThread.load() == std::this_thread::get_id();
}

void Synchronize(const std::function<void()>& call) {
  TSyncDispatcher* dispatcher = gDispatcher;
  if (dispatcher == nullptr || IsMainThread()) {
    call();
    return;
  }
  std::exception_ptr failure;
  dispatcher->RunOnUiThread([&] {
    try {
      call();
    } catch (...) {
      failure = std::current_exception();
    }
  });
  if (failure) std::rethrow_exception(failure);
}

TThread::~TThread() {
  if (!FThread.joinable()) return;
  if (FThread.get_id() != std::this_thread::get_id()) {
    FThread.join();
    return;
  }
  // A self-freeing thread is destroyed on its own thread: JoinSelfFreeing
  // joins it once it has returned.
  std::lock_guard lock(gSelfFreeingLock);
  gFreed.push_back(std::move(FThread));
  --gSelfFreeing;
  gSelfFreeingEnded.notify_all();
}

void TThread::JoinSelfFreeing() {
  std::vector<std::thread> freed;
  {
    std::unique_lock lock(gSelfFreeingLock);
    gSelfFreeingEnded.wait(lock, [] { return gSelfFreeing == 0; });
    freed.swap(gFreed);
  }
  for (std::thread& t : freed) t.join();
}

void TThread::Start() {
  if (FStarted) return;
  FStarted = true;
  // The body waits until FThread is assigned: a self-freeing thread that ran
  // ahead would otherwise free the object under that assignment.
  if (FFreeOnTerminate) {
    std::lock_guard lock(gSelfFreeingLock);
    ++gSelfFreeing;
  }
  std::promise<void> assigned;
  std::shared_future<void> go = assigned.get_future().share();
  FThread = std::thread([this, go] {
    go.wait();
    Run();
  });
  assigned.set_value();
}

void TThread::WaitFor() {
  if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id()) FThread.join();
}

void TThread::Run() {
  try {
    Execute();
  } catch (...) {
    FFatalException = std::current_exception();
  }
  FFinished = true;
  if (FFreeOnTerminate) delete this;
}

}  // namespace pellamy
