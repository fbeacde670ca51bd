#include "base/Thread.h"

#include <atomic>
#include <future>

namespace pellamy {

namespace {
std::atomic<TSyncDispatcher*> gDispatcher{nullptr};
std::atomic<std::thread::id> gMainThread{std::this_thread::get_id()};
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
  // A self-freeing thread is destroyed on its own thread; detach it there.
  if (FThread.joinable()) {
    if (FThread.get_id() == std::this_thread::get_id())
      FThread.detach();
    else
      FThread.join();
  }
}

void TThread::Start() {
  if (FStarted) return;
  FStarted = true;
  // The body waits until FThread is assigned: a self-freeing thread that ran
  // ahead would otherwise free the object under that assignment.
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
