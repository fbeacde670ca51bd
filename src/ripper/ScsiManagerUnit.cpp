#include "ripper/ScsiManagerUnit.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "base/Exceptions.h"
#include "ripper/FileIo.h"
#include "ripper/MP3export.h"
#include "ripper/RipWindow.h"
#include "ripper/TextCodec.h"

namespace pellamy {

namespace {

constexpr std::uint32_t kPassThroughTimeoutSeconds = 1000;
constexpr std::uint8_t kInquiryLength = 56;
// "SCSI error:" in code page 936, as the drive messages have always read.
constexpr char kScsiErrorPrefixGbk[] = "\x53\x43\x53\x49\xB4\xED\xCE\xF3\x3A";

std::mutex gAspiLock;
AspiEntryPoints gAspiEntries;

void ShowPlainMessage(const std::string& text) {
  if (TRipWindow* window = RipWindow()) window->ShowMessage(text);
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutLe16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void WriteAll(TFile& file, const void* data, std::int64_t count) {
  if (file.Write(data, count) != count) throw Exception("Stream write error");
}

}  // namespace

const AspiEntryPoints& AspiEntries() {
  return gAspiEntries;
}

TCDRipperManager::TCDRipperManager(const std::string& outputDir, char driveLetter) : FOutputDir(outputDir) {
  DeviceIo& io = CurrentDeviceIo();
  FDevice = io.Open(DevicePath(driveLetter));  // not tested: later requests fail instead
  AspiEntryPoints entries;
  if (!io.LoadAspi(entries)) {
    CloseDevice();
    throw EAbort();
  }
  std::lock_guard lock(gAspiLock);
  gAspiEntries = entries;
}

TCDRipperManager::~TCDRipperManager() {
  CloseDevice();
}

void TCDRipperManager::CloseDevice() {
  if (FDevice != kInvalidDevice) CurrentDeviceIo().Close(FDevice);
  FDevice = kInvalidDevice;
}

bool TCDRipperManager::TryReadToc(CdromToc& destination) {
  CdromToc toc{};
  if (!CurrentDeviceIo().ReadToc(FDevice, toc)) return false;
  FToc = toc;
  destination = toc;
  return true;
}

void TCDRipperManager::ReadToc(CdromToc& destination) {
  TryReadToc(destination);
}

bool TCDRipperManager::ReadRawSectors(std::int32_t firstSector, void* buffer, int count) {
  RawReadRequest request{};
  // A signed 32-bit product, widened afterwards.
  request.DiskOffset = static_cast<std::int32_t>(static_cast<std::uint32_t>(firstSector) * 2048u);
  request.SectorCount = static_cast<std::uint32_t>(count);
  request.TrackMode = kTrackModeCdda;
  DeviceIo& io = CurrentDeviceIo();
  if (io.RawRead(FDevice, request, buffer, static_cast<std::uint32_t>(count) * kRawSectorBytes)) return true;
  ShowPlainMessage(std::to_string(io.LastError()));
  return false;
}

bool TCDRipperManager::ExecScsiCommand(DeviceHandle device, ScsiCommandBlock& command) {
  PassThroughBlock block{};
  PassThroughDirect& spt = block.Spt;
  spt.Length = sizeof(PassThroughDirect);
  spt.CdbLength = command.CdbLength;
  spt.SenseInfoLength = command.SenseLength;
  if (command.Flags & kScsiDirIn)
    spt.DataIn = kPassThroughDataIn;
  else if (command.Flags & kScsiDirOut)
    spt.DataIn = kPassThroughDataOut;
  else
    spt.DataIn = kPassThroughNoData;
  spt.DataTransferLength = command.DataLength;
  spt.TimeOutValue = kPassThroughTimeoutSeconds;
  spt.DataBuffer = command.DataBuffer;
  spt.SenseInfoOffset = kSenseBufferOffset;
  std::memcpy(spt.Cdb, command.Cdb, std::min<std::size_t>(command.CdbLength, sizeof(spt.Cdb)));

  const bool reached = CurrentDeviceIo().ScsiPassThrough(device, block);
  if (reached && block.Spt.ScsiStatus == 0) {
    command.Status = kScsiStatusCompleted;
  } else {
    char codes[16];
    std::snprintf(codes, sizeof(codes), "%.2X/%.2X/%.2X", block.Sense[2] & 0x0F, block.Sense[12], block.Sense[13]);
    ShowPlainMessage(Cp936ToUtf8(kScsiErrorPrefixGbk) + codes);
  }
  return reached;
}

std::string TCDRipperManager::GetDriveDescription(char driveLetter) {
  std::string result;
  ScsiCommandBlock command{};
  std::uint8_t data[kInquiryLength] = {};
  command.Command = kScsiExecCommand;
  command.Flags = kScsiDirIn | kScsiEventNotify;
  command.Lun = 0;
  command.DataLength = kInquiryLength;
  command.DataBuffer = data;
  command.SenseLength = 14;
  command.CdbLength = 6;
  const std::uint8_t inquiry[6] = {0x12, 0, 0, 0, kInquiryLength, 0};
  std::memcpy(command.Cdb, inquiry, sizeof(inquiry));

  DeviceIo& io = CurrentDeviceIo();
  DeviceHandle device = io.Open(DevicePath(driveLetter));
  if (ExecScsiCommand(device, command) && command.Status == kScsiStatusCompleted) {
    const char* bytes = reinterpret_cast<const char*>(data);
    result = std::string(1, driveLetter) + ":  " + std::string(bytes + 8, 8) + " " + std::string(bytes + 16, 16) + " " +
             std::string(bytes + 32, 4);
  }
  if (device != kInvalidDevice) io.Close(device);
  return result;
}

std::string TCDRipperManager::GetTrackTime(CdromToc toc, int n) {
  if (n > toc.LastTrack) return "";
  // Entries are indexed from the disc's first track, so each row measures its
  // own track; for a disc starting at track 1 these are entries n-1 and n.
  const int a = n - toc.FirstTrack;
  if (a < 0 || a + 1 >= kTocEntryCount) return "";
  const TocTrackEntry& from = toc.TrackData[a];
  const TocTrackEntry& to = toc.TrackData[a + 1];
  int seconds = static_cast<std::int8_t>(static_cast<std::uint8_t>(TocSecond(to) - TocSecond(from)));
  int minutes = static_cast<std::int8_t>(static_cast<std::uint8_t>(TocMinute(to) - TocMinute(from)));
  if (seconds < 0) {
    seconds += 60;
    minutes -= 1;
  }
  char text[32];
  std::snprintf(text, sizeof(text), "%d:%.2d", minutes, seconds);
  return text;
}

void TCDRipperManager::FillTrackList() {
  TRipWindow* window = RipWindow();
  if (window == nullptr) return;
  window->ClearRows();
  const int first = FToc.FirstTrack;
  const int last = FToc.LastTrack;
  for (int n = first; n <= last; ++n) window->AddRow("Track " + std::to_string(n), GetTrackTime(FToc, n));
}

void BuildWavHeader(std::uint32_t dataSize, std::uint8_t (&h)[48]) {
  std::memset(h, 0, sizeof(h));
  std::memcpy(h + 0, "RIFF", 4);
  PutLe32(h + 4, dataSize + 40);
  std::memcpy(h + 8, "WAVE", 4);
  std::memcpy(h + 12, "fmt ", 4);
  PutLe32(h + 16, 20);
  PutLe16(h + 20, 1);       // PCM
  PutLe16(h + 22, 2);       // channels
  PutLe32(h + 24, 44100);   // samples per second
  PutLe32(h + 28, 176400);  // bytes per second
  PutLe16(h + 32, 4);       // block align
  PutLe16(h + 34, 16);      // bits per sample
  // 36..39: no extra format bytes, and the filler to the declared 20 bytes
  std::memcpy(h + 40, "data", 4);
  PutLe32(h + 44, dataSize);
}

void TCDRipperManager::RipTrack(int p) {
  CdromToc toc{};
  if (!TryReadToc(toc)) throw Exception("Cannot read the table of contents");
  const int trackCount = toc.LastTrack - toc.FirstTrack + 1;
  if (p < 1 || p > trackCount || p >= kTocEntryCount) throw Exception("Invalid track positions");
  const std::int32_t s = TocStartSector(toc.TrackData[p - 1]);
  const std::int32_t e = TocLastSectorBefore(toc.TrackData[p]);
  if (s < 0 || e < s) throw Exception("Invalid track positions");
  const std::uint32_t dataSize = static_cast<std::uint32_t>(e - s + 1) * kRawSectorBytes;

  std::uint8_t header[48];
  BuildWavHeader(dataSize, header);

  if (!DirectoryExists(FOutputDir)) ForceDirectories(FOutputDir);
  const std::string base = FOutputDir + "track " + std::to_string(p);
  const std::string wavName = base + ".wav";
  TRipWindow* window = RipWindow();
  {
    TFile wav;
    if (!wav.Open(wavName, TFile::Mode::CreateReadWrite)) throw Exception("Cannot create file " + wavName);
    try {
      WriteAll(wav, header, sizeof(header));

      static_assert(kSectorsPerRead * kRawSectorBytes == 30576);
      std::uint8_t buffer[kSectorsPerRead * kRawSectorBytes];
      for (std::int32_t off = s; off <= e; off += kSectorsPerRead) {
        if (window != nullptr && window->Closing()) throw EAbort();
        const int n = static_cast<int>(std::min<std::int32_t>(kSectorsPerRead, e - off + 1));
        std::memset(buffer, 0, sizeof(buffer));
        // A failed read has shown its message; its chunk is written as silence
        // so the rest of the track keeps its place and the header stays true.
        ReadRawSectors(off, buffer, n);
        WriteAll(wav, buffer, static_cast<std::int64_t>(n) * kRawSectorBytes);
      }
    } catch (const EAbort&) {
      // Stopped because the window is closing: leave no unfinished file.
      wav.Close();
      DeleteFileNamed(wavName);
      throw;
    }
  }

  const int outputType = window != nullptr ? window->OutputTypeIndex() : 1;
  if (outputType == 0) {
    if (ConvertWavToMp3(wavName, base + ".mp3")) DeleteFileNamed(wavName);
  }
}

}  // namespace pellamy
