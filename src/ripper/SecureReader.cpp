#include "ripper/SecureReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "ripper/CdromToc.h"
#include "ripper/DriveFaults.h"

namespace pellamy {
namespace {

constexpr int kSamples = 588;
constexpr int kFlushRequest = 26;

// Tells reads of a sector apart without keeping them: 64 bits, taken eight
// bytes at a time in four independent lanes (a byte at a time, this cost as
// much as the encoders' share of a core).
std::uint64_t Fingerprint(const std::uint8_t* p, std::size_t n) {
  constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull, kPrime2 = 0xC2B2AE3D27D4EB4Full;
  auto word = [](const std::uint8_t* q) {
    std::uint64_t w;
    std::memcpy(&w, q, sizeof w);
    return w;
  };
  auto mix = [&](std::uint64_t lane, std::uint64_t w) {
    lane += w * kPrime2;
    lane = (lane << 31) | (lane >> 33);
    return lane * kPrime1;
  };
  std::uint64_t lanes[4] = {kPrime1, kPrime2, 1, ~kPrime1};
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32)
    for (int k = 0; k < 4; ++k) lanes[k] = mix(lanes[k], word(p + i + 8 * k));
  std::uint64_t h = n;
  for (std::uint64_t lane : lanes) h = mix(h, lane);
  for (; i + 8 <= n; i += 8) h = mix(h, word(p + i));
  for (; i < n; ++i) h = mix(h, p[i]);
  h ^= h >> 33;
  h *= kPrime2;
  return h ^ (h >> 29);
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

class TChunkReader {
 public:
  TChunkReader(TSectorSource& drive, const TReadOptions& options)
      : FDrive(drive), FOptions(options), FLeadOut(drive.LeadOut()), FC2(options.Secure && drive.ReportsC2()) {}

  // One read of sectors [first, first + count): the parts outside the disc
  // are silence and not read. good[k] tells whether sector k came back
  // without a failed request or a C2 flag. A failed request is tried again
  // sector by sector when single is set, so that one bad sector does not
  // cost its neighbours.
  void ReadOnce(std::int32_t first, int count, std::uint8_t* out, std::vector<bool>& good, bool single) {
    std::memset(out, 0, std::size_t(count) * kRawSectorBytes);
    good.assign(std::size_t(count), true);
    const std::int32_t lo = std::max(first, 0), hi = std::min(first + count, FLeadOut);
    if (lo >= hi) return;
    if (Request(lo, hi - lo, out + std::size_t(lo - first) * kRawSectorBytes, good, lo - first)) return;
    for (std::int32_t s = lo; s < hi; ++s)
      if (!single || !Request(s, 1, out + std::size_t(s - first) * kRawSectorBytes, good, s - first))
        good[std::size_t(s - first)] = false;
  }

  // Reads far from the chunk so that a cache no larger than the flush size
  // no longer holds it.
  void DefeatCache(std::int32_t near) {
    if (FOptions.CacheFlushSectors <= 0 || FLeadOut <= 0) return;
    const std::int32_t size = std::min(FOptions.CacheFlushSectors, FLeadOut);
    const std::int32_t from = near < FLeadOut / 2 ? FLeadOut - size : 0;
    std::vector<std::uint8_t> scratch(std::size_t(kFlushRequest) * kRawSectorBytes);
    for (std::int32_t s = from; s < from + size; s += kFlushRequest) {
      const int n = std::min<std::int32_t>(kFlushRequest, from + size - s);
      FDrive.Read(s, n, scratch.data(), nullptr);
    }
  }

 private:
  bool Request(std::int32_t first, int n, std::uint8_t* out, std::vector<bool>& good, int at) {
    FC2Buffer.assign(FC2 ? std::size_t(n) * kC2BytesPerSector : 0, 0);
    if (!FDrive.Read(first, n, out, FC2 ? FC2Buffer.data() : nullptr)) {
      std::memset(out, 0, std::size_t(n) * kRawSectorBytes);
      return false;
    }
    for (int k = 0; k < n; ++k) {
      const auto from = FC2Buffer.begin() + std::ptrdiff_t(k) * (FC2 ? kC2BytesPerSector : 0);
      good[std::size_t(at + k)] =
          !FC2 || std::all_of(from, from + kC2BytesPerSector, [](std::uint8_t b) { return b == 0; });
    }
    return true;
  }

