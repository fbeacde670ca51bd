#include "ripper/CueSheet.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/Exceptions.h"
#include "base/Utf8Path.h"

namespace pellamy {

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kMaxSheetBytes = 1 << 20;
constexpr int kMaxTracks = 99;
constexpr int kMaxFiles = 99;
// The lead-out may sit at 99:59:74 at the latest.
constexpr std::int64_t kMaxDiscSectors = 99 * 4500 + 59 * 75 + 74 - 150;
constexpr int kUserDataBytes = 2048;

enum class TFileType { Binary, Motorola, Wave };
enum class TTrackMode { Audio, Mode1Raw, Mode2Raw, Mode1User };

const char* ModeName(TTrackMode mode) {
  switch (mode) {
    case TTrackMode::Audio:
      return "AUDIO";
    case TTrackMode::Mode1Raw:
      return "MODE1/2352";
    case TTrackMode::Mode2Raw:
      return "MODE2/2352";
    case TTrackMode::Mode1User:
      return "MODE1/2048";
  }
  return "";
}
// Bytes one sector of the track takes in its file.
int FileSectorBytes(TTrackMode mode) {
  return mode == TTrackMode::Mode1User ? kUserDataBytes : kRawSectorBytes;
}
bool IsData(TTrackMode mode) {
  return mode != TTrackMode::Audio;
}

const char* TypeName(TFileType type) {
  switch (type) {
    case TFileType::Binary:
      return "BINARY";
    case TFileType::Motorola:
      return "MOTOROLA";
    case TFileType::Wave:
      return "WAVE";
  }
  return "";
}

struct TImageFile {
  std::unique_ptr<std::ifstream> Stream;
  std::string Shown;  // the name as messages show it
  TFileType Type = TFileType::Binary;
  int Line = 0;
  std::int64_t DataStart = 0;  // byte offset of the first sector in the file
  std::int64_t DataBytes = 0;  // bytes of sector data from there
  // DataBytes as sectors take it: a WAVE file's last sector may be partly
  // stored, the rest is silence.
  std::int64_t SpanBytes = 0;
};

// A run of disc sectors taken from a file in one track mode, or made up
// (the silence of a PREGAP or POSTGAP, which no file holds).
struct TExtent {
  std::int32_t First = 0;
  std::int32_t Sectors = 0;
  TTrackMode Mode = TTrackMode::Audio;
  int File = -1;            // -1: made up
  std::int64_t Offset = 0;  // of the first sector, from the file's DataStart
};

class TCueImage : public TVirtualDisc {
 public:
  TCueImage(std::vector<TImageFile> files, std::vector<TExtent> extents, const CdromToc& toc, std::int32_t leadOut,
            TCdText text)
      : FFiles(std::move(files)), FExtents(std::move(extents)), FLeadOut(leadOut), FToc(toc), FText(std::move(text)) {}

  const CdromToc& Toc() const override { return FToc; }
  const TCdText& CdText() const override { return FText; }
  std::int32_t LeadOutSector() const override { return FLeadOut; }

  bool ReadSectors(std::int32_t first, std::uint32_t count, std::uint8_t* out) override {
    const std::int64_t end = static_cast<std::int64_t>(first) + count;
    if (first < 0 || end > FLeadOut) return false;
    std::lock_guard<std::mutex> lock(FMutex);
    // The extents cover 0 .. FLeadOut - 1 in order, without holes.
    auto extent = std::upper_bound(FExtents.begin(), FExtents.end(), first,
                                   [](std::int32_t sector, const TExtent& e) { return sector < e.First; }) -
                  1;
    for (std::int64_t sector = first; sector < end; ++extent) {
      const std::int64_t take = std::min<std::int64_t>(end, extent->First + extent->Sectors) - sector;
      if (!ReadExtent(*extent, sector - extent->First, take, out)) return false;
      out += take * kRawSectorBytes;
      sector += take;
    }
    return true;
  }

