#include "ripper/RipperThread.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>

#include "base/Exceptions.h"
#include "ripper/RipPipeline.h"

namespace pellamy {

namespace {

// Rips never write the same files at once: a worker waits here for the one
// before it.
std::mutex gRipTurn;

std::mutex gCountLock;
std::condition_variable gCountChanged;
int gActive = 0;
std::string gLastLog;
std::vector<int> gLastErrorTracks;
std::string gLastFailure;

}  // namespace

// The progress bar over the whole rip: half for reading, half for encoding,
// out of the audio of every row not yet passed over unticked. Ticks are read
// as the walk reaches a row, so a row leaves the total only then; done only
// grows and the total only shrinks, so the bar never goes back.
class TRipProgress {
 public:
  TRipProgress(TRipWindow& window, std::vector<std::uint64_t> rowBytes)
      : FWindow(window), FRowBytes(std::move(rowBytes)) {
    for (std::uint64_t b : FRowBytes) FTotal += 2 * b;
  }
  void Drop(int row) { Add(0, row); }
  void Done(std::uint64_t bytes) { Add(bytes, -1); }

 private:
  void Add(std::uint64_t bytes, int dropRow) {
    std::lock_guard lock(FLock);
    if (dropRow >= 0 && dropRow < static_cast<int>(FRowBytes.size())) FTotal -= 2 * FRowBytes[dropRow];
    FDone += bytes;
    const int percent = FTotal == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(FDone, FTotal) * 100 / FTotal);
    // Held while the window takes it, so the bar sees the values in order.
    if (percent != FShown) FWindow.SetProgress(FShown = percent);
  }

  std::mutex FLock;
  TRipWindow& FWindow;
  std::vector<std::uint64_t> FRowBytes;
  std::uint64_t FTotal = 0, FDone = 0;
  int FShown = -1;
};

namespace {

std::vector<std::uint64_t> RowAudioBytes(const CdromToc& toc, int rows) {
  std::vector<std::uint64_t> bytes(static_cast<std::size_t>(rows > 0 ? rows : 0));
  const int count = toc.LastTrack - toc.FirstTrack + 1;
  for (int i = 0; i < rows && i < count && i + 1 < kTocEntryCount; ++i) {
    const std::int32_t s = TocStartSector(toc.TrackData[i]), e = TocLastSectorBefore(toc.TrackData[i + 1]);
    if (!TocIsDataTrack(toc.TrackData[i]) && s >= 0 && e >= s) bytes[i] = std::uint64_t(e - s + 1) * kRawSectorBytes;
  }
  return bytes;
}

}  // namespace

TCdRipperThread::TCdRipperThread(const std::string& outputDir, TRipWindow& trackList, char driveLetter)
    : FTrackList(trackList) {
  SetFreeOnTerminate(true);
  FManager = std::make_unique<TCDRipperManager>(outputDir, driveLetter);
  std::lock_guard lock(gCountLock);
  ++gActive;
}

TCdRipperThread::~TCdRipperThread() {
  FManager.reset();
  std::lock_guard lock(gCountLock);
  --gActive;
  gCountChanged.notify_all();
}

bool TCdRipperThread::Launch(const std::string& outputDir, TRipWindow& trackList, char driveLetter) {
  TCdRipperThread* worker = nullptr;
  try {
    worker = new TCdRipperThread(outputDir, trackList, driveLetter);
  } catch (const EAbort&) {
    return false;
  }
  worker->Start();
  return true;
}

void TCdRipperThread::WaitForAll() {
  std::unique_lock lock(gCountLock);
  gCountChanged.wait(lock, [] { return gActive == 0; });
  lock.unlock();
  TThread::JoinSelfFreeing();
}

std::string TCdRipperThread::LastLogName() {
  std::lock_guard lock(gCountLock);
  return gLastLog;
}

std::string TCdRipperThread::LastFailure() {
  std::lock_guard lock(gCountLock);
  return gLastFailure;
}

std::vector<int> TCdRipperThread::LastErrorTracks() {
  std::lock_guard lock(gCountLock);
  return gLastErrorTracks;
}

int TCdRipperThread::ActiveCount() {
  std::lock_guard lock(gCountLock);
  return gActive;
}

void TCdRipperThread::Execute() {
  std::lock_guard turn(gRipTurn);
  {
    std::lock_guard lock(gCountLock);
    gLastFailure.clear();
    gLastLog.clear();
    gLastErrorTracks.clear();
  }
  try {
    FTrackList.SetStatus("Ripping start ...");
    const int rows = FTrackList.RowCount();
    CdromToc toc{};
    FManager->ReadToc(toc);
    TRipProgress progress(FTrackList, RowAudioBytes(toc, rows));
    RipRows(rows, progress);
    // A rip with suspicious positions says so; the log tells where.
    const std::string log = FManager->WriteRipLog();
    const bool errors = !TracksWithErrors(FManager->Rips()).empty();
    {
      std::lock_guard lock(gCountLock);
      gLastLog = log;
      gLastErrorTracks = TracksWithErrors(FManager->Rips());
    }
    const bool logMissing = log.empty() && !FManager->Rips().empty();
    FTrackList.SetStatus(errors || logMissing ? kStatusCompletedWithErrors : kStatusCompleted);
  } catch (const std::exception& e) {
    {
      std::lock_guard lock(gCountLock);
      gLastFailure = e.what();
    }
    FManager.reset();
    throw;  // ends the run; the failure is dropped with the worker
  } catch (...) {
    FManager.reset();
    throw;  // ends the run; the failure is dropped with the worker
  }
  FManager.reset();
}

}  // namespace pellamy

namespace pellamy {

// The drive is read here, in track order; each track's encoder starts with
// its first chunk, on the next free encoder thread, while the drive reads on.
void TCdRipperThread::RipRows(int rows, TRipProgress& progress) {
  const int encoders = EncoderThreadCount();
  std::atomic<bool> stopped{false};
  std::mutex failureLock;
  std::exception_ptr failure;
  TAudioBudget budget(AudioBudgetBytes(encoders));
  TEncodePool pool(encoders, encoders);
  try {
    for (int i = 0; i < rows; ++i) {
      std::shared_ptr<TRippedTrack> track;
      if (FTrackList.RowTicked(i)) track = FManager->StartTrack(i + 1, &budget);
      if (!track) {
        progress.Drop(i);
        continue;
      }
      pool.Submit([this, &progress, &stopped, &failureLock, &failure, track] {
        std::int64_t reported = 0;
        try {
          FManager->EncodeTrack(*track, [&](std::int64_t done) {
            progress.Done(static_cast<std::uint64_t>(done - reported));
            reported = done;
          });
          // A track that failed is as done as one written.
          progress.Done(track->Audio.Length() - static_cast<std::uint64_t>(reported));
        } catch (const EAbort&) {
          stopped = true;
        } catch (...) {
          std::lock_guard lock(failureLock);
          if (!failure) failure = std::current_exception();
        }
      });
      FManager->ReadTrack(*track, [&progress](std::size_t n) { progress.Done(n); });
    }
  } catch (const EAbort&) {
    pool.Cancel();
    throw;
  } catch (...) {
    // The tracks already read are still written.
    pool.Drain();
    throw;
  }
  pool.Drain();
  if (stopped) throw EAbort();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace pellamy
