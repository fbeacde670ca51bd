#include "ripper/DriveFaults.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <sstream>

#include "base/Exceptions.h"
#include "ripper/FileIo.h"

namespace pellamy {
namespace {

constexpr int kSamples = 588;
constexpr std::int64_t kMaxFileBytes = 1 << 20;

long long Number(std::istringstream& in, long long low, long long high, int line, const char* what) {
  std::string word;
  if (!(in >> word)) throw Exception("Fault file line " + std::to_string(line) + ": " + what + " missing");
  std::size_t used = 0;
  long long v = 0;
  try {
    v = std::stoll(word, &used, 10);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != word.size() || v < low || v > high)
    throw Exception("Fault file line " + std::to_string(line) + ": bad " + what + " \"" + word + "\"");
  return v;
}

}  // namespace

TDriveFaults ParseDriveFaults(const std::string& text) {
  TDriveFaults f;
  std::istringstream lines(text);
  std::string raw;
  constexpr long long kMaxSector = 100 * 4500;
  for (int line = 1; std::getline(lines, raw); ++line) {
    raw = raw.substr(0, raw.find('#'));
    std::istringstream in(raw);
    std::string key;
    if (!(in >> key)) continue;
    auto range = [&](bool percent) {
      TDriveFaults::TRange r;
      r.First = static_cast<std::int32_t>(Number(in, 0, kMaxSector, line, "first sector"));
      r.Count = static_cast<std::int32_t>(Number(in, 1, kMaxSector, line, "sector count"));
      if (percent) r.Percent = static_cast<int>(Number(in, 0, 100, line, "percentage"));
      return r;
    };
    if (key == "offset") {
      f.Offset = static_cast<int>(Number(in, -kSamples * 10, kSamples * 10, line, "offset"));
    } else if (key == "c2") {
      std::string v;
      in >> v;
      if (v != "on" && v != "off") throw Exception("Fault file line " + std::to_string(line) + ": c2 on or off");
      f.C2 = v == "on";
    } else if (key == "cache") {
      f.CacheSectors = static_cast<int>(Number(in, 0, 100000, line, "cache size"));
    } else if (key == "seed") {
      f.Seed = static_cast<std::uint64_t>(Number(in, 0, std::numeric_limits<long long>::max(), line, "seed"));
    } else if (key == "flaky") {
      auto r = range(true);
      std::string flag;
      if (in >> flag) {
        if (flag != "c2") throw Exception("Fault file line " + std::to_string(line) + ": unexpected \"" + flag + "\"");
        r.C2 = true;
      }
      f.Flaky.push_back(r);
    } else if (key == "unreadable") {
      f.Unreadable.push_back(range(false));
    } else if (key == "jitter") {
      auto r = range(true);
      r.Samples = static_cast<int>(Number(in, 1, kSamples * 10, line, "jitter samples"));
      f.Jitter.push_back(r);
    } else {
      throw Exception("Fault file line " + std::to_string(line) + ": unknown fault \"" + key + "\"");
    }
    std::string extra;
    if (in >> extra) throw Exception("Fault file line " + std::to_string(line) + ": unexpected \"" + extra + "\"");
  }
  return f;
}

TDriveFaults LoadDriveFaults(const std::string& fileName) {
  TFile file;
  if (!file.Open(fileName, TFile::Mode::OpenRead)) throw Exception("Cannot open fault file " + fileName);
  const std::int64_t size = file.SeekEnd();
  if (size < 0 || size > kMaxFileBytes || file.Seek(0) != 0) throw Exception("Fault file too large: " + fileName);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (size > 0 && file.Read(text.data(), size) != size) throw Exception("Cannot read fault file " + fileName);
  return ParseDriveFaults(text);
}

TFaultyDrive::TFaultyDrive(TDriveFaults faults) : FFaults(std::move(faults)), FRandom(FFaults.Seed) {}

bool TFaultyDrive::Chance(int percent) {
  return percent > 0 && static_cast<int>(FRandom() % 100) < percent;
}

bool TFaultyDrive::Read(TVirtualDisc& disc, std::int32_t first, std::uint32_t count, std::uint8_t* out,
                        std::uint8_t* c2) {
  std::lock_guard lock(FMutex);
  for (const auto& r : FFaults.Unreadable)
    if (first < r.First + r.Count && r.First < first + static_cast<std::int32_t>(count)) return false;
  if (c2) std::memset(c2, 0, std::size_t(count) * kC2BytesPerSector);
  if (FFaults.CacheSectors == 0) return ReadFresh(disc, first, count, out, c2);
  // Sectors held in the cache come back as they were last returned; the
  // others are read afresh in runs and kept.
  for (std::uint32_t i = 0; i < count;) {
    const std::int32_t s = first + static_cast<std::int32_t>(i);
    auto hit = FCache.find(s);
    if (hit != FCache.end()) {
      std::memcpy(out + std::size_t(i) * kRawSectorBytes, hit->second.Data.data(), kRawSectorBytes);
      if (c2) std::memcpy(c2 + std::size_t(i) * kC2BytesPerSector, hit->second.C2.data(), kC2BytesPerSector);
      ++i;
      continue;
    }
    std::uint32_t n = 1;
    while (i + n < count && FCache.count(s + static_cast<std::int32_t>(n)) == 0) ++n;
    std::vector<std::uint8_t> pointers(std::size_t(n) * kC2BytesPerSector);
    std::uint8_t* data = out + std::size_t(i) * kRawSectorBytes;
    if (!ReadFresh(disc, s, n, data, pointers.data())) return false;
    if (c2) std::memcpy(c2 + std::size_t(i) * kC2BytesPerSector, pointers.data(), pointers.size());
    for (std::uint32_t k = 0; k < n; ++k) {
      TCached& entry = FCache[s + static_cast<std::int32_t>(k)];
      entry.Data.assign(data + std::size_t(k) * kRawSectorBytes, data + std::size_t(k + 1) * kRawSectorBytes);
      entry.C2.assign(pointers.begin() + k * kC2BytesPerSector, pointers.begin() + (k + 1) * kC2BytesPerSector);
      FCacheOrder.push_back(s + static_cast<std::int32_t>(k));
      if (static_cast<int>(FCacheOrder.size()) > FFaults.CacheSectors) {
        FCache.erase(FCacheOrder.front());
        FCacheOrder.pop_front();
      }
    }
    i += n;
  }
  return true;
}

bool TFaultyDrive::ReadFresh(TVirtualDisc& disc, std::int32_t first, std::uint32_t count, std::uint8_t* out,
                             std::uint8_t* c2) {
  // The drive returns, at its sample p, the disc's sample p - Offset; a
  // jittering read is moved further by a random amount.
  std::int64_t shift = -FFaults.Offset;
  for (const auto& r : FFaults.Jitter)
    if (r.Contains(first) && Chance(r.Percent)) {
      const int magnitude = 1 + static_cast<int>(FRandom() % static_cast<unsigned>(r.Samples));
      shift += (FRandom() & 1) ? magnitude : -magnitude;
    }
  const std::int64_t from = std::int64_t(first) * kSamples + shift;  // disc sample of the first one returned
  const std::int64_t samples = std::int64_t(count) * kSamples;
  const std::int64_t leadOut = std::int64_t(disc.LeadOutSector()) * kSamples;
  std::memset(out, 0, std::size_t(samples) * 4);
  const std::int64_t lo = std::max<std::int64_t>(from, 0), hi = std::min(from + samples, leadOut);
  if (lo < hi) {
    const std::int32_t s0 = static_cast<std::int32_t>(lo / kSamples);
    const std::int32_t s1 = static_cast<std::int32_t>((hi + kSamples - 1) / kSamples);
    std::vector<std::uint8_t> buffer(std::size_t(s1 - s0) * kRawSectorBytes);
    if (!disc.ReadSectors(s0, static_cast<std::uint32_t>(s1 - s0), buffer.data())) return false;
    std::memcpy(out + (lo - from) * 4, buffer.data() + (lo - std::int64_t(s0) * kSamples) * 4,
                std::size_t(hi - lo) * 4);
  }
  for (std::uint32_t k = 0; k < count; ++k) {
    const std::int32_t s = first + static_cast<std::int32_t>(k);
    for (const auto& r : FFaults.Flaky) {
      if (!r.Contains(s) || !Chance(r.Percent)) continue;
      // A few bits flipped at random places in the sector.
      for (int flips = 0; flips < 4; ++flips) {
        const std::size_t byte = FRandom() % kRawSectorBytes;
        out[std::size_t(k) * kRawSectorBytes + byte] ^= static_cast<std::uint8_t>(1u << (FRandom() % 8));
        if (r.C2 && c2)
          c2[std::size_t(k) * kC2BytesPerSector + byte / 8] |= static_cast<std::uint8_t>(0x80 >> (byte % 8));
      }
    }
  }
  return true;
}

}  // namespace pellamy
