#include "ripper/ScsiManagerUnit.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>

#include "base/Exceptions.h"
#include "ripper/DiscIds.h"
#include "ripper/FileIo.h"
#include "ripper/MP3export.h"
#include "ripper/RipSettings.h"
#include "ripper/RipWindow.h"
#include "ripper/SecureReader.h"
#include "ripper/TextCodec.h"
#include "ripper/TrackChecksums.h"
#include "ripper/TrackOutput.h"
#include "ripper/VirtualDisc.h"

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

// The drive as the secure reader sees it: raw reads, or READ CD with C2
// error pointers where the drive reports them. Failures stay silent: the
// reader counts them.
class TDeviceSource : public TSectorSource {
 public:
  // probe: a sector to try READ CD on.
  TDeviceSource(DeviceHandle device, std::int32_t leadOut, std::int32_t probe)
      : FDevice(device), FLeadOut(leadOut), FProbe(probe) {}

  bool Read(std::int32_t first, int count, std::uint8_t* out, std::uint8_t* c2) override {
    if (c2 != nullptr && ReportsC2()) return ReadCd(first, count, out, c2);
    RawReadRequest request{};
    request.DiskOffset = std::int64_t(first) * 2048;
    request.SectorCount = static_cast<std::uint32_t>(count);
    request.TrackMode = kTrackModeCdda;
    return CurrentDeviceIo().RawRead(FDevice, request, out, static_cast<std::uint32_t>(count) * kRawSectorBytes);
  }

  bool ReportsC2() override {
    // Used only where READ CD returns the audio a raw read returns: some
    // drives and drivers accept the command and answer with other data.
    if (FC2 < 0) {
      FC2 = 0;
      std::vector<std::uint8_t> data(kRawSectorBytes), raw(kRawSectorBytes), c2(294);
      if (FProbe >= 0 && FProbe < FLeadOut && ReadCd(FProbe, 1, data.data(), c2.data()) &&
          Read(FProbe, 1, raw.data(), nullptr) && data == raw)
        FC2 = 1;
    }
    return FC2 == 1;
  }

  std::int32_t LeadOut() override { return FLeadOut; }

 private:
  bool ReadCd(std::int32_t first, int count, std::uint8_t* out, std::uint8_t* c2) {
    constexpr std::uint32_t kPer = kRawSectorBytes + 294;
    std::vector<std::uint8_t> buffer(std::size_t(count) * kPer);
    PassThroughBlock block{};
    PassThroughDirect& spt = block.Spt;
    spt.Length = sizeof(PassThroughDirect);
    spt.CdbLength = 12;
    spt.SenseInfoLength = 18;
    spt.DataIn = kPassThroughDataIn;
    spt.DataTransferLength = static_cast<std::uint32_t>(buffer.size());
    spt.TimeOutValue = kPassThroughTimeoutSeconds;
    spt.DataBuffer = buffer.data();
    spt.SenseInfoOffset = kSenseBufferOffset;
    const std::uint32_t lba = static_cast<std::uint32_t>(first), n = static_cast<std::uint32_t>(count);
    const std::uint8_t cdb[12] = {0xBE,
                                  0x04,  // CD-DA sectors
                                  std::uint8_t(lba >> 24),
                                  std::uint8_t(lba >> 16),
                                  std::uint8_t(lba >> 8),
                                  std::uint8_t(lba),
                                  std::uint8_t(n >> 16),
                                  std::uint8_t(n >> 8),
                                  std::uint8_t(n),
                                  0x12,  // user data and the C2 error pointers
                                  0,
                                  0};
    std::memcpy(spt.Cdb, cdb, sizeof cdb);
    if (!CurrentDeviceIo().ScsiPassThrough(FDevice, block) || spt.ScsiStatus != 0) return false;
    for (int i = 0; i < count; ++i) {
      std::memcpy(out + std::size_t(i) * kRawSectorBytes, buffer.data() + std::size_t(i) * kPer, kRawSectorBytes);
      std::memcpy(c2 + std::size_t(i) * 294, buffer.data() + std::size_t(i) * kPer + kRawSectorBytes, 294);
    }
    return true;
  }

  DeviceHandle FDevice;
  std::int32_t FLeadOut, FProbe;
  int FC2 = -1;
};

std::int32_t TocLeadOut(const CdromToc& toc) {
  const int count = toc.LastTrack - toc.FirstTrack + 1;
  if (count < 1 || count >= kTocEntryCount) return 0;
  return TocStartSector(toc.TrackData[count]);
}

}  // namespace

