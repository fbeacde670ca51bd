#include "ripper/RipLog.h"

#include <cstdio>

#include "ripper/Hashes.h"
#include "ripper/TrackChecksums.h"

namespace pellamy {
namespace {

constexpr char kChecksumPrefix[] = "Log checksum (SHA-256): ";

std::string Hex8(std::uint32_t v) {
  char s[9];
  std::snprintf(s, sizeof s, "%08X", v);
  return s;
}

std::string Join(const std::vector<int>& v) {
  std::string s;
  for (int n : v) s += (s.empty() ? "" : ", ") + std::to_string(n);
  return s;
}

}  // namespace

std::vector<int> TracksWithErrors(const std::vector<TTrackRip>& tracks) {
  std::vector<int> out;
  for (const auto& t : tracks)
    if (!t.Report.Suspicious.empty() || !t.Failure.empty()) out.push_back(t.Track);
  return out;
}

std::string FormatRipLog(const TRipLogInfo& info) {
  std::string s;
  auto line = [&s](const std::string& text = "") { s += text + "\r\n"; };
  line("Pellamy " + info.Version + " rip log");
  line();
  line("Drive: " + info.Drive);
  line(std::string("Read mode: ") +
       (info.Secure ? "secure (two passes, up to 16 re-reads until 8 agree)" : "burst (one pass)"));
  line("Read offset: " + std::to_string(info.Offset) + (info.OffsetGiven ? " samples" : " samples (none given)"));
  line();
  const TDiscIds ids = ComputeDiscIds(info.Disc);
  line("AccurateRip disc id: " + ids.AccurateRipId);
  line("AccurateRip database: " + ids.AccurateRipUrl);
  char cddb[9];
  std::snprintf(cddb, sizeof cddb, "%08x", ids.Cddb);
  line(std::string("freedb disc id: ") + cddb);
  line("MusicBrainz disc id: " + ids.MusicBrainz);
  line("MusicBrainz lookup: " + ids.MusicBrainzUrl);
  line("CUETools TOC id: " + ids.CueToolsToc);
  line();
  // The names the disc carries, as read.
  if (info.CdText.Empty()) {
    line("CD-Text: " + (info.CdTextProblem.empty() ? std::string("none") : info.CdTextProblem));
  } else {
    line("CD-Text");
    auto field = [&line](const char* name, const std::string& value) {
      if (!value.empty()) line(std::string("    ") + name + ": " + value);
    };
    for (std::size_t n = 0; n < info.CdText.Tracks.size(); ++n) {
      const TTrackText& t = info.CdText.Tracks[n];
      if (t == TTrackText{}) continue;
      line(n == 0 ? std::string("  Disc") : "  Track " + std::to_string(n));
      field("Title", t.Title);
      field("Performer", t.Performer);
      field("Songwriter", t.Songwriter);
      field("Composer", t.Composer);
      field("Arranger", t.Arranger);
      field("Message", t.Message);
      field(n == 0 ? "UPC/EAN" : "ISRC", t.Code);
    }
    field("Genre", info.CdText.Genre);
    field("Disc id", info.CdText.DiscId);
  }
  line();
  line("Table of contents");
  line("  Track |    Start |  Length | Sectors        | Type");
  for (std::size_t i = 0; i < info.Disc.Tracks.size(); ++i) {
    const TDiscTrack& t = info.Disc.Tracks[i];
    const std::int32_t end = i + 1 < info.Disc.Tracks.size() ? info.Disc.Tracks[i + 1].Start : info.Disc.LeadOut;
    char row[128];
    std::snprintf(row, sizeof row, "  %5d | %8s | %7s | %6d-%-7d | %s", t.Number, SectorTime(t.Start).c_str(),
                  SectorTime(end - t.Start).c_str(), t.Start, end - 1, t.Data ? "data" : "audio");
    line(row);
  }
  line();
  for (const TTrackRip& t : info.Tracks) {
    line("Track " + std::to_string(t.Track));
    line("  File: " + (t.Failure.empty() ? t.File : "none, " + t.Failure));
    line("  Range: " + SectorTime(t.Start) + " - " + SectorTime(t.End) + " (sectors " + std::to_string(t.Start) + "-" +
         std::to_string(t.End - 1) + ")");
    line("  Peak level: " + TTrackChecksums::FormatPeak(t.Peak) + " %");
    line("  CRC32: " + Hex8(t.Crc));
    line("  CRC32 without null samples: " + Hex8(t.CrcNonZero));
    line("  AccurateRip v1: " + Hex8(t.ArV1));
    line("  AccurateRip v2: " + Hex8(t.ArV2));
    line("  Re-read chunks: " + std::to_string(t.Report.RereadChunks));
    std::string positions;
    for (std::int32_t p : t.Report.Suspicious) positions += (positions.empty() ? "" : ", ") + SectorTime(p);
    line("  Suspicious positions: " + (positions.empty() ? std::string("none") : positions));
    line();
  }
  const auto errors = TracksWithErrors(info.Tracks);
  line(errors.empty() ? "No errors occurred" : "Tracks with errors: " + Join(errors));
  line();
  s += kChecksumPrefix + Sha256Hex(s) + "\r\n";
  return s;
}

bool RipLogIntact(const std::string& text) {
  const std::size_t at = text.rfind(kChecksumPrefix);
  if (at == std::string::npos || (at > 0 && text[at - 1] != '\n')) return false;
  const std::string rest = text.substr(at + sizeof kChecksumPrefix - 1);
  return rest == Sha256Hex(std::string_view(text).substr(0, at)) + "\r\n";
}

std::string RipLogName(const std::tm& t) {
  char name[64];
  std::snprintf(name, sizeof name, "Pellamy rip %04d-%02d-%02d %02d-%02d-%02d.log", t.tm_year + 1900, t.tm_mon + 1,
                t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return name;
}

}  // namespace pellamy
