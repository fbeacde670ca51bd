// TCDRipperManager: one open CD drive; its table of contents, raw audio
// reads, SCSI commands, the track list and the track ripper.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ripper/CdText.h"
#include "ripper/CdromToc.h"
#include "ripper/DeviceIo.h"
#include "ripper/DeviceRecords.h"
#include "ripper/Id3Tag.h"
#include "ripper/RipLog.h"
#include "ripper/RipPipeline.h"

namespace pellamy {

inline constexpr int kSectorsPerRead = 13;

// A track on its way from the disc to its encoder.
struct TRippedTrack {
  TRippedTrack(std::uint64_t length, TAudioBudget* budget) : Audio(length, budget) {}
  int P = 0;  // row position
  TTrackRip Rip;
  TTrackTags Tags;
  TAudioStream Audio;
};

class TCDRipperManager {
 public:
  // Opens the drive. Throws EAbort (the silent abort) when the ASPI library
  // cannot be loaded.
  TCDRipperManager(const std::string& outputDir, char driveLetter);
  char DriveLetter() const { return FLetter; }
  virtual ~TCDRipperManager();
  TCDRipperManager(const TCDRipperManager&) = delete;
  TCDRipperManager& operator=(const TCDRipperManager&) = delete;

  // Copies the drive's TOC into FToc and destination; on failure changes
  // neither and reports nothing.
  void ReadToc(CdromToc& destination);
  // count sectors into buffer (count * 2352 bytes); on failure shows the
  // error code and returns false.
  bool ReadRawSectors(std::int32_t firstSector, void* buffer, int count);
  // The rows of the disc's tracks, with their CD-Text titles in the comment
  // column, and the album and its performer in the status line.
  void FillTrackList();
  // The disc's CD-Text, read once; none when the drive gives none or it is
  // damaged (CdTextProblem says why), which is no error.
  const TCdText& CdText();
  const std::string& CdTextProblem() const { return FCdTextProblem; }
  // Rips the track of row position p (1-based): StartTrack, ReadTrack, then
  // EncodeTrack.
  void RipTrack(int p);
  // The track of row position p (1-based), ready to read: null for a data
  // track, which is never written. Fails before the drive reads when the
  // output folder cannot be made or a folder holds the file's name. Its
  // audio waits for the encoder within budget (none: no limit).
  std::shared_ptr<TRippedTrack> StartTrack(int p, TAudioBudget* budget);
  // Reads the track as RipSettings() says into its audio stream, with its
  // checksums, and ends the stream. onRead(bytes) after every chunk. Throws
  // EAbort when the window closes (the stream then fails too).
  void ReadTrack(TRippedTrack& track, const std::function<void(std::size_t)>& onRead = {});
  // Writes a track as its audio comes to FOutputDir + "track p", as the
  // window's output type reads now, and keeps its rip for the log; a failure
  // other than the window closing is kept as the track's error. Safe on
  // several threads.
  void EncodeTrack(TRippedTrack& track, const std::function<void(std::int64_t)>& progress = {});
  // The tracks ripped so far, in track order; not while tracks are encoding.
  const std::vector<TTrackRip>& Rips() const { return FRips; }
  // Writes the rip log to the output directory; returns its file name
  // (empty when it could not be written).
  std::string WriteRipLog();

  static bool ExecScsiCommand(DeviceHandle device, ScsiCommandBlock& command);
  static std::string GetDriveDescription(char driveLetter);
  static std::string GetTrackTime(CdromToc toc, int n);

  const CdromToc& Toc() const { return FToc; }
  const std::string& OutputDir() const { return FOutputDir; }

 private:
  bool TryReadToc(CdromToc& destination);
  CdromToc FTrackToc{};  // as StartTrack read it for ReadTrack
  void CloseDevice();

  std::string FOutputDir;
  char FLetter;
  std::mutex FRipsLock;
  std::vector<TTrackRip> FRips;
  TCdText FCdText;
  std::string FCdTextProblem;
  bool FCdTextRead = false;
  CdromToc FToc{};
  DeviceHandle FDevice = kInvalidDevice;
};

// "E:  VENDOR   PRODUCT          REV " from the drive's INQUIRY, or "E:"
// when it does not answer; shows no message.
std::string QuietDriveDescription(char driveLetter);

// What the track list's comment column shows for track n: its title, or
// "Performer – Title" when its performer is not the album's; empty without
// a title.
std::string TrackComment(const TCdText& text, int n);

// The entry points looked up in the ASPI library by the first manager.
const AspiEntryPoints& AspiEntries();

// The 48-byte header of a WAV file holding dataSize bytes of CD audio.
void BuildWavHeader(std::uint32_t dataSize, std::uint8_t (&header)[48]);

}  // namespace pellamy