std::string QuietDriveDescription(char driveLetter) {
  std::string result(1, driveLetter);
  result += ":";
  DeviceIo& io = CurrentDeviceIo();
  const DeviceHandle device = io.Open(DevicePath(driveLetter));
  if (device == kInvalidDevice) return result;
  std::uint8_t data[kInquiryLength] = {};
  PassThroughBlock block{};
  block.Spt.Length = sizeof(PassThroughDirect);
  block.Spt.CdbLength = 6;
  block.Spt.SenseInfoLength = 14;
  block.Spt.DataIn = kPassThroughDataIn;
  block.Spt.DataTransferLength = kInquiryLength;
  block.Spt.TimeOutValue = kPassThroughTimeoutSeconds;
  block.Spt.DataBuffer = data;
  block.Spt.SenseInfoOffset = kSenseBufferOffset;
  const std::uint8_t inquiry[6] = {0x12, 0, 0, 0, kInquiryLength, 0};
  std::memcpy(block.Spt.Cdb, inquiry, sizeof inquiry);
  if (io.ScsiPassThrough(device, block) && block.Spt.ScsiStatus == 0 && block.Spt.DataTransferLength >= 36) {
    const char* bytes = reinterpret_cast<const char*>(data);
    result += "  " + std::string(bytes + 8, 8) + " " + std::string(bytes + 16, 16) + " " + std::string(bytes + 32, 4);
  }
  io.Close(device);
  return result;
}

const AspiEntryPoints& AspiEntries() {
  return gAspiEntries;
}

