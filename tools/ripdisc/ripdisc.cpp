// ripdisc: rips a disc from the command line with the same engine as the
// window: lists the CD drives, reads the first drive's tracks and rips the
// chosen ones to WAV, MP3 or FLAC. With --virtual-cd it adds the virtual drive (the
// built-in demo disc or a disc image: a CUE sheet with BINARY, WAVE or
// MOTOROLA files) at the first free letter from D.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "base/CommandLine.h"
#include "base/Exceptions.h"
#include "ripper/CueSheet.h"
#include "ripper/DriveFaults.h"
#include "ripper/DriveScan.h"
#include "ripper/RipSettings.h"
#include "ripper/RipWindow.h"
#include "ripper/RipperThread.h"
#include "ripper/ScsiManagerUnit.h"
#include "ripper/TrackOutput.h"
#include "ripper/VirtualCdDeviceIo.h"

namespace pellamy {
namespace {

class TConsoleWindow : public TRipWindow {
 public:
  void ClearRows() override {
    std::lock_guard lock(FLock);
    FRows.clear();
  }
  void AddRow(const std::string& caption, const std::string& time) override {
    std::lock_guard lock(FLock);
    FRows.push_back(false);
    std::printf("  %-10s %s\n", caption.c_str(), time.c_str());
  }
  void AddDataRow(const std::string& caption, const std::string& time) override {
    std::lock_guard lock(FLock);
    FRows.push_back(false);
    FData.insert(static_cast<int>(FRows.size()) - 1);
    std::printf("  %-10s %s  Data\n", caption.c_str(), time.c_str());
  }
  int RowCount() override {
    std::lock_guard lock(FLock);
    return static_cast<int>(FRows.size());
  }
  bool RowTicked(int index) override {
    std::lock_guard lock(FLock);
    return index >= 0 && index < static_cast<int>(FRows.size()) && FRows[index];
  }
  int OutputTypeIndex() override { return FOutputType; }
  void SetProgress(int) override {}
  void SetStatus(const std::string& text) override {
    std::lock_guard lock(FLock);
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    FStatus = text;
  }
  std::string Status() {
    std::lock_guard lock(FLock);
    return FStatus;
  }
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "ripdisc: message: %s\n", text.c_str()); }

  void Tick(int index) {
    std::lock_guard lock(FLock);
    if (FData.count(index)) return;
    if (index >= 0 && index < static_cast<int>(FRows.size())) FRows[index] = true;
  }
  int FOutputType = kOutputWav;

 private:
  std::mutex FLock;
  std::vector<bool> FRows;
  std::set<int> FData;
  std::string FStatus;
};

int Usage() {
  std::fprintf(stderr,
               "usage: ripdisc [--virtual-cd[=FILE.cue]] [--virtual-cd-faults=FILE] [--read-offset=N] [--burst]\n"
               "               [--mp3 | --flac] [--tracks=N,N,...] OUTPUT_DIRECTORY\n"
               "Rips the tracks of the first CD drive (all of them unless --tracks is given) to\n"
               "\"track N.wav\", or \"track N.mp3\" with --mp3, \"track N.flac\" with --flac, in\n"
               "OUTPUT_DIRECTORY. Tracks encode on every core while the drive reads on.\n"
               "--virtual-cd adds a virtual drive with the built-in demo disc; --virtual-cd=FILE.cue\n"
               "one with the disc image of that CUE sheet (BINARY, WAVE or MOTOROLA files);\n"
               "--virtual-cd-faults=FILE makes the virtual drive faulty as FILE describes.\n"
               "--read-offset=N corrects a drive reading N samples early (default: ReadOffset in\n"
               "Pellamy.ini beside the program, else 0). --burst reads once instead of securely.\n"
               "A rip log \"Pellamy rip YYYY-MM-DD HH-MM-SS.log\" is written to OUTPUT_DIRECTORY.\n");
  return 2;
}

// The folder holding the program, where an optional Pellamy.ini lives.
std::string ProgramFolder(const char* argv0) {
  std::string path = argv0 != nullptr ? argv0 : "";
#ifdef _WIN32
  wchar_t wide[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, wide, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    path.assign(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), path.data(), bytes, nullptr, nullptr);
  }
#endif
  return path.substr(0, path.find_last_of("/\\") + 1);
}

