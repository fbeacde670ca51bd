// The two sides of a rip, and what passes between them.
//   TAudioBudget  how much read audio may wait for its encoders, all tracks
//                 together; the drive waits beyond it
//   TAudioStream  one track's audio from the drive to its encoder, in chunks
//   TEncodePool   encoding jobs on a few threads of their own, each job on one
//                 thread, started in the order given
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
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

// Bytes of read audio that may wait for encoders in a rip with this many.
std::size_t AudioBudgetBytes(int encoders);

class TAudioBudget {
 public:
  explicit TAudioBudget(std::size_t limit) : FLimit(limit) {}

 private:
  friend class TAudioStream;
  std::mutex FLock;
  std::condition_variable FChanged;
  std::size_t FLimit, FUsed = 0;
};

class TAudioStream {
 public:
  // length: the track's bytes. Without a budget the reader never waits.
  TAudioStream(std::uint64_t length, TAudioBudget* budget);
  ~TAudioStream();
  TAudioStream(const TAudioStream&) = delete;
  TAudioStream& operator=(const TAudioStream&) = delete;
  std::uint64_t Length() const { return FLength; }

  // The reader's side. Push waits while the budget is spent; once the
  // encoder has left, what comes is dropped.
  void Push(const std::uint8_t* data, std::size_t size);
  // Every byte pushed; the track's other records are set before.
  void End();
  // Reading stopped before the end: the encoder's next Pull throws EAbort.
  void Fail();

  // The encoder's side. Waits for audio; returns 0 once all is taken.
  std::size_t Pull(std::uint8_t* out, std::size_t max);
  // Exactly size bytes; false when the stream ends first.
  bool PullAll(std::uint8_t* out, std::size_t size);
  // The encoder is done with the stream, whether it took all or not.
  void Leave();

 private:
  std::mutex& Lock();
  std::condition_variable& Changed();

  std::uint64_t FLength;
  TAudioBudget* FBudget;
  std::mutex FOwnLock;
  std::condition_variable FOwnChanged;
  std::deque<std::vector<std::uint8_t>> FChunks;
  std::size_t FFrontTaken = 0, FHeld = 0;
  bool FEnded = false, FFailed = false, FLeft = false;
};

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
