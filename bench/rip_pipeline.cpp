// A whole virtual disc (74 minutes unless told) ripped by the worker as a user
// would, to MP3, FLAC or WAV, or only read ("read": every track read
// securely, its audio taken and dropped, as fast as the drive gives it).
// Prints the wall time and the process's CPU time, from which bench/run-pipeline
// works out the encoders' share.
// bench_rip_pipeline OUTDIR mp3|flac|wav|read [MINUTES]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "ripper/RipperThread.h"
#include "ripper/VirtualCdDeviceIo.h"

namespace {

using namespace pellamy;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class TQuietWindow : public TRipWindow {
 public:
  TQuietWindow(int rows, int type) : FRows(rows), FType(type) {}
  void ClearRows() override {}
  void AddRow(const std::string&, const std::string&) override {}
  int RowCount() override { return FRows; }
  bool RowTicked(int) override { return true; }
  int OutputTypeIndex() override { return FType; }
  void SetProgress(int) override {}
  void SetStatus(const std::string& text) override { FStatus = text; }
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
  std::string FStatus;

 private:
  int FRows, FType;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_rip_pipeline OUTDIR mp3|flac|wav|read [MINUTES]\n");
    return 2;
  }
  std::string dir = argv[1];
  if (dir.back() != '/') dir += '/';
  const std::string kind = argv[2];
  const int minutes = argc > 3 ? std::atoi(argv[3]) : 74;
  VirtualCdDeviceIo drive('D', MakeDemoDisc(minutes), nullptr);
  SetDeviceIo(&drive);
  CdromToc toc{};
  TCDRipperManager manager(dir, 'D');
  manager.ReadToc(toc);
  const int tracks = toc.LastTrack - toc.FirstTrack + 1;
  TQuietWindow window(tracks, kind == "mp3" ? 0 : kind == "flac" ? 2 : 1);
  SetRipWindow(&window);

  const double cpu0 = CpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  bool ok = true;
  if (kind == "read") {
    for (int p = 1; p <= tracks; ++p) {
      std::shared_ptr<TRippedTrack> track = manager.StartTrack(p, nullptr);
      if (!track) continue;
      std::thread drop([&track] {
        std::uint8_t buffer[1 << 16];
        while (track->Audio.Pull(buffer, sizeof buffer) > 0) {
        }
      });
      manager.ReadTrack(*track);
      drop.join();
    }
  } else {
    ok = TCdRipperThread::Launch(dir, window, 'D');
    TCdRipperThread::WaitForAll();
    ok = ok && window.FStatus == "Ripping completed!";
  }
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("%s tracks %d wall %.3f cpu %.3f encoders %d\n", kind.c_str(), tracks, wall, CpuSeconds() - cpu0,
              EncoderThreadCount());
  SetRipWindow(nullptr);
  SetDeviceIo(nullptr);
  return ok ? 0 : 1;
}