 private:
  bool ReadExtent(const TExtent& extent, std::int64_t index, std::int64_t count, std::uint8_t* out) {
    if (extent.File < 0) {
      // Digital silence, for a data track's gaps too: an audio track ripped
      // up to the data track after it ends in silence, not in data.
      std::memset(out, 0, static_cast<std::size_t>(count) * kRawSectorBytes);
      return true;
    }
    TImageFile& file = FFiles[static_cast<std::size_t>(extent.File)];
    const int size = FileSectorBytes(extent.Mode);
    const std::int64_t from = extent.Offset + index * size;
    const std::int64_t bytes = count * size;
    const std::int64_t stored = std::clamp<std::int64_t>(file.DataBytes - from, 0, bytes);
    // 2048-byte sectors are read packed and spread out afterwards.
    if (stored > 0) {
      std::ifstream& stream = *file.Stream;
      stream.clear();
      stream.seekg(static_cast<std::streamoff>(file.DataStart + from));
      stream.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(stored));
      if (!stream || stream.gcount() != stored) return false;  // the next read clears the state
    }
    std::memset(out + stored, 0, static_cast<std::size_t>(bytes - stored));
    if (extent.Mode == TTrackMode::Mode1User) {
      // Read back as the raw sectors a disc holds, the user bytes framed by
      // sync, header, error detection code and parity. From the last sector
      // down, so no sector overwrites one still packed.
      for (std::int64_t i = count - 1; i >= 0; --i) {
        std::uint8_t* raw = out + i * kRawSectorBytes;
        std::memmove(raw + 16, out + i * kUserDataBytes, kUserDataBytes);
        FrameMode1Sector(static_cast<std::int32_t>(extent.First + index + i), raw);
      }
    }
    if (file.Type == TFileType::Motorola) {
      for (std::int64_t i = 0; i < bytes; i += 2) std::swap(out[i], out[i + 1]);
    }
    return true;
  }

  std::mutex FMutex;
  std::vector<TImageFile> FFiles;
  std::vector<TExtent> FExtents;
  std::int32_t FLeadOut;
  CdromToc FToc;
  TCdText FText;
};

// Untrusted text made fit for a message: control bytes become '?', and long
// text is cut short without splitting a UTF-8 sequence.
std::string Shown(std::string_view text, std::size_t maxShown = 60) {
  std::string shown;
  std::size_t length = text.size();
  bool cut = false;
  if (length > maxShown) {
    length = maxShown;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    cut = true;
  }
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    shown += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
  }
  if (cut) shown += "...";
  return shown;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::string TwoDigits(std::int64_t number) {
  return (number < 10 ? "0" : "") + std::to_string(number);
}

std::string TimeText(std::int64_t sectors) {
  return TwoDigits(sectors / 4500) + ":" + TwoDigits(sectors / 75 % 60) + ":" + TwoDigits(sectors % 75);
}

