#include "ripper/CueSheet.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/Exceptions.h"

namespace pellamy {

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kMaxSheetBytes = 1 << 20;
constexpr int kMaxTracks = 99;
constexpr int kMaxFiles = 99;
// The lead-out may sit at 99:59:74 at the latest.
constexpr std::int64_t kMaxDiscSectors = 99 * 4500 + 59 * 75 + 74 - 150;

struct TBinFile {
  std::unique_ptr<std::ifstream> Stream;
  std::int32_t First = 0;  // disc sector of the file's first sector
  std::int32_t Sectors = 0;
};

class TCueImage : public TVirtualDisc {
 public:
  TCueImage(std::vector<TBinFile> files, const std::vector<std::int32_t>& trackStarts, std::int32_t leadOut)
      : FFiles(std::move(files)), FLeadOut(leadOut), FToc(BuildAudioToc(trackStarts, leadOut)) {}

  const CdromToc& Toc() const override { return FToc; }
  std::int32_t LeadOutSector() const override { return FLeadOut; }

  bool ReadSectors(std::int32_t first, std::uint32_t count, std::uint8_t* out) override {
    const std::int64_t end = static_cast<std::int64_t>(first) + count;
    if (first < 0 || end > FLeadOut) return false;
    std::lock_guard<std::mutex> lock(FMutex);
    std::int64_t sector = first;
    for (TBinFile& file : FFiles) {
      const std::int64_t fileEnd = static_cast<std::int64_t>(file.First) + file.Sectors;
      if (sector >= end) break;
      if (sector >= fileEnd) continue;
      const std::int64_t take = std::min(end, fileEnd) - sector;
      const std::int64_t bytes = take * kRawSectorBytes;
      std::ifstream& stream = *file.Stream;
      stream.clear();
      stream.seekg(static_cast<std::streamoff>((sector - file.First) * kRawSectorBytes));
      stream.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(bytes));
      if (!stream || stream.gcount() != bytes) return false;  // the next read clears the state
      out += bytes;
      sector += take;
    }
    return sector == end;
  }

 private:
  std::mutex FMutex;
  std::vector<TBinFile> FFiles;
  std::int32_t FLeadOut;
  CdromToc FToc;
};