  TSectorSource& FDrive;
  const TReadOptions& FOptions;
  const std::int32_t FLeadOut;
  const bool FC2;
  std::vector<std::uint8_t> FC2Buffer;
};

// One fingerprint per sector of a read; 0 for a sector that did not come
// back good.
void Prints(const std::uint8_t* data, const std::vector<bool>& good, std::vector<std::uint64_t>& out) {
  out.resize(good.size());
  for (std::size_t k = 0; k < good.size(); ++k)
    out[k] = good[k] ? Fingerprint(data + k * kRawSectorBytes, kRawSectorBytes) | 1 : 0;
}

}  // namespace

std::string SectorTime(std::int32_t sectors) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d.%02d", sectors / 4500, sectors / 75 % 60, sectors % 75);
  return text;
}

bool ReadTrackAudio(TSectorSource& drive, std::int32_t startSector, std::int32_t endSector, const TReadOptions& options,
                    const std::function<void(const std::uint8_t*, std::size_t)>& sink, TTrackReadReport& report,
                    const std::function<bool()>& stop) {
  // The drive samples that make the track, and the sectors that hold them.
  const std::int64_t want0 = std::int64_t(startSector) * kSamples + options.OffsetSamples;
  const std::int64_t want1 = std::int64_t(endSector) * kSamples + options.OffsetSamples;
  const std::int32_t first = static_cast<std::int32_t>(FloorDiv(want0, kSamples));
  const std::int32_t last = static_cast<std::int32_t>(FloorDiv(want1 + kSamples - 1, kSamples));  // exclusive
  const int per = std::max(1, options.SectorsPerChunk);
  const std::size_t chunkBytes = std::size_t(per) * kRawSectorBytes;
  TChunkReader reader(drive, options);
  std::vector<std::uint8_t> buffer(chunkBytes);

  // Hands on the part of chunk [c, c + n) that lies within the track.
  auto emit = [&](std::int32_t c, int n, const std::uint8_t* data) {
    const std::int64_t lo = std::max(want0, std::int64_t(c) * kSamples);
    const std::int64_t hi = std::min(want1, std::int64_t(c + n) * kSamples);
    if (lo < hi) sink(data + (lo - std::int64_t(c) * kSamples) * 4, std::size_t(hi - lo) * 4);
  };
  auto trackSector = [&](std::int32_t c) { return std::max<std::int32_t>(0, c - first); };

  if (!options.Secure) {
    for (std::int32_t c = first; c < last; c += per) {
      if (stop && stop()) return false;
      const int n = std::min<std::int32_t>(per, last - c);
      std::vector<bool> good;
      reader.ReadOnce(c, n, buffer.data(), good, false);
      if (std::find(good.begin(), good.end(), false) != good.end()) report.Suspicious.push_back(trackSector(c));
      emit(c, n, buffer.data());
    }
    return true;
  }

  // Pass 1 keeps one fingerprint per sector: a few bytes per sector read.
  std::vector<std::uint64_t> pass1, prints;
  std::vector<bool> good;
  for (std::int32_t c = first; c < last; c += per) {
    if (stop && stop()) return false;
    const int n = std::min<std::int32_t>(per, last - c);
    reader.ReadOnce(c, n, buffer.data(), good, false);
    Prints(buffer.data(), good, prints);
    pass1.insert(pass1.end(), prints.begin(), prints.end());
  }
  reader.DefeatCache(first);

  // Chunks whose passes differ wait in a window with the chunks after them,
  // so that one cache flush per round of re-reads serves all of them; the
  // window is emptied, in order, once it is full or the track ends.
  struct TVotes {
    int Count = 0;
    std::vector<std::uint8_t> Data;
  };
  struct TChunk {
    std::int32_t First = 0;
    int Count = 0;
    std::vector<std::uint8_t> Data;
    std::vector<std::map<std::uint64_t, TVotes>> Votes;  // empty when the passes agreed
    std::vector<const TVotes*> Agreed;
    bool Vote(int k, std::uint64_t print, const std::uint8_t* data, int agreeing) {
      if (print == 0 || Agreed[k]) return false;
      TVotes& v = Votes[k][print];
      ++v.Count;
      if (v.Data.empty() && data) v.Data.assign(data, data + kRawSectorBytes);
      if (v.Count >= agreeing && !v.Data.empty()) Agreed[k] = &v;
      return true;
    }
    bool Settled() const {
      return std::all_of(Agreed.begin(), Agreed.end(), [](const TVotes* v) { return v != nullptr; });
    }
  };
  constexpr std::size_t kWindowChunks = 32;
  std::vector<TChunk> window;
  bool pending = false;

  auto flushWindow = [&]() -> bool {
    for (int round = 0; pending && round < options.MaxRereads; ++round) {
      bool open = false;
      for (const TChunk& w : window) open = open || (!w.Votes.empty() && !w.Settled());
      if (!open) break;
      if (stop && stop()) return false;
      reader.DefeatCache(window.front().First);
      for (TChunk& w : window) {
        if (w.Votes.empty() || w.Settled()) continue;
        reader.ReadOnce(w.First, w.Count, buffer.data(), good, true);
        Prints(buffer.data(), good, prints);
        for (int k = 0; k < w.Count; ++k)
          w.Vote(k, prints[k], buffer.data() + std::size_t(k) * kRawSectorBytes, options.Agreeing);
      }
    }
    for (TChunk& w : window) {
      // Sectors without agreement get the likeliest read, or silence when
      // every read failed, and are reported.
      for (int k = 0; k < w.Count && !w.Votes.empty(); ++k) {
        const TVotes* chosen = w.Agreed[k];
        if (!chosen) {
          report.Suspicious.push_back(trackSector(w.First + k));
          for (const auto& [key, v] : w.Votes[k])
            if (!v.Data.empty() && (!chosen || v.Count > chosen->Count)) chosen = &v;
        }
        std::uint8_t* out = w.Data.data() + std::size_t(k) * kRawSectorBytes;
        if (chosen)
          std::memcpy(out, chosen->Data.data(), kRawSectorBytes);
        else
          std::memset(out, 0, kRawSectorBytes);
      }
      emit(w.First, w.Count, w.Data.data());
    }
    window.clear();
    pending = false;
    return true;
  };

  for (std::int32_t c = first; c < last; c += per) {
    if (stop && stop()) return false;
    const int n = std::min<std::int32_t>(per, last - c);
    const std::size_t at = std::size_t(c - first);
    reader.ReadOnce(c, n, buffer.data(), good, false);
    Prints(buffer.data(), good, prints);
    bool same = true;
    for (int k = 0; k < n; ++k) same = same && prints[k] != 0 && prints[k] == pass1[at + k];
    if (same && window.empty()) {
      emit(c, n, buffer.data());
      continue;
    }
    TChunk chunk;
    chunk.First = c;
    chunk.Count = n;
    chunk.Data.assign(buffer.begin(), buffer.begin() + std::ptrdiff_t(n) * kRawSectorBytes);
    if (!same) {
      // The passes differ: read again until 8 reads of every sector agree.
      ++report.RereadChunks;
      chunk.Votes.resize(std::size_t(n));
      chunk.Agreed.assign(std::size_t(n), nullptr);
      for (int k = 0; k < n; ++k) {
        chunk.Vote(k, pass1[at + k], nullptr, options.Agreeing);
        chunk.Vote(k, prints[k], buffer.data() + std::size_t(k) * kRawSectorBytes, options.Agreeing);
      }
      pending = true;
    }
    window.push_back(std::move(chunk));
    if (window.size() >= kWindowChunks && !flushWindow()) return false;
  }
  if (!window.empty() && !flushWindow()) return false;
  return true;
}

}  // namespace pellamy
