// TEncodePool: the encoding side of a rip. Jobs run on a few threads of their
// own, each job on one thread, started in the order given; Submit waits while
// the queue is full, so that ripped audio waiting for an encoder stays bounded.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace pellamy {

// Encoder threads for a rip: the machine's cores (at least one) unless set.
int EncoderThreadCount();
// 0 goes back to the machine's cores.
void SetEncoderThreadCount(int count);

class TEncodePool {
 public:
  // threads: at least one is made. queued: how many jobs may wait.
  TEncodePool(int threads, int queued);
  // Drops the jobs not started and waits for the running ones.
  ~TEncodePool();
  TEncodePool(const TEncodePool&) = delete;
  TEncodePool& operator=(const TEncodePool&) = delete;

  // job must not throw.
  void Submit(std::function<void()> job);
  // Waits until every job given has run.
  void Drain();
  // Drops the jobs not started.
  void Cancel();

 private:
  void Run();

  std::mutex FLock;
  std::condition_variable FChanged;
  std::deque<std::function<void()>> FJobs;
  int FRunning = 0;
  std::size_t FQueued;
  bool FEnding = false;
  std::vector<std::thread> FThreads;
};

}  // namespace pellamy