int Run(const std::vector<std::string>& args, const std::string& programFolder) {
  bool virtualCd = false;
  std::string cue, outputDir, faults;
  std::set<int> tracks;
  TConsoleWindow window;
  for (const std::string& arg : args) {
    if (arg == "--virtual-cd") {
      virtualCd = true;
    } else if (arg.rfind("--virtual-cd=", 0) == 0) {
      virtualCd = true;
      cue = arg.substr(13);
    } else if (arg.rfind("--virtual-cd-faults=", 0) == 0) {
      faults = arg.substr(20);
    } else if (arg.rfind("--read-offset=", 0) == 0) {
      RipSettings().ReadOffset = ParseReadOffsetOption(arg.substr(14));
      RipSettings().OffsetGiven = true;
    } else if (arg == "--burst") {
      RipSettings().Burst = true;
    } else if (arg == "--mp3") {
      window.FOutputType = kOutputMp3;
    } else if (arg == "--flac") {
      window.FOutputType = kOutputFlac;
    } else if (arg.rfind("--tracks=", 0) == 0) {
      std::string list = arg.substr(9);
      for (std::size_t at = 0; at <= list.size();) {
        std::size_t comma = list.find(',', at);
        if (comma == std::string::npos) comma = list.size();
        int n = std::atoi(list.substr(at, comma - at).c_str());
        if (n <= 0) return Usage();
        tracks.insert(n);
        at = comma + 1;
      }
    } else if (!arg.empty() && arg[0] != '-' && outputDir.empty()) {
      outputDir = arg;
    } else {
      return Usage();
    }
  }
  if (outputDir.empty() || (!faults.empty() && !virtualCd)) return Usage();
  LoadProgramIni(programFolder);
  const char last = outputDir.back();
  if (last != '/' && last != '\\') outputDir += (outputDir.find('\\') != std::string::npos ? '\\' : '/');

  std::unique_ptr<VirtualCdDeviceIo> virtualDrive;
  if (virtualCd) {
    const char letter = FirstFreeDriveLetter();
    if (letter == 0) throw Exception("No free drive letter for the virtual CD drive");
    virtualDrive = std::make_unique<VirtualCdDeviceIo>(letter, cue.empty() ? MakeDemoDisc() : LoadCueImage(cue),
                                                       &PlatformDeviceIo());
    if (!faults.empty()) virtualDrive->SetFaults(LoadDriveFaults(faults));
    SetDeviceIo(virtualDrive.get());
  }
  SetRipWindow(&window);

  const std::vector<TCdDrive> drives = ScanCdDrives();
  for (const TCdDrive& d : drives)
    std::printf("%s\n", d.Description.empty() ? (std::string(1, d.Letter) + ":").c_str() : d.Description.c_str());
  if (drives.empty()) throw Exception("No CD drive found (use --virtual-cd for the built-in demo disc)");

  const char letter = drives.front().Letter;
  {
    TCDRipperManager lister("", letter);
    CdromToc toc{};
    lister.ReadToc(toc);
    lister.FillTrackList();
  }
  for (int row = 0; row < window.RowCount(); ++row)
    if (tracks.empty() || tracks.count(row + 1)) window.Tick(row);

  if (!TCdRipperThread::Launch(outputDir, window, letter)) throw Exception("The ASPI library wnaspi32.dll is missing");
  TCdRipperThread::WaitForAll();
  SetRipWindow(nullptr);
  SetDeviceIo(nullptr);
  const std::string log = TCdRipperThread::LastLogName();
  const std::vector<int> errors = TCdRipperThread::LastErrorTracks();
  if (window.Status() == kStatusCompleted) {
    if (!log.empty()) std::printf("Rip log: %s\n", log.c_str());
    std::printf("Ripping completed!\n");
    return 0;
  }
  if (window.Status() == kStatusCompletedWithErrors) {
    std::string tracks;
    for (int t : errors) tracks += (tracks.empty() ? "" : ", ") + std::to_string(t);
    if (log.empty())
      std::printf("Ripping completed with errors: the rip log could not be written to %s\n", outputDir.c_str());
    else
      std::printf("Ripping completed with errors in track%s %s: see %s\n", errors.size() == 1 ? "" : "s",
                  tracks.c_str(), log.c_str());
    return 1;
  }
  std::printf("Ripping stopped before its end: %s\n", TCdRipperThread::LastFailure().c_str());
  return 1;
}

}  // namespace
}  // namespace pellamy

int main(int argc, char** argv) {
#ifdef _WIN32
  // Paths are UTF-8 text; a console shows them so.
  SetConsoleOutputCP(CP_UTF8);
#endif
  try {
    return pellamy::Run(pellamy::ProgramArguments(argc, argv), pellamy::ProgramFolder(argc > 0 ? argv[0] : nullptr));
  } catch (const pellamy::EAbort&) {
    std::fprintf(stderr, "ripdisc: the ASPI library wnaspi32.dll cannot be loaded\n");
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ripdisc: %s\n", e.what());
    return 1;
  }
}
