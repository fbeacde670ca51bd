#include "LzhEncode.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

namespace pellamy {

using namespace lzh;

namespace {

// Prefix codes of the upper six bits of a position, derived from the
// decoder's tables: every first byte i whose top PosBits[i] bits are the
// code decodes to PosHigh[i].
struct PositionCodes {
  std::array<std::uint8_t, 64> code{};
  std::array<std::uint8_t, 64> bits{};
  PositionCodes() {
    for (int i = 0; i < 256; ++i) {
      const int high = PosHigh[static_cast<std::size_t>(i)];
      bits[static_cast<std::size_t>(high)] = PosBits[static_cast<std::size_t>(i)];
      code[static_cast<std::size_t>(high)] = static_cast<std::uint8_t>(i >> (8 - PosBits[static_cast<std::size_t>(i)]));
    }
  }
};

const PositionCodes& Codes() {
  static const PositionCodes codes;
  return codes;
}

}  // namespace

TLzhEncoder::TLzhEncoder() : FTree(std::make_unique<TLzhTree>()) {
  FTree->Start();
}

TLzhEncoder::~TLzhEncoder() = default;

void TLzhEncoder::PutBits(std::uint32_t code, int count) {
  FBits = FBits << count | (code & ((1u << count) - 1));
  FBitCount += count;
  while (FBitCount >= 8) {
    FBitCount -= 8;
    FOut.push_back(static_cast<std::uint8_t>(FBits >> FBitCount));
  }
}

void TLzhEncoder::PutSymbol(int c) {
  // The path from the root to the leaf, gathered leaf first. A node is the
  // first or second child of its parent; that is the bit the decoder reads.
  std::array<std::uint8_t, T> path;
  int depth = 0;
  for (int k = FTree->Parent[c + T]; k != R; k = FTree->Parent[k]) {
    path[static_cast<std::size_t>(depth++)] = static_cast<std::uint8_t>(k - FTree->Child[FTree->Parent[k]]);
  }
  while (depth > 0) PutBits(path[static_cast<std::size_t>(--depth)], 1);
  FTree->Update(c);
}

void TLzhEncoder::Literal(std::uint8_t b) {
  PutSymbol(b);
}

void TLzhEncoder::Match(int length, int distance) {
  if (length < kMinMatch || length > kMaxMatch || distance < 1 || distance > kMaxDistance) {
    throw std::invalid_argument("LZH match out of range");
  }
  PutSymbol(255 - THRESHOLD + length);
  const int position = distance - 1;
  const auto high = static_cast<std::size_t>(position >> 6);
  PutBits(Codes().code[high], Codes().bits[high]);
  PutBits(static_cast<std::uint32_t>(position & 0x3F), 6);
}

std::vector<std::uint8_t> TLzhEncoder::Finish() {
  if (FBitCount > 0) PutBits(0, 8 - FBitCount);
  std::vector<std::uint8_t> out;
  out.swap(FOut);
  FBits = 0;
  FBitCount = 0;
  FTree->Start();
  return out;
}

namespace {

constexpr int kHashBits = 15;
constexpr int kChainWindow = 2 * N;  // prev[] slots; chains never look further back than N
constexpr int kMaxChain = 128;

class TMatchFinder {
 public:
  // buf holds the initial ring contents, then the data.
  explicit TMatchFinder(const std::vector<std::uint8_t>& buf)
      : FBuf(buf), FHead(std::size_t{1} << kHashBits, -1), FPrev(kChainWindow, -1) {}

  void Insert(int p) {
    if (static_cast<std::size_t>(p) + 2 >= FBuf.size()) return;
    const std::size_t h = Hash(p);
    FPrev[static_cast<std::size_t>(p % kChainWindow)] = FHead[h];
    FHead[h] = p;
  }

  // Longest match for position p (the nearest of equal length), 0 when
  // shorter than the minimum.
  int Find(int p, int& distance) const {
    const int avail = static_cast<int>(FBuf.size()) - p;
    const int maxLen = std::min(TLzhEncoder::kMaxMatch, avail);
    if (maxLen < TLzhEncoder::kMinMatch) return 0;
    const std::uint8_t* cur = FBuf.data() + p;
    int best = 0;
    int q = FHead[Hash(p)];
    for (int chain = kMaxChain; q >= 0 && p - q <= TLzhEncoder::kMaxDistance && chain > 0; --chain) {
      const std::uint8_t* cand = FBuf.data() + q;
      if (cand[best] == cur[best]) {
        int len = 0;
        while (len < maxLen && cand[len] == cur[len]) ++len;
        if (len > best) {
          best = len;
          distance = p - q;
          if (len == maxLen) break;
        }
      }
      q = FPrev[static_cast<std::size_t>(q % kChainWindow)];
    }
    return best >= TLzhEncoder::kMinMatch ? best : 0;
  }

 private:
  std::size_t Hash(int p) const {
    const std::uint8_t* s = FBuf.data() + p;
    return ((static_cast<std::size_t>(s[0]) << 10) ^ (static_cast<std::size_t>(s[1]) << 5) ^ s[2]) &
           ((std::size_t{1} << kHashBits) - 1);
  }

  const std::vector<std::uint8_t>& FBuf;
  std::vector<int> FHead;
  std::vector<int> FPrev;
};

}  // namespace

std::vector<std::uint8_t> LzhCompress(std::span<const std::uint8_t> data) {
  if (data.size() > static_cast<std::size_t>(INT32_MAX) - kRingStart) throw std::length_error("LZH input too large");
  std::vector<std::uint8_t> buf(kRingStart + data.size(), kRingFill);
  std::copy(data.begin(), data.end(), buf.begin() + kRingStart);
  const int end = static_cast<int>(buf.size());

  TMatchFinder finder(buf);
  for (int q = 0; q < kRingStart; ++q) finder.Insert(q);
  TLzhEncoder encoder;
  int p = kRingStart;
  int distance = 0;
  int length = finder.Find(p, distance);
  while (p < end) {
    if (length == 0) {
      encoder.Literal(buf[static_cast<std::size_t>(p)]);
      finder.Insert(p);
      ++p;
      length = finder.Find(p, distance);
      continue;
    }
    // One step of lazy evaluation: a longer match at the next byte is worth
    // a literal now.
    finder.Insert(p);
    int nextDistance = 0;
    const int next = length < TLzhEncoder::kMaxMatch ? finder.Find(p + 1, nextDistance) : 0;
    if (next > length) {
      encoder.Literal(buf[static_cast<std::size_t>(p)]);
      ++p;
      length = next;
      distance = nextDistance;
      continue;
    }
    encoder.Match(length, distance);
    for (int k = 1; k < length; ++k) finder.Insert(p + k);
    p += length;
    length = finder.Find(p, distance);
  }
  return encoder.Finish();
}

}  // namespace pellamy
