#include "ripper/DiscIds.h"

#include <cstdio>

#include "ripper/Hashes.h"

namespace pellamy {
namespace {

// A second session starts this many sectors (lead-out, lead-in, pregap) after
// the audio session's last track ends.
constexpr std::int32_t kSessionGap = 11400;

std::string Hex8(std::uint32_t v, bool upper) {
  char s[9];
  std::snprintf(s, sizeof s, upper ? "%08X" : "%08x", v);
  return s;
}

// Base64 with the URL-safe alphabet both databases use ('.', '_', '-').
std::string DatabaseBase64(const std::uint8_t* p, std::size_t n) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._";
  std::string out;
  for (std::size_t i = 0; i < n; i += 3) {
    const std::uint32_t v =
        (std::uint32_t(p[i]) << 16) | (i + 1 < n ? std::uint32_t(p[i + 1]) << 8 : 0) | (i + 2 < n ? p[i + 2] : 0);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < n ? kAlphabet[(v >> 6) & 63] : '-';
    out += i + 2 < n ? kAlphabet[v & 63] : '-';
  }
  return out;
}

std::string Sha1Base64(const std::string& text) {
  Sha1 h;
  h.Update(text.data(), text.size());
  const auto d = h.Final();
  return DatabaseBase64(d.data(), d.size());
}

int DigitSum(std::int32_t n) {
  int s = 0;
  for (; n > 0; n /= 10) s += n % 10;
  return s;
}

}  // namespace

TDiscLayout DiscLayoutFromToc(const CdromToc& toc) {
  TDiscLayout disc;
  const int count = toc.LastTrack - toc.FirstTrack + 1;
  if (toc.FirstTrack < 1 || count < 1 || count >= kTocEntryCount) return disc;
  for (int i = 0; i <= count; ++i) {
    const TocTrackEntry& e = toc.TrackData[i];
    const std::int32_t start = TocStartSector(e);
    if (start < 0 || (i > 0 && start <= TocStartSector(toc.TrackData[i - 1]))) return TDiscLayout{};
    if (i == count)
      disc.LeadOut = start;
    else
      disc.Tracks.push_back({toc.FirstTrack + i, start, TocIsDataTrack(e)});
  }
  return disc;
}

TDiscIds ComputeDiscIds(const TDiscLayout& disc) {
  TDiscIds ids;
  std::vector<const TDiscTrack*> audio;
  for (const auto& t : disc.Tracks)
    if (!t.Data) audio.push_back(&t);
  if (audio.empty()) return ids;
  const int a = static_cast<int>(audio.size());
  ids.AudioTracks = a;

  // Data after the last audio track is a second session; the audio session
  // ends a session gap before it.
  const TDiscTrack* trailingData = nullptr;
  for (const auto& t : disc.Tracks)
    if (t.Data && t.Start > audio.back()->Start) {
      trailingData = &t;
      break;
    }
  const std::int32_t audioLeadOut = trailingData ? trailingData->Start - kSessionGap : disc.LeadOut;

  // freedb: every track, the real lead-out, times in seconds from 0:00:00.
  int n = 0;
  for (const auto& t : disc.Tracks) n += DigitSum((t.Start + 150) / 75);
  const std::int32_t seconds = (disc.LeadOut + 150) / 75 - (disc.Tracks.front().Start + 150) / 75;
  ids.Cddb = (std::uint32_t(n % 255) << 24) | (std::uint32_t(seconds) << 8) | std::uint32_t(disc.Tracks.size());

  // AccurateRip: audio tracks numbered 1..A, the real lead-out.
  for (int i = 0; i < a; ++i) {
    const std::uint32_t off = static_cast<std::uint32_t>(audio[i]->Start);
    ids.AccurateRip1 += off;
    ids.AccurateRip2 += (off ? off : 1) * std::uint32_t(i + 1);
  }
  const std::uint32_t leadOut = static_cast<std::uint32_t>(disc.LeadOut);
  ids.AccurateRip1 += leadOut;
  ids.AccurateRip2 += (leadOut ? leadOut : 1) * std::uint32_t(a + 1);
  char arId[40];
  std::snprintf(arId, sizeof arId, "%03d-%08x-%08x-%08x", a, ids.AccurateRip1, ids.AccurateRip2, ids.Cddb);
  ids.AccurateRipId = arId;
  const std::string& id1 = Hex8(ids.AccurateRip1, false);
  ids.AccurateRipUrl = std::string("http://www.accuraterip.com/accuraterip/") + id1[7] + "/" + id1[6] + "/" + id1[5] +
                       "/dBAR-" + ids.AccurateRipId + ".bin";

  // MusicBrainz: the first session's tracks (a data-first disc keeps its data
  // track), positions counted from 0:00:00, padded to 99 tracks.
  std::vector<const TDiscTrack*> session;
  for (const auto& t : disc.Tracks)
    if (!trailingData || t.Start < trailingData->Start) session.push_back(&t);
  const std::int32_t mbLeadOut = (trailingData ? audioLeadOut : disc.LeadOut) + 150;
  char head[16];
  std::snprintf(head, sizeof head, "%02X%02X", session.front()->Number, session.back()->Number);
  std::string text = head + Hex8(std::uint32_t(mbLeadOut), true);
  std::string toc = std::to_string(session.front()->Number) + "+" + std::to_string(session.back()->Number) + "+" +
                    std::to_string(mbLeadOut);
  for (int i = 0; i < 99; ++i) {
    const bool present = i < static_cast<int>(session.size());
    text += Hex8(present ? std::uint32_t(session[i]->Start + 150) : 0, true);
    if (present) toc += "+" + std::to_string(session[i]->Start + 150);
  }
  ids.MusicBrainz = Sha1Base64(text);
  ids.MusicBrainzUrl = "https://musicbrainz.org/cdtoc/attach?id=" + ids.MusicBrainz +
                       "&tracks=" + std::to_string(session.size()) + "&toc=" + toc;

  // CUETools: audio tracks after the first, and the audio session's end,
  // relative to the first audio track, padded to 100 entries.
  std::string ctdb;
  const std::int32_t base = audio.front()->Start;
  for (int i = 1; i < a; ++i) ctdb += Hex8(std::uint32_t(audio[i]->Start - base), true);
  ctdb += Hex8(std::uint32_t(audioLeadOut - base), true);
  ctdb.append(std::size_t(100 - a) * 8, '0');
  ids.CueToolsToc = Sha1Base64(ctdb);
  return ids;
}

}  // namespace pellamy
