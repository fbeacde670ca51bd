// TThread, TSyncDispatcher: a worker thread in the class library's manner
// (created suspended, optionally freeing itself when its body ends) and the
// means by which workers run code on the UI thread.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <thread>

namespace pellamy {

// Runs a call on the UI thread and returns when it has run there. The
// application installs one that posts to its hidden window; tests install a
// queue that their main thread pumps.
class TSyncDispatcher {
 public:
  virtual ~TSyncDispatcher() = default;
  virtual void RunOnUiThread(const std::function<void()>& call) = 0;
};

void SetSyncDispatcher(TSyncDispatcher* dispatcher);
TSyncDispatcher* SyncDispatcher();

// Marks the calling thread as the UI thread: Synchronize from it runs the call
// directly.
void SetMainThread();
bool IsMainThread();

// Runs call on the UI thread (directly when already there or when no
// dispatcher is installed). An exception thrown by call is passed back to the
// calling thread.
void Synchronize(const std::function<void()>& call);

class TThread {
 public:
  // Always created suspended: starting from the base constructor would run
  // Execute before the derived object exists.
  TThread() = default;
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts a suspended thread. With FreeOnTerminate the object may be gone
  // as soon as Start returns.
  void Start();
  // Waits for the body to end; not allowed with FreeOnTerminate.
  void WaitFor();
  // Waits until every self-freeing thread started so far has ended, its
  // system thread included. A program calls it before it returns from main:
  // a thread still running its last lines while static objects are destroyed
  // brings the process down at exit.
  static void JoinSelfFreeing();

  bool FreeOnTerminate() const { return FFreeOnTerminate; }
  void SetFreeOnTerminate(bool value) { FFreeOnTerminate = value; }
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  bool Finished() const { return FFinished; }
  // The failure that ended Execute, if any.
  std::exception_ptr FatalException() const { return FFatalException; }

 protected:
  virtual void Execute() = 0;
  void Synchronize(const std::function<void()>& call) { pellamy::Synchronize(call); }

 private:
  void Run();

  std::thread FThread;
  bool FFreeOnTerminate = false;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  bool FStarted = false;
  std::exception_ptr FFatalException;
};

}  // namespace pellamy
