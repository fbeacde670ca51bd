// The rip worker: which rows it rips and when it reads their ticks, its
// status texts, failures, one rip at a time, and Synchronize.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <future>
#include <thread>

#include "base/Exceptions.h"
#include "ripper/MP3export.h"
#include "ripper/RipPipeline.h"
#include "ripper/RipperThread.h"
#include "support/RecordingWindow.h"
#include "support/ScopeGuard.h"
#include "support/ScriptedDevice.h"
#include "support/TempDir.h"

namespace pellamy::test {
namespace {

namespace fs = std::filesystem;

struct WorkerFixture : ::testing::Test {
  ScriptedDevice device;
  RecordingWindow window;
  TempDir temp;
  void SetUp() override {
    std::vector<std::array<int, 3>> positions;
    for (int t = 0; t <= 8; ++t) positions.push_back({0, 2 + t, 0});  // one-second tracks
    device.SetToc(1, 8, positions);
    window.SetRows(8, {});
  }
  void Rip(const std::string& dir) {
    ASSERT_TRUE(TCdRipperThread::Launch(dir, window, 'E'));
    TCdRipperThread::WaitForAll();
  }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    // The rip log is checked on its own.
    for (auto& e : fs::directory_iterator(temp.Path()))
      if (e.path().extension() != ".log") names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

const std::vector<std::string> kStartAndEnd = {"Ripping start ...", "Ripping completed!"};

TEST_F(WorkerFixture, RipsTheTickedRowsInOrder) {
  window.SetTicked(1, true);
  window.SetTicked(4, true);
  Rip(temp.Dir());
  EXPECT_EQ(window.Statuses(), kStartAndEnd);
  EXPECT_EQ(Files(), (std::vector<std::string>{"track 2.wav", "track 5.wav"}));
  EXPECT_EQ(window.TickReads(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(device.openHandles, 0) << "the manager is gone with the worker";
  EXPECT_EQ(device.requests.front().DiskOffset, 75 * 2048);
}

TEST_F(WorkerFixture, NoRowTickedWritesNothing) {
  Rip(temp.Dir());
  EXPECT_EQ(window.Statuses(), kStartAndEnd);
  EXPECT_TRUE(Files().empty());
}

TEST_F(WorkerFixture, TicksAreReadWhenTheWalkReachesTheRow) {
  window.SetTicked(0, true);
  window.SetTicked(6, true);
  window.onRowTicked = [&](int row) {
    if (row == 0) {
      window.SetTicked(6, false);  // not reached yet: removed from the run
      window.SetTicked(7, true);   // added to the run
    }
    if (row == 3) window.SetTicked(0, false);  // already passed: no effect
  };
  Rip(temp.Dir());
  EXPECT_EQ(Files(), (std::vector<std::string>{"track 1.wav", "track 8.wav"}));
}

TEST_F(WorkerFixture, RowCountIsTakenOnceAtTheStart) {
  window.SetTicked(7, true);
  window.onRowTicked = [&](int row) {
    if (row == 0) window.AddRow("Track 9", "0:01");
  };
  Rip(temp.Dir());
  EXPECT_EQ(window.TickReads().size(), 8u);
}

TEST_F(WorkerFixture, EmptyOutputDirectoryEndsTheRunSilently) {
  window.SetTicked(2, true);
  window.SetTicked(3, true);
  Rip("");
  EXPECT_EQ(window.Statuses(), std::vector<std::string>{"Ripping start ..."});
  EXPECT_TRUE(window.Messages().empty());
  EXPECT_TRUE(device.requests.empty());
  EXPECT_EQ(window.TickReads(), (std::vector<int>{0, 1, 2})) << "the rows after the failure are not walked";
  EXPECT_EQ(device.openHandles, 0);
}

// Fails the chunk holding the second track's audio (sector 1), whichever
// encoder thread takes it.
BeErr FailSecondTrack(BeStream stream, std::uint32_t n, std::int16_t* in, std::uint8_t* out, std::uint32_t* bytes) {
  const auto* audio = reinterpret_cast<const std::uint8_t*>(in);
  if (audio[0] == ScriptedByte(1, 0) && audio[1] == ScriptedByte(1, 1) && audio[3] == ScriptedByte(1, 3)) return 7;
  return beEncodeChunk(stream, n, in, out, bytes);
}

TEST_F(WorkerFixture, EncoderFailureOnTheSecondOfThreeTracks) {
  // That track is reported and leaves no file; the others are written.
  TEncoderFunctions failing = EncoderFunctions();
  failing.EncodeChunk = &FailSecondTrack;
  // Make each track a single chunk: tracks of 13 sectors at most.
  std::vector<std::array<int, 3>> positions;
  for (int t = 0; t <= 8; ++t) positions.push_back({0, 2, t});
  device.SetToc(1, 8, positions);
  window.SetOutputType(0);
  window.SetTicked(0, true), window.SetTicked(1, true), window.SetTicked(2, true);
  SetEncoderFunctions(&failing);
  Rip(temp.Dir());
  SetEncoderFunctions(nullptr);
  EXPECT_EQ(window.Statuses(), (std::vector<std::string>{"Ripping start ...", kStatusCompletedWithErrors}));
  EXPECT_EQ(Files(), (std::vector<std::string>{"track 1.mp3", "track 3.mp3"}));
  EXPECT_GT(fs::file_size(temp.Path() / "track 1.mp3"), 0u);
  EXPECT_EQ(TCdRipperThread::LastErrorTracks(), std::vector<int>{2});
  EXPECT_EQ(window.Progress().back(), 100) << "the failed track counts as done";
}

// The first MP3 stream to start runs gOnFirstInit: something the user does
// while track 1 encodes.
std::function<void()> gOnFirstInit;
std::atomic<bool> gInitSeen{false};
BeErr InitWithHook(EncoderConfig* config, std::uint32_t* samples, std::uint32_t* size, BeStream* stream) {
  if (!gInitSeen.exchange(true) && gOnFirstInit) gOnFirstInit();
  return beInitStream(config, samples, size, stream);
}

struct PipelineFixture : WorkerFixture {
  TEncoderFunctions hooked = EncoderFunctions();
  ScopeExit restore{[] {
    SetEncoderFunctions(nullptr);
    SetEncoderThreadCount(0);
    gOnFirstInit = nullptr;
  }};
  void SetUp() override {
    WorkerFixture::SetUp();
    gInitSeen = false;
    hooked.InitStream = &InitWithHook;
    SetEncoderFunctions(&hooked);
    for (int row = 0; row < 4; ++row) window.SetTicked(row, true);
  }
};

TEST_F(PipelineFixture, MoreEncodersThanTracks) {
  SetEncoderThreadCount(16);
  window.SetOutputType(2);
  window.SetTicked(3, false);
  Rip(temp.Dir());
  EXPECT_EQ(window.Statuses(), kStartAndEnd);
  EXPECT_EQ(Files(), (std::vector<std::string>{"track 1.flac", "track 2.flac", "track 3.flac"}));
  const std::vector<int> progress = window.Progress();
  ASSERT_FALSE(progress.empty());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress.back(), 100);
  // The log lists the tracks in disc order, whichever encoder ended first.
  const auto log = ReadWholeFile(temp.Path() / TCdRipperThread::LastLogName());
  const std::string text(log.begin(), log.end());
  EXPECT_LT(text.find("File: track 1.flac"), text.find("File: track 2.flac"));
  EXPECT_LT(text.find("File: track 2.flac"), text.find("File: track 3.flac"));
}

TEST_F(PipelineFixture, EachTrackTakesTheTypeReadWhenItsEncodingStarts) {
  std::promise<void> changed;
  std::shared_future<void> changedSeen = changed.get_future().share();
  gOnFirstInit = [&] {
    window.SetOutputType(2);
    changed.set_value();
  };
  // Track 2 is read only once track 1 has begun encoding with the old type.
  window.onRowTicked = [&](int row) {
    if (row == 1) changedSeen.wait();
  };
  window.SetOutputType(0);
  window.SetTicked(2, false), window.SetTicked(3, false);
  Rip(temp.Dir());
  EXPECT_EQ(Files(), (std::vector<std::string>{"track 1.mp3", "track 2.flac"}));
}

TEST_F(PipelineFixture, ClosingWhileTracksEncodeStopsEverythingAndLeavesNoFile) {
  SetEncoderThreadCount(2);
  gOnFirstInit = [&] { window.SetClosing(true); };
  window.SetOutputType(0);
  Rip(temp.Dir());
  EXPECT_EQ(window.Statuses(), std::vector<std::string>{"Ripping start ..."});
  EXPECT_TRUE(Files().empty()) << "no track file, finished or not";
  EXPECT_EQ(TCdRipperThread::ActiveCount(), 0);
  EXPECT_EQ(device.openHandles, 0);
}

// The drive waits while the budget is spent, goes on as the encoder takes
// audio, and never waits on an encoder that has left.
TEST(AudioStream, ReaderWaitsOnlyForAnEncoderStillThere) {
  TAudioBudget budget(8);
  TAudioStream taken(24, &budget), left(8, &budget);
  const std::uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  taken.Push(bytes, 8);
  auto pushes = std::async(std::launch::async, [&] {
    taken.Push(bytes, 8);
    taken.Push(bytes, 8);
    taken.End();
  });
  std::uint8_t out[24];
  EXPECT_TRUE(taken.PullAll(out, 24));
  EXPECT_EQ(taken.Pull(out, 24), 0u);
  pushes.get();
  EXPECT_EQ(out[23], 8);

  left.Push(bytes, 8);
  auto blocked = std::async(std::launch::async, [&] { left.Push(bytes, 8); });
  left.Leave();
  blocked.get();  // returns: dropped, not waiting
  left.Fail();
  EXPECT_THROW(left.Pull(out, 8), EAbort);
}

TEST_F(WorkerFixture, MissingAspiLibraryStartsNoWorker) {
  device.aspiPresent = false;
  window.SetTicked(0, true);
  EXPECT_FALSE(TCdRipperThread::Launch(temp.Dir(), window, 'E'));
  EXPECT_EQ(TCdRipperThread::ActiveCount(), 0);
  EXPECT_TRUE(window.Statuses().empty());
  EXPECT_TRUE(window.Messages().empty());
  EXPECT_EQ(device.openHandles, 0);
}

TEST_F(WorkerFixture, SecondWorkerWaitsForTheFirst) {
  window.SetTicked(0, true);
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> blocked{true};
  window.onRowTicked = [&](int row) {
    if (row == 0 && blocked.exchange(false)) released.wait();
  };
  ASSERT_TRUE(TCdRipperThread::Launch(temp.Dir(), window, 'E'));
  ASSERT_TRUE(TCdRipperThread::Launch(temp.Dir(), window, 'E'));
  for (int i = 0; i < 200 && window.Statuses().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(window.Statuses(), std::vector<std::string>{"Ripping start ..."}) << "the second has not begun";
  release.set_value();
  TCdRipperThread::WaitForAll();
  EXPECT_EQ(window.Statuses(), (std::vector<std::string>{"Ripping start ...", "Ripping completed!", "Ripping start ...",
                                                         "Ripping completed!"}));
}

// A UI thread stand-in: calls queue up and the test's thread runs them.
class QueueDispatcher : public TSyncDispatcher {
 public:
  void RunOnUiThread(const std::function<void()>& call) override {
    std::packaged_task<void()> task(call);
    auto done = task.get_future();
    {
      std::lock_guard lock(mutex);
      queue.push_back(std::move(task));
    }
    done.get();
  }
  bool PumpOne() {
    std::packaged_task<void()> task;
    {
      std::lock_guard lock(mutex);
      if (queue.empty()) return false;
      task = std::move(queue.front());
      queue.pop_front();
    }
    task();
    return true;
  }
  std::mutex mutex;
  std::deque<std::packaged_task<void()>> queue;
};

class ProbeThread : public TThread {
 public:
  std::thread::id ranOn;
  bool sawFailure = false;
  void Execute() override {
    Synchronize([this] { ranOn = std::this_thread::get_id(); });
    try {
      Synchronize([] { throw Exception("from the UI thread"); });
    } catch (const Exception& e) {
      sawFailure = std::string(e.what()) == "from the UI thread";
    }
    throw Exception("ends the thread");
  }
};

// A program returns from main once its rips are over; a self-freeing thread
// still on its last lines then would meet the static objects destroyed.
TEST(Thread, WaitingForSelfFreeingThreadsWaitsForTheirSystemThreads) {
  static std::atomic<int> exited{0};
  struct Lingering : TThread {
    Lingering() { SetFreeOnTerminate(true); }
    void Execute() override {
      // Runs when the system thread exits, after the object has freed itself.
      struct AtExit {
        ~AtExit() {
          std::this_thread::sleep_for(std::chrono::milliseconds(30));
          ++exited;
        }
      };
      thread_local AtExit atExit;
      (void)atExit;
    }
  };
  for (int i = 0; i < 3; ++i) (new Lingering)->Start();
  TThread::JoinSelfFreeing();
  EXPECT_EQ(exited, 3);
}

TEST(Thread, SynchronizeRunsOnTheUiThreadAndCarriesFailuresBack) {
  QueueDispatcher dispatcher;
  SetMainThread();
  SetSyncDispatcher(&dispatcher);
  test::ScopeExit restore([] { SetSyncDispatcher(nullptr); });
  ProbeThread probe;
  probe.Start();
  while (!probe.Finished()) {
    if (!dispatcher.PumpOne()) std::this_thread::yield();
  }
  probe.WaitFor();
  restore.Now();
  EXPECT_EQ(probe.ranOn, std::this_thread::get_id());
  EXPECT_TRUE(probe.sawFailure);
  ASSERT_TRUE(probe.FatalException());
  EXPECT_THROW(std::rethrow_exception(probe.FatalException()), Exception);
}

}  // namespace
}  // namespace pellamy::test
