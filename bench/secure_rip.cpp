// Secure reading against a single burst: every track of a virtual disc
// (74 minutes unless told) read through the drive manager's device path,
// offset-corrected and checksummed as a rip does, without writing files.
// Prints wall time per mode, the secure/burst ratio, the time per recovered
// chunk on a drive with flaky sectors, and peak memory.
// bench_secure_rip [MINUTES]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ProcStatus.h"
#include "ripper/DiscIds.h"
#include "ripper/DriveFaults.h"
#include "ripper/SecureReader.h"
#include "ripper/TrackChecksums.h"
#include "ripper/VirtualCdDeviceIo.h"

namespace {

using namespace pellamy;

class TDriveSource : public TSectorSource {
 public:
  TDriveSource(VirtualCdDeviceIo& io, std::int32_t leadOut)
      : FIo(io), FHandle(io.Open("\\\\.\\D:")), FLeadOut(leadOut) {}
  ~TDriveSource() override { FIo.Close(FHandle); }
  bool Read(std::int32_t first, int count, std::uint8_t* out, std::uint8_t*) override {
    RawReadRequest r{std::int64_t(first) * 2048, static_cast<std::uint32_t>(count), kTrackModeCdda};
    return FIo.RawRead(FHandle, r, out, static_cast<std::uint32_t>(count) * 2352);
  }
  bool ReportsC2() override { return false; }
  std::int32_t LeadOut() override { return FLeadOut; }

 private:
  VirtualCdDeviceIo& FIo;
  DeviceHandle FHandle;
  std::int32_t FLeadOut;
};

struct TResult {
  double Seconds = 0;
  int Rereads = 0, Suspicious = 0;
};

TResult RipDisc(int minutes, bool secure, const std::string& faults) {
  VirtualCdDeviceIo drive('D', MakeDemoDisc(minutes), nullptr);
  if (!faults.empty()) drive.SetFaults(ParseDriveFaults(faults));
  CdromToc toc{};
  {
    const DeviceHandle h = drive.Open("\\\\.\\D:");
    drive.ReadToc(h, toc);
    drive.Close(h);
  }
  const TDiscLayout disc = DiscLayoutFromToc(toc);
  TDriveSource source(drive, disc.LeadOut);
  TReadOptions options;
  options.Secure = secure;
  options.OffsetSamples = 6;
  TResult result;
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < disc.Tracks.size(); ++i) {
    const std::int32_t s = disc.Tracks[i].Start;
    const std::int32_t e = i + 1 < disc.Tracks.size() ? disc.Tracks[i + 1].Start : disc.LeadOut;
    TTrackChecksums sums(static_cast<std::uint32_t>(e - s) * 588u, i == 0, i + 1 == disc.Tracks.size());
    TTrackReadReport report;
    ReadTrackAudio(
        source, s, e, options, [&](const std::uint8_t* p, std::size_t n) { sums.Add(p, n); }, report);
    result.Rereads += report.RereadChunks;
    result.Suspicious += static_cast<int>(report.Suspicious.size());
  }
  result.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const int minutes = argc > 1 ? std::atoi(argv[1]) : 74;
  const long idle = StatusKb("VmRSS:");
  const TResult burst = RipDisc(minutes, false, "");
  const TResult secure = RipDisc(minutes, true, "");
  // 40 flaky places of 5 sectors spread over the disc, each read damaged
  // with a 30 % chance.
  std::string faults = "seed 1\n";
  for (int k = 0; k < 40; ++k) faults += "flaky " + std::to_string(1000 + k * (minutes * 4500 - 2000) / 40) + " 5 30\n";
  const TResult flaky = RipDisc(minutes, true, faults);
  const long peak = StatusKb("VmHWM:");
  std::printf("disc %d min\nburst  %.2f s\nsecure %.2f s  ratio %.2f  goal <= 2.1\n", minutes, burst.Seconds,
              secure.Seconds, secure.Seconds / burst.Seconds);
  std::printf("flaky  %.2f s  re-read chunks %d, unsettled sectors %d, %.1f ms per recovered chunk\n", flaky.Seconds,
              flaky.Rereads, flaky.Suspicious,
              flaky.Rereads ? 1000.0 * (flaky.Seconds - secure.Seconds) / flaky.Rereads : 0.0);
  std::printf("idle RSS %ld kB, peak RSS %ld kB, growth %ld kB\n", idle, peak, peak - idle);
  return 0;
}