TCDRipperManager::TCDRipperManager(const std::string& outputDir, char driveLetter)
    : FOutputDir(outputDir), FLetter(driveLetter) {
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

const TCdText& TCDRipperManager::CdText() {
  if (FCdTextRead) return FCdText;
  FCdTextRead = true;
  std::vector<std::uint8_t> answer;
  if (FDevice != kInvalidDevice && CurrentDeviceIo().ReadCdText(FDevice, answer))
    FCdText = ParseCdText(answer.data(), answer.size(), &FCdTextProblem);
  else
    FCdTextProblem = "no CD-Text";
  return FCdText;
}

std::string TrackComment(const TCdText& text, int n) {
  const TTrackText& track = text.Track(n);
  if (track.Title.empty()) return {};
  const std::string& album = text.Track(0).Performer;
  if (!track.Performer.empty() && track.Performer != album) return track.Performer + " \u2013 " + track.Title;
  return track.Title;
}

void TCDRipperManager::FillTrackList() {
  TRipWindow* window = RipWindow();
  if (window == nullptr) return;
  window->ClearRows();
  const TCdText& text = CdText();
  const int first = FToc.FirstTrack;
  const int last = FToc.LastTrack;
  for (int n = first; n <= last; ++n) {
    const int entry = n - first;
    if (entry >= 0 && entry + 1 < kTocEntryCount && TocIsDataTrack(FToc.TrackData[entry]))
      window->AddDataRow("Track " + std::to_string(n), GetTrackTime(FToc, n));
    else
      window->AddTitledRow("Track " + std::to_string(n), GetTrackTime(FToc, n), TrackComment(text, n));
  }
  const TTrackText& album = text.Track(0);
  if (!album.Title.empty())
    window->SetStatus(album.Performer.empty() ? album.Title : album.Title + " \u2013 " + album.Performer);
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
  if (std::shared_ptr<TRippedTrack> track = StartTrack(p, nullptr)) {
    ReadTrack(*track);
    EncodeTrack(*track);
  }
}

std::shared_ptr<TRippedTrack> TCDRipperManager::StartTrack(int p, TAudioBudget* budget) {
  CdromToc toc{};
  if (!TryReadToc(toc)) throw Exception("Cannot read the table of contents");
  const int trackCount = toc.LastTrack - toc.FirstTrack + 1;
  if (p < 1 || p > trackCount || p >= kTocEntryCount) throw Exception("Invalid track positions");
  const std::int32_t s = TocStartSector(toc.TrackData[p - 1]);
  const std::int32_t e = TocLastSectorBefore(toc.TrackData[p]);
  if (s < 0 || e < s) throw Exception("Invalid track positions");

  // Data sectors are never written as audio.
  if (TocIsDataTrack(toc.TrackData[p - 1])) return nullptr;

  // What would stop the file being written is found before the drive spins.
  if (!DirectoryExists(FOutputDir)) ForceDirectories(FOutputDir);
  TRipWindow* window = RipWindow();
  const std::string planned = FOutputDir + "track " + std::to_string(p) +
                              OutputExtension(window != nullptr ? window->OutputTypeIndex() : kOutputWav);
  if (DirectoryExists(planned)) throw Exception("Cannot create file " + planned);

  auto track = std::make_shared<TRippedTrack>(std::uint64_t(e - s + 1) * kRawSectorBytes, budget);
  track->P = p;
  track->Rip.Track = toc.FirstTrack + p - 1;
  track->Rip.Start = s;
  track->Rip.End = e + 1;
  track->Tags = TagsForTrack(CdText(), p, TocTrackCount(toc), ComputeDiscIds(DiscLayoutFromToc(toc)).MusicBrainz);
  FTrackToc = toc;
  return track;
}

void TCDRipperManager::ReadTrack(TRippedTrack& track, const std::function<void(std::size_t)>& onRead) {
  TTrackRip& rip = track.Rip;
  // The disc's first and last audio tracks leave samples out of the
  // AccurateRip sums.
  int firstAudio = 0, lastAudio = 0;
  for (const TDiscTrack& t : DiscLayoutFromToc(FTrackToc).Tracks)
    if (!t.Data) {
      if (firstAudio == 0) firstAudio = t.Number;
      lastAudio = t.Number;
    }
  TRipWindow* window = RipWindow();
  try {
    TTrackChecksums sums(static_cast<std::uint32_t>(rip.End - rip.Start) * 588u, rip.Track == firstAudio,
                         rip.Track == lastAudio);
    TDeviceSource source(FDevice, TocLeadOut(FTrackToc), rip.Start);
    TReadOptions options;
    options.SectorsPerChunk = kSectorsPerRead;
    options.Secure = !RipSettings().Burst;
    options.OffsetSamples = RipSettings().ReadOffset;
    const bool done = ReadTrackAudio(
        source, rip.Start, rip.End, options,
        [&](const std::uint8_t* pcm, std::size_t size) {
          sums.Add(pcm, size);
          track.Audio.Push(pcm, size);
          if (onRead) onRead(size);
        },
        rip.Report, [window] { return window != nullptr && window->Closing(); });
    if (!done) throw EAbort();
    rip.ArV1 = sums.AccurateRipV1();
    rip.ArV2 = sums.AccurateRipV2();
    rip.Crc = sums.Crc();
    rip.CrcNonZero = sums.CrcNonZero();
    rip.Peak = sums.Peak();
  } catch (...) {
    track.Audio.Fail();
    throw;
  }
  track.Audio.End();
}

void TCDRipperManager::EncodeTrack(TRippedTrack& track, const std::function<void(std::int64_t)>& progress) {
  TRipWindow* window = RipWindow();
  const int type = window != nullptr ? window->OutputTypeIndex() : kOutputWav;
  // Gone from the stream however this ends, so the drive never waits on it.
  struct TLeave {
    TAudioStream& Audio;
    ~TLeave() { Audio.Leave(); }
  } leave{track.Audio};
  try {
    track.Rip.File = WriteTrackFile(FOutputDir, track.P, type, track.Audio, track.Tags, progress);
  } catch (const EAbort&) {
    throw;
  } catch (const std::exception& e) {
    track.Rip.Failure = e.what();
  }
  std::lock_guard lock(FRipsLock);
  auto at = FRips.begin();
  while (at != FRips.end() && at->Track <= track.Rip.Track) ++at;
  FRips.insert(at, std::move(track.Rip));
}

std::string TCDRipperManager::WriteRipLog() {
  if (FRips.empty()) return "";
  TRipLogInfo info;
  info.Version = PELLAMY_VERSION_TEXT;
  info.Drive = QuietDriveDescription(FLetter);
  info.Secure = !RipSettings().Burst;
  info.Offset = RipSettings().ReadOffset;
  info.OffsetGiven = RipSettings().OffsetGiven;
  info.Disc = DiscLayoutFromToc(FToc);
  info.Tracks = FRips;
  info.CdText = CdText();
  info.CdTextProblem = FCdTextProblem;
  const std::string text = FormatRipLog(info);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  const std::string name = RipLogName(local);
  if (!DirectoryExists(FOutputDir)) ForceDirectories(FOutputDir);
  TFile log;
  if (!log.Open(FOutputDir + name, TFile::Mode::CreateReadWrite)) return "";
  if (log.Write(text.data(), static_cast<std::int64_t>(text.size())) != static_cast<std::int64_t>(text.size()))
    return "";
  return name;
}

}  // namespace pellamy