// Untrusted text made fit for a message: control bytes become '?', and long
// text is cut short without splitting a UTF-8 sequence.
std::string Shown(std::string_view text) {
  constexpr std::size_t kMaxShown = 60;
  std::string shown;
  std::size_t length = text.size();
  bool cut = false;
  if (length > kMaxShown) {
    length = kMaxShown;
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

std::string TwoDigits(int number) {
  return (number < 10 ? "0" : "") + std::to_string(number);
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

class TCueParser {
 public:
  TCueParser(const std::string& cuePath) : FPath(cuePath), FName(Shown(fs::path(cuePath).filename().string())) {}

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
    int Number;
    int Line;
    std::int32_t Start = -1;  // set by INDEX 01
    int LastIndex = -1;
  };

  [[noreturn]] void Fail(const std::string& message) const {
    throw Exception("cue sheet " + FName + ", line " + std::to_string(FLine) + ": " + message);
  }
  [[noreturn]] void FailAt(int line, const std::string& message) const {
    throw Exception("cue sheet " + FName + ", line " + std::to_string(line) + ": " + message);
  }

  std::string ReadSheet() {
    std::error_code error;
    const fs::path path(FPath);
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
    if (command == "REM" || command == "TITLE" || command == "PERFORMER" || command == "SONGWRITER" ||
        command == "CATALOG" || command == "ISRC" || command == "CDTEXTFILE" || command == "FLAGS") {
      return;
    }
    if (command == "FILE") return ParseFile(line, pos);
    if (command == "TRACK") return ParseTrack(line, pos);
    if (command == "INDEX") return ParseIndex(line, pos);
    if (command == "PREGAP" || command == "POSTGAP") {
      if (FTracks.empty()) Fail(command + " outside a TRACK");
      ParseTime(Argument(line, pos, command, "a time"), command);
      return NoMore(line, pos, command);
    }
    Fail("unknown command \"" + Shown(*word) + "\"");
  }

  void ParseFile(std::string_view line, std::size_t pos) {
    const std::string name = Argument(line, pos, "FILE", "a file name");
    const std::string type = Upper(Argument(line, pos, "FILE", "a file type"));
    NoMore(line, pos, "FILE");
    if (type == "MOTOROLA") Fail("big-endian (MOTOROLA) files are not supported; only BINARY");
    if (type != "BINARY") Fail("file type " + Shown(type) + " is not supported; only BINARY");
    if (name.empty()) Fail("FILE: empty file name");
    if (FFiles.size() >= static_cast<std::size_t>(kMaxFiles)) Fail("too many FILE lines");

    fs::path path = ResolvePath(name);
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || !fs::is_regular_file(path, error)) Fail("cannot find file \"" + Shown(name) + "\"");
    if (size % kRawSectorBytes != 0) {
      Fail("file \"" + Shown(name) + "\" is " + std::to_string(size) +
           " bytes long, not a whole number of 2352-byte sectors");
    }
    const std::uintmax_t sectors = size / kRawSectorBytes;
    if (sectors > static_cast<std::uintmax_t>(kMaxDiscSectors - FTotal)) Fail("the image is longer than a CD");
    auto stream = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!*stream) Fail("cannot open file \"" + Shown(name) + "\"");
    TBinFile file;
    file.Stream = std::move(stream);
    file.First = static_cast<std::int32_t>(FTotal);
    file.Sectors = static_cast<std::int32_t>(sectors);
    FFiles.push_back(std::move(file));
    FTotal += static_cast<std::int64_t>(sectors);
  }

  fs::path ResolvePath(const std::string& name) const {
    const fs::path folder = fs::path(FPath).parent_path();
    fs::path path = folder / fs::path(name);
    std::error_code error;
    if (fs::path::preferred_separator == '/' && name.find('\\') != std::string::npos && !fs::exists(path, error)) {
      // A sheet written on Windows, read here.
      std::string slashed = name;
      std::replace(slashed.begin(), slashed.end(), '\\', '/');
      path = folder / fs::path(slashed);
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
    const int expected = static_cast<int>(FTracks.size()) + 1;
    if (*number != expected) {
      Fail(FTracks.empty() ? title + " cannot be the first track; tracks are numbered from 01"
                           : title + " follows TRACK " + TwoDigits(FTracks.back().Number) + "; TRACK " +
                                 TwoDigits(expected) + " expected");
    }
    if (type != "AUDIO") {
      if (type.rfind("MODE", 0) == 0 || type == "CDI/2336" || type == "CDI/2352" || type == "CDG") {
        Fail(title + " is a data track (" + Shown(type) + "); only AUDIO tracks are supported");
      }
      Fail(title + ": unknown track type \"" + Shown(type) + "\"");
    }
    FTracks.push_back({*number, FLine});
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
    if (*number <= track.LastIndex) {
      Fail(title + " follows INDEX " + TwoDigits(track.LastIndex) + "; index numbers must increase");
    }
    if (*number > 1 && track.Start < 0) Fail(title + " comes before INDEX 01");
    const std::int32_t position = ParseTime(timeText, title);
    track.LastIndex = *number;
    if (*number != 1) return;

    const TBinFile& file = FFiles.back();
    if (position >= file.Sectors) {
      Fail("INDEX 01 at " + timeText + " lies beyond the end of its file (" + std::to_string(file.Sectors) +
           " sectors)");
    }
    const std::int32_t start = file.First + position;
    if (FTracks.size() > 1 && start <= FTracks[FTracks.size() - 2].Start) {
      Fail("INDEX 01 of TRACK " + TwoDigits(track.Number) + " does not come after the start of TRACK " +
           TwoDigits(FTracks[FTracks.size() - 2].Number));
    }
    track.Start = start;
  }

  std::unique_ptr<TVirtualDisc> Finish() {
    if (FTracks.empty()) throw Exception("cue sheet " + FName + ": no TRACK found");
    if (FTracks.back().Start < 0) {
      FailAt(FTracks.back().Line, "TRACK " + TwoDigits(FTracks.back().Number) + " has no INDEX 01");
    }
    std::vector<std::int32_t> starts;
    for (const TTrack& track : FTracks) starts.push_back(track.Start);
    return std::make_unique<TCueImage>(std::move(FFiles), starts, static_cast<std::int32_t>(FTotal));
  }

  std::string FPath;
  std::string FName;
  int FLine = 0;
  std::vector<TBinFile> FFiles;
  std::vector<TTrack> FTracks;
  std::int64_t FTotal = 0;
};

}  // namespace

std::unique_ptr<TVirtualDisc> LoadCueImage(const std::string& cuePath) {
  return TCueParser(cuePath).Load();
}

}  // namespace pellamy
