// Peak memory of a whole-disc rip to MP3: a virtual disc of the given length
// (74 minutes unless told) ripped by the worker; prints the resident size at
// idle, the peak, and the growth. bench_rip_memory OUTDIR [MINUTES]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ProcStatus.h"
#include "ripper/RipPipeline.h"
#include "ripper/RipperThread.h"
#include "ripper/VirtualCdDeviceIo.h"

namespace {

class TQuietWindow : public pellamy::TRipWindow {
 public:
  explicit TQuietWindow(int rows) : FRows(rows) {}
  void ClearRows() override {}
  void AddRow(const std::string&, const std::string&) override {}
  int RowCount() override { return FRows; }
  bool RowTicked(int) override { return true; }
  int OutputTypeIndex() override { return 0; }
  void SetProgress(int) override {}
  void SetStatus(const std::string& text) override { FStatus = text; }
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
  std::string FStatus;

 private:
  int FRows;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace pellamy;
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_rip_memory OUTDIR [MINUTES]\n");
    return 2;
  }
  const int minutes = argc > 2 ? std::atoi(argv[2]) : 74;
  std::string dir = argv[1];
  if (dir.back() != '/') dir += '/';
  VirtualCdDeviceIo drive('D', MakeDemoDisc(minutes), nullptr);
  SetDeviceIo(&drive);
  CdromToc toc{};
  {
    TCDRipperManager lister("", 'D');
    lister.ReadToc(toc);
  }
  TQuietWindow window(toc.LastTrack - toc.FirstTrack + 1);
  SetRipWindow(&window);
  const long idle = StatusKb("VmRSS:");
  if (!TCdRipperThread::Launch(dir, window, 'D')) return 1;
  TCdRipperThread::WaitForAll();
  const long peak = StatusKb("VmHWM:");
  std::printf("tracks %d, status \"%s\"\nidle RSS %ld kB, peak RSS %ld kB, growth %ld kB\n", window.RowCount(),
              window.FStatus.c_str(), idle, peak, peak - idle);
  // Audio waiting for the encoders is bounded; the rest is fixed per encoder.
  std::printf("audio budget %zu kB for %d encoder(s)\n", AudioBudgetBytes(EncoderThreadCount()) / 1024,
              EncoderThreadCount());
  SetRipWindow(nullptr);
  SetDeviceIo(nullptr);
  return window.FStatus == "Ripping completed!" ? 0 : 1;
}
