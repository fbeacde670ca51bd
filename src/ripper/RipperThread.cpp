#include "ripper/RipperThread.h"

#include <condition_variable>
#include <mutex>

#include "base/Exceptions.h"

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
    for (int i = 0; i < rows; ++i) {
      if (FTrackList.RowTicked(i)) FManager->RipTrack(i + 1);
    }
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