// Digits only, 1 to maxDigits of them.
std::optional<int> ParseNumber(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

constexpr const char* kSupportedTrackTypes = "supported are AUDIO, MODE1/2048, MODE1/2352 and MODE2/2352";

class TCueParser {
 public:
  TCueParser(const std::string& cuePath) : FPath(cuePath), FName(Shown(PathToUtf8(PathFromUtf8(cuePath).filename()))) {}

  std::unique_ptr<TVirtualDisc> Load() {
    const std::string text = ReadSheet();
    std::size_t pos = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
    while (pos < text.size()) {
      std::size_t end = text.find_first_of("\r\n", pos);
      if (end == std::string::npos) end = text.size();
      ++FLine;
      ParseLine(std::string_view(text).substr(pos, end - pos));
      // A line ends at LF, CR LF or a lone CR.
      pos = end;
      if (pos < text.size() && text[pos] == '\r') ++pos;
      if (pos < text.size() && text[pos] == '\n') ++pos;
    }
    return Finish();
  }

 private:
  struct TTrack {
    int Number = 0;
    int Line = 0;
    TTrackMode Mode = TTrackMode::Audio;
    std::int32_t Start = -1;  // disc sector of INDEX 01
    int LastIndex = -1;
    bool Begun = false;  // its first INDEX reached: the file's sectors are its own from there
    std::int32_t Pregap = 0;
    int PregapLine = 0;
    std::int32_t Postgap = 0;
    int PostgapLine = 0;
  };

  [[noreturn]] void Fail(const std::string& message) const { FailAt(FLine, message); }
  [[noreturn]] void FailAt(int line, const std::string& message) const {
    throw Exception("cue sheet " + FName + ", line " + std::to_string(line) + ": " + message);
  }

  std::string ReadSheet() {
    std::error_code error;
    const fs::path path = PathFromUtf8(FPath);
    if (!fs::is_regular_file(path, error)) throw Exception("cannot open cue sheet " + FName);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Exception("cannot open cue sheet " + FName);
    std::string text(kMaxSheetBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) throw Exception("cannot read cue sheet " + FName);
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxSheetBytes) throw Exception("cue sheet " + FName + " is too large for a cue sheet");
    return text;
  }

  // Splits off the next word of the line: a run of non-blank characters or
  // a double-quoted string (which may hold blanks).
  std::optional<std::string> NextToken(std::string_view line, std::size_t& pos) const {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    while (pos < line.size() && blank(line[pos])) ++pos;
    if (pos >= line.size()) return std::nullopt;
    if (line[pos] == '"') {
      const std::size_t close = line.find('"', pos + 1);
      if (close == std::string_view::npos) Fail("missing closing quote");
      std::string token(line.substr(pos + 1, close - pos - 1));
      pos = close + 1;
      return token;
    }
    const std::size_t start = pos;
    while (pos < line.size() && !blank(line[pos])) ++pos;
    return std::string(line.substr(start, pos - start));
  }

  std::string Argument(std::string_view line, std::size_t& pos, const std::string& command, const char* what) const {
    std::optional<std::string> token = NextToken(line, pos);
    if (!token) Fail(command + ": " + what + " expected");
    return *token;
  }

  void NoMore(std::string_view line, std::size_t pos, const std::string& command) const {
    if (std::optional<std::string> extra = NextToken(line, pos)) {
      Fail("unexpected \"" + Shown(*extra) + "\" after " + command);
    }
  }

  // mm:ss:ff as a sector count.
  std::int32_t ParseTime(const std::string& text, const std::string& command) const {
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos || text.find(':', second + 1) != std::string::npos) {
      Fail(command + ": time mm:ss:ff expected, not \"" + Shown(text) + "\"");
    }
    const std::string_view view(text);
    const std::optional<int> minutes = ParseNumber(view.substr(0, first), 3);
    const std::optional<int> seconds = ParseNumber(view.substr(first + 1, second - first - 1), 2);
    const std::optional<int> frames = ParseNumber(view.substr(second + 1), 2);
    if (!minutes || !seconds || !frames) Fail(command + ": time mm:ss:ff expected, not \"" + Shown(text) + "\"");
    if (*seconds >= 60) Fail(command + ": seconds must be below 60 in \"" + Shown(text) + "\"");
    if (*frames >= 75) Fail(command + ": frames must be below 75 in \"" + Shown(text) + "\"");
    return *minutes * 4500 + *seconds * 75 + *frames;
  }

  void ParseLine(std::string_view line) {
    std::size_t pos = 0;
    const std::optional<std::string> word = NextToken(line, pos);
    if (!word) return;
    const std::string command = Upper(*word);
    if (command == "TITLE" || command == "PERFORMER" || command == "SONGWRITER" || command == "CATALOG" ||
        command == "ISRC") {
      return ParseText(command, line, pos);
    }
    if (command == "REM") {
      std::size_t at = pos;
      const std::optional<std::string> what = NextToken(line, at);
      if (what && Upper(*what) == "GENRE") ParseText("GENRE", line, at);
      return;
    }
    if (command == "CDTEXTFILE" || command == "FLAGS") return;
    if (command == "FILE") return ParseFile(line, pos);
    if (command == "TRACK") return ParseTrack(line, pos);
    if (command == "INDEX") return ParseIndex(line, pos);
    if (command == "PREGAP" || command == "POSTGAP") return ParseGap(command, line, pos);
    Fail("unknown command \"" + Shown(*word, 20) +
         "\"; known are CATALOG, CDTEXTFILE, FILE, FLAGS, INDEX, ISRC, PERFORMER, POSTGAP, PREGAP, REM, "
         "SONGWRITER, TITLE and TRACK");
  }

  // The disc's names (before the first TRACK) and each track's, as a disc's
  // CD-Text would carry them. A line without its text is passed over, as
  // before names were read.
  void ParseText(const std::string& command, std::string_view line, std::size_t pos) {
    const std::optional<std::string> token = NextToken(line, pos);
    if (!token) return;
    const std::string value = EightBitToUtf8(*token);
    const int track = FTracks.empty() ? 0 : FTracks.back().Number;
    if (command == "GENRE" || command == "CATALOG") {
      if (track == 0) (command == "GENRE" ? FText.Genre : FText.Track(0).Code) = value;
      return;
    }
    TTrackText& t = FText.Track(track);
    if (command == "TITLE") t.Title = value;
    if (command == "PERFORMER") t.Performer = value;
    if (command == "SONGWRITER") t.Songwriter = value;
    if (command == "ISRC" && track > 0) t.Code = value;
  }

  void ParseFile(std::string_view line, std::size_t pos) {
    // Sheets are written in UTF-8 or, by older programs, in a Windows code page.
    const std::string name = EightBitToUtf8(Argument(line, pos, "FILE", "a file name"));
    const std::string typeText = Upper(Argument(line, pos, "FILE", "a file type"));
    NoMore(line, pos, "FILE");
    TFileType type;
    if (typeText == "BINARY") {
      type = TFileType::Binary;
    } else if (typeText == "MOTOROLA") {
      type = TFileType::Motorola;
    } else if (typeText == "WAVE") {
      type = TFileType::Wave;
    } else {
      Fail("file type " + Shown(typeText) + " is not supported; supported are BINARY, MOTOROLA and WAVE");
    }
    if (name.empty()) Fail("FILE: empty file name");
    if (FFiles.size() >= static_cast<std::size_t>(kMaxFiles)) Fail("too many FILE lines");
    if (!FFiles.empty()) LayRestOfFile();

    const fs::path path = ResolvePath(name);
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || !fs::is_regular_file(path, error)) Fail("cannot find file \"" + Shown(name) + "\"");
    auto stream = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!*stream) Fail("cannot open file \"" + Shown(name) + "\"");
    TImageFile file;
    file.Stream = std::move(stream);
    file.Shown = Shown(name);
    file.Type = type;
    file.Line = FLine;
    file.DataBytes = static_cast<std::int64_t>(std::min<std::uintmax_t>(size, INT64_MAX / 2));
    file.SpanBytes = file.DataBytes;
    if (type == TFileType::Wave) {
      ReadWaveLayout(*file.Stream, file.DataBytes, "file \"" + file.Shown + "\"", file.DataStart, file.DataBytes);
      // The last sector may be short; the rest of it is silence.
      file.SpanBytes = (file.DataBytes + kRawSectorBytes - 1) / kRawSectorBytes * kRawSectorBytes;
    }
    FFiles.push_back(std::move(file));
    FFilePos = 0;
    FFileByte = 0;
    FLastIndexPos = 0;
    FLastIndexTitle.clear();
  }

  // Finds the sample data of a RIFF WAVE file by walking its chunks; only
  // what a CD holds is taken: 16-bit stereo PCM at 44100 Hz.
  void ReadWaveLayout(std::ifstream& in, std::int64_t size, const std::string& what, std::int64_t& dataStart,
                      std::int64_t& dataBytes) const {
    auto readAt = [&in](std::int64_t at, std::uint8_t* buffer, std::int64_t count) {
      in.clear();
      in.seekg(static_cast<std::streamoff>(at));
      in.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(count));
      return in && in.gcount() == count;
    };
    constexpr const char* kSupported = "; supported are RIFF WAVE files of 16-bit stereo PCM at 44100 Hz";
    std::uint8_t riff[12] = {};
    const bool headed = size >= 12 && readAt(0, riff, 12);
    if (!headed || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) {
      std::string kind = "is not a RIFF WAVE file";
      if (headed && std::memcmp(riff, "RIFX", 4) == 0) kind = "is a big-endian RIFX file";
      if (headed && std::memcmp(riff, "RF64", 4) == 0) kind = "is an RF64 file";
      if (headed && std::memcmp(riff, "FORM", 4) == 0) kind = "is an AIFF file";
      Fail(what + " " + kind + kSupported);
    }
    constexpr int kMaxChunks = 1000;
    bool haveFormat = false;
    std::int64_t at = 12;
    for (int chunk = 0; at + 8 <= size; ++chunk) {
      if (chunk == kMaxChunks) Fail(what + " has no data chunk among its first 1000 chunks");
      std::uint8_t head[8];
      if (!readAt(at, head, 8)) Fail("cannot read " + what);
      const std::int64_t length = Le32(head + 4);
      const std::int64_t body = at + 8;
      if (std::memcmp(head, "fmt ", 4) == 0) {
        std::uint8_t format[40] = {};
        if (length < 16 || length > size - body || !readAt(body, format, std::min<std::int64_t>(length, 40))) {
          Fail(what + " has a damaged fmt chunk" + kSupported);
        }
        CheckWaveFormat(format, length, what);
        haveFormat = true;
      } else if (std::memcmp(head, "data", 4) == 0) {
        if (!haveFormat) Fail(what + " has its data chunk before any fmt chunk");
        const std::int64_t stored = size - body;
        dataStart = body;
        // A file written as a stream leaves the length at its largest.
        dataBytes = length == 0xFFFFFFFF ? stored - stored % 4 : length;
        if (dataBytes > stored) {
          Fail(what + " is cut short: its data chunk says " + std::to_string(dataBytes) + " bytes, the file holds " +
               std::to_string(stored));
        }
        if (dataBytes % 4 != 0) {
          Fail(what + " holds " + std::to_string(dataBytes) +
               " bytes of samples, not a whole number of 4-byte stereo sample frames");
        }
        return;
      }
      at = body + length + (length & 1);  // chunks are padded to even lengths
    }
    Fail(what + (haveFormat ? " has no data chunk" : " has no fmt chunk") + kSupported);
  }

  void CheckWaveFormat(const std::uint8_t* format, std::int64_t length, const std::string& what) const {
    // The extensible format names the real one in the first two bytes of its sub-format.
    constexpr std::uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    int tag = Le16(format);
    if (tag == 0xFFFE && length >= 40 && std::memcmp(format + 26, kSubFormatTail, sizeof kSubFormatTail) == 0) {
      tag = Le16(format + 24);
    }
    const int channels = Le16(format + 2);
    const std::uint32_t rate = Le32(format + 4);
    const int align = Le16(format + 12);
    const int bits = Le16(format + 14);
    if (tag == 1 && channels == 2 && rate == 44100 && bits == 16 && align == 4) return;
    std::string kind;
    switch (tag) {
      case 1:
        kind = "PCM";
        break;
      case 2:
        kind = "ADPCM";
        break;
      case 3:
        kind = "floating-point";
        break;
      case 6:
        kind = "A-law";
        break;
      case 7:
        kind = "mu-law";
        break;
      case 0x11:
        kind = "IMA ADPCM";
        break;
      case 0x55:
        kind = "MP3";
        break;
      default:
        kind = "format " + std::to_string(tag);
        break;
    }
    const std::string layout = channels == 1   ? "mono"
                               : channels == 2 ? "stereo"
                                               : std::to_string(channels) + "-channel";
    std::string found = std::to_string(bits) + "-bit " + layout + " " + kind + " at " + std::to_string(rate) + " Hz";
    if (tag == 1 && channels == 2 && rate == 44100 && bits == 16)
      found += " with " + std::to_string(align) + "-byte frames";
    Fail(what + " holds " + found + "; supported is 16-bit stereo PCM at 44100 Hz");
  }

  static int Le16(const std::uint8_t* p) { return p[0] | p[1] << 8; }
  static std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  }

  fs::path ResolvePath(const std::string& name) const {
    const fs::path folder = PathFromUtf8(FPath).parent_path();
    fs::path path = folder / PathFromUtf8(name);
    std::error_code error;
    if (fs::path::preferred_separator == '/' && name.find('\\') != std::string::npos && !fs::exists(path, error)) {
      // A sheet written on Windows, read here.
      std::string slashed = name;
      std::replace(slashed.begin(), slashed.end(), '\\', '/');
      path = folder / PathFromUtf8(slashed);
    }
    return path;
  }

  void ParseTrack(std::string_view line, std::size_t pos) {
    const std::string numberText = Argument(line, pos, "TRACK", "a track number");
    const std::string type = Upper(Argument(line, pos, "TRACK", "a track type"));
    NoMore(line, pos, "TRACK");
    const std::optional<int> number = ParseNumber(numberText, 3);
    if (!number) Fail("TRACK: track number expected, not \"" + Shown(numberText) + "\"");
    if (*number < 1 || *number > kMaxTracks) {
      Fail("track number " + std::to_string(*number) + " is out of range; a disc holds tracks 1 to 99");
    }
    const std::string title = "TRACK " + TwoDigits(*number);
    if (FFiles.empty()) Fail("FILE expected before " + title);
    if (!FTracks.empty() && FTracks.back().Start < 0) Fail("INDEX 01 expected before " + title);
    if (!FTracks.empty() && *number != FTracks.back().Number + 1) {
      Fail(title + " follows TRACK " + TwoDigits(FTracks.back().Number) + "; TRACK " +
           TwoDigits(FTracks.back().Number + 1) + " expected");
    }
    TTrack track;
    track.Number = *number;
    track.Line = FLine;
    if (type == "AUDIO") {
      track.Mode = TTrackMode::Audio;
    } else if (type == "MODE1/2352") {
      track.Mode = TTrackMode::Mode1Raw;
    } else if (type == "MODE2/2352") {
      track.Mode = TTrackMode::Mode2Raw;
    } else if (type == "MODE1/2048") {
      track.Mode = TTrackMode::Mode1User;
    } else if (type.rfind("MODE", 0) == 0 || type.rfind("CDI/", 0) == 0) {
      Fail(title + ": " + Shown(type) + " data tracks are not supported; " + kSupportedTrackTypes);
    } else if (type == "CDG") {
      Fail(title + ": CD+G tracks (CDG) are not supported; " + kSupportedTrackTypes);
    } else {
      Fail(title + ": unknown track type \"" + Shown(type) + "\"; " + kSupportedTrackTypes);
    }
    FTracks.push_back(track);
  }

  void ParseGap(const std::string& command, std::string_view line, std::size_t pos) {
    if (FTracks.empty()) Fail(command + " outside a TRACK");
    const std::int32_t length = ParseTime(Argument(line, pos, command, "a time"), command);
    NoMore(line, pos, command);
    TTrack& track = FTracks.back();
    const std::string title = "TRACK " + TwoDigits(track.Number);
    if (command == "PREGAP") {
      if (track.LastIndex >= 0) {
        Fail("PREGAP follows INDEX " + TwoDigits(track.LastIndex) + " of " + title +
             "; a track's PREGAP comes before its first INDEX");
      }
      if (track.PregapLine != 0) Fail(title + " has a PREGAP already, on line " + std::to_string(track.PregapLine));
      track.Pregap = length;
      track.PregapLine = FLine;
    } else {
      if (track.Start < 0)
        Fail("POSTGAP before INDEX 01 of " + title + "; a track's POSTGAP comes after its INDEX lines");
      if (track.PostgapLine != 0) {
        Fail(title + " has a POSTGAP already, on line " + std::to_string(track.PostgapLine));
      }
      track.Postgap = length;
      track.PostgapLine = FLine;
    }
  }

  void ParseIndex(std::string_view line, std::size_t pos) {
    const std::string numberText = Argument(line, pos, "INDEX", "an index number");
    const std::string timeText = Argument(line, pos, "INDEX", "a time");
    NoMore(line, pos, "INDEX");
    if (FTracks.empty()) Fail("INDEX outside a TRACK");
    TTrack& track = FTracks.back();
    const std::optional<int> number = ParseNumber(numberText, 2);
    if (!number) Fail("INDEX: index number expected, not \"" + Shown(numberText) + "\"");
    const std::string title = "INDEX " + TwoDigits(*number);
    const std::string trackTitle = "TRACK " + TwoDigits(track.Number);
    if (*number <= track.LastIndex) {
      Fail(title + " follows INDEX " + TwoDigits(track.LastIndex) + "; index numbers must increase");
    }
    if (*number > 1 && track.Start < 0) Fail(title + " comes before INDEX 01");
    if (track.PostgapLine != 0) {
      Fail(title + " follows the POSTGAP of " + trackTitle + "; a track's POSTGAP comes after its INDEX lines");
    }
    const std::int32_t position = ParseTime(timeText, title);
    if (position < FLastIndexPos) {
      Fail(title + " at " + TimeText(position) + " does not come after " + FLastIndexTitle + " at " +
           TimeText(FLastIndexPos) + "; positions in a file must not go back");
    }
    // Where the sheet's position lies in the file: the sectors from the last
    // laid position on are of the track that holds them.
    const TImageFile& file = FFiles.back();
    const int size = FileSectorBytes(OwnerMode());
    const std::int64_t byte = FFileByte + (position - FFilePos) * size;
    if (byte >= file.SpanBytes) {
      Fail(title + " at " + TimeText(position) + " lies beyond the end of file \"" + file.Shown + "\", which ends at " +
           TimeText(FFilePos + (file.SpanBytes - FFileByte) / size));
    }
    if (!track.Begun) {
      // The track's own sectors begin here; what came before in the file is
      // the previous track's. Gaps that no file holds go in between.
      CheckFileHolds(track, file);
      LayFileUpTo(position);
      if (FTracks.size() > 1) {
        const TTrack& previous = FTracks[FTracks.size() - 2];
        LayGap(previous.Postgap, previous.PostgapLine);
      }
      LayGap(track.Pregap, track.PregapLine);
      track.Begun = true;
    }
    const std::int64_t disc = FDisc + (position - FFilePos);
    if (*number == 1) {
      if (FTracks.size() > 1 && disc <= FTracks[FTracks.size() - 2].Start) {
        Fail("INDEX 01 of " + trackTitle + " does not come after the start of TRACK " +
             TwoDigits(FTracks[FTracks.size() - 2].Number));
      }
      track.Start = static_cast<std::int32_t>(disc);
    }
    track.LastIndex = *number;
    FLastIndexPos = position;
    FLastIndexTitle = title + " of " + trackTitle;
  }

  // The track whose sectors the current file holds from the last laid
  // position on: the last track begun, or the first track when none has
  // begun yet (its hidden pregap); none before the first TRACK.
  const TTrack* Owner() const {
    for (auto track = FTracks.rbegin(); track != FTracks.rend(); ++track) {
      if (track->Begun) return &*track;
    }
    return FTracks.empty() ? nullptr : &FTracks.front();
  }
  TTrackMode OwnerMode() const {
    const TTrack* owner = Owner();
    return owner != nullptr ? owner->Mode : TTrackMode::Audio;
  }

  void CheckFileHolds(const TTrack& track, const TImageFile& file) const {
    if (IsData(track.Mode) && file.Type != TFileType::Binary) {
      Fail("TRACK " + TwoDigits(track.Number) + " is a " + ModeName(track.Mode) + " data track in the " +
           TypeName(file.Type) + " file \"" + file.Shown + "\"; data tracks must come from BINARY files");
    }
  }

  void Grow(std::int64_t sectors, int line) {
    if (sectors > kMaxDiscSectors - FDisc) FailAt(line, "the image is longer than a CD");
  }

  // Lays the current file's sectors up to position (not included) on the disc.
  void LayFileUpTo(std::int64_t position) {
    const std::int64_t sectors = position - FFilePos;
    if (sectors <= 0) return;
    const TImageFile& file = FFiles.back();
    if (const TTrack* owner = Owner()) CheckFileHolds(*owner, file);
    Grow(sectors, file.Line);
    TExtent extent;
    extent.First = static_cast<std::int32_t>(FDisc);
    extent.Sectors = static_cast<std::int32_t>(sectors);
    extent.Mode = OwnerMode();
    extent.File = static_cast<int>(FFiles.size()) - 1;
    extent.Offset = FFileByte;
    FExtents.push_back(extent);
    FDisc += sectors;
    FFileByte += sectors * FileSectorBytes(extent.Mode);
    FFilePos = position;
  }

  void LayRestOfFile() {
    const TImageFile& file = FFiles.back();
    const int size = FileSectorBytes(OwnerMode());
    const std::int64_t rest = file.SpanBytes - FFileByte;
    if (rest % size != 0) {
      FailAt(file.Line, FFileByte == 0
                            ? "file \"" + file.Shown + "\" is " + std::to_string(rest) +
                                  " bytes long, not a whole number of " + std::to_string(size) + "-byte sectors"
                            : "the " + std::to_string(rest) + " bytes of file \"" + file.Shown + "\" from " +
                                  TimeText(FFilePos) + " on are not a whole number of " + std::to_string(size) +
                                  "-byte sectors");
    }
    // The disc's length is checked before the position can grow past it.
    Grow(rest / size, file.Line);
    LayFileUpTo(FFilePos + rest / size);
  }

  void LayGap(std::int32_t sectors, int line) {
    if (sectors <= 0) return;
    Grow(sectors, line);
    TExtent extent;
    extent.First = static_cast<std::int32_t>(FDisc);
    extent.Sectors = sectors;
    FExtents.push_back(extent);
    FDisc += sectors;
  }

  std::unique_ptr<TVirtualDisc> Finish() {
    if (!FFiles.empty()) LayRestOfFile();
    if (FTracks.empty()) throw Exception("cue sheet " + FName + ": no TRACK found");
    const TTrack& last = FTracks.back();
    if (last.Start < 0) FailAt(last.Line, "TRACK " + TwoDigits(last.Number) + " has no INDEX 01");
    LayGap(last.Postgap, last.PostgapLine);
    std::vector<TTocTrack> tracks;
    for (const TTrack& track : FTracks) tracks.push_back({track.Start, IsData(track.Mode)});
    const std::int32_t leadOut = static_cast<std::int32_t>(FDisc);
    try {
      return std::make_unique<TCueImage>(std::move(FFiles), std::move(FExtents),
                                         BuildToc(FTracks.front().Number, tracks, leadOut), leadOut, std::move(FText));
    } catch (const Exception& e) {
      throw Exception("cue sheet " + FName + ": " + e.Message());
    }
  }

  std::string FPath;
  std::string FName;
  int FLine = 0;
  std::vector<TImageFile> FFiles;
  std::vector<TTrack> FTracks;
  std::vector<TExtent> FExtents;
  std::int64_t FDisc = 0;      // sectors laid on the disc so far
  std::int64_t FFilePos = 0;   // position in the current file up to which its sectors are laid
  std::int64_t FFileByte = 0;  // and that position's byte offset from the file's DataStart
  std::int64_t FLastIndexPos = 0;
  std::string FLastIndexTitle;
  TCdText FText;
};

}  // namespace

std::unique_ptr<TVirtualDisc> LoadCueImage(const std::string& cuePath) {
  return TCueParser(cuePath).Load();
}

}  // namespace pellamy
