// TCdRipperThread: the rip worker. It owns a drive manager for its run, reads
// every ticked row in list order while earlier tracks encode on other
// threads, and frees itself when it ends.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/Thread.h"
#include "ripper/RipWindow.h"
#include "ripper/ScsiManagerUnit.h"

namespace pellamy {

inline constexpr char kStatusCompleted[] = "Ripping completed!";
inline constexpr char kStatusCompletedWithErrors[] = "Ripping completed with errors: see the log";

class TRipProgress;

class TCdRipperThread : public TThread {
 public:
  // Opens the drive on the calling (UI) thread; throws EAbort, with no
  // thread started, when the drive manager cannot be made.
  TCdRipperThread(const std::string& outputDir, TRipWindow& trackList, char driveLetter);
  ~TCdRipperThread() override;

  // Creates a worker and starts it; the worker frees itself. Returns false
  // when no worker could be made (the silent abort).
  static bool Launch(const std::string& outputDir, TRipWindow& trackList, char driveLetter);
  // Waits until every worker has ended and freed itself.
  static void WaitForAll();
  static int ActiveCount();
  // The rip log of the last run that finished (empty when it could not be
  // written) and the tracks it found errors in.
  static std::string LastLogName();
  static std::vector<int> LastErrorTracks();
  // What stopped the last run before its end (empty when it ended).
  static std::string LastFailure();

 protected:
  void Execute() override;

 private:
  void RipRows(int rows, TRipProgress& progress);

  TRipWindow& FTrackList;
  std::unique_ptr<TCDRipperManager> FManager;
};

}  // namespace pellamy
