#include "ripper/Hashes.h"

#include <algorithm>
#include <cstring>

namespace pellamy {
namespace {

// Eight tables, so that the CRC takes eight bytes a step: a track's audio is
// summed twice over, and byte by byte that cost as much as reading it.
// Table k holds the CRC of a byte followed by k zero bytes.
using TCrcTables = std::array<std::array<std::uint32_t, 256>, 8>;
constexpr TCrcTables MakeCrcTables() {
  TCrcTables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  for (std::uint32_t i = 0; i < 256; ++i)
    for (std::size_t k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  return t;
}
constexpr TCrcTables kCrc = MakeCrcTables();

inline std::uint32_t Rol(std::uint32_t x, int n) {
  return (x << n) | (x >> (32 - n));
}
inline std::uint32_t Ror(std::uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}
inline std::uint32_t LoadBe(const std::uint8_t* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
inline void StoreBe(std::uint32_t v, std::uint8_t* p) {
  p[0] = std::uint8_t(v >> 24);
  p[1] = std::uint8_t(v >> 16);
  p[2] = std::uint8_t(v >> 8);
  p[3] = std::uint8_t(v);
}

// The Merkle-Damgard framing both SHA digests share.
template <typename Hash>
void Feed(Hash& h, std::uint8_t* buffer, std::size_t& used, std::uint64_t& length, const void* data, std::size_t size) {
  auto p = static_cast<const std::uint8_t*>(data);
  length += size;
  while (size > 0) {
    const std::size_t n = std::min<std::size_t>(64 - used, size);
    std::memcpy(buffer + used, p, n);
    used += n;
    p += n;
    size -= n;
    if (used == 64) {
      h(buffer);
      used = 0;
    }
  }
}

template <typename Hash>
void Pad(Hash& h, std::uint8_t* buffer, std::size_t used, std::uint64_t length) {
  const std::uint64_t bits = length * 8;
  buffer[used++] = 0x80;
  if (used > 56) {
    std::memset(buffer + used, 0, 64 - used);
    h(buffer);
    used = 0;
  }
  std::memset(buffer + used, 0, 56 - used);
  for (int i = 0; i < 8; ++i) buffer[56 + i] = std::uint8_t(bits >> (56 - 8 * i));
  h(buffer);
}

}  // namespace

void Crc32::Update(const void* data, std::size_t size) {
  auto p = static_cast<const std::uint8_t*>(data);
  std::uint32_t c = FState;
  for (; size >= 8; size -= 8, p += 8) {
    const std::uint32_t lo =
        c ^ (std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
    c = kCrc[7][lo & 0xFF] ^ kCrc[6][(lo >> 8) & 0xFF] ^ kCrc[5][(lo >> 16) & 0xFF] ^ kCrc[4][lo >> 24] ^
        kCrc[3][p[4]] ^ kCrc[2][p[5]] ^ kCrc[1][p[6]] ^ kCrc[0][p[7]];
  }
  for (; size > 0; --size, ++p) c = kCrc[0][(c ^ *p) & 0xFF] ^ (c >> 8);
  FState = c;
}

Sha1::Sha1() : FH{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u} {}

void Sha1::Block(const std::uint8_t* p) {
  std::uint32_t w[80];
  for (int i = 0; i < 16; ++i) w[i] = LoadBe(p + 4 * i);
  for (int i = 16; i < 80; ++i) w[i] = Rol(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  std::uint32_t a = FH[0], b = FH[1], c = FH[2], d = FH[3], e = FH[4];
  for (int i = 0; i < 80; ++i) {
    std::uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999u;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1u;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6u;
    }
    const std::uint32_t t = Rol(a, 5) + f + e + k + w[i];
    e = d;
    d = c;
    c = Rol(b, 30);
    b = a;
    a = t;
  }
  FH[0] += a;
  FH[1] += b;
  FH[2] += c;
  FH[3] += d;
  FH[4] += e;
}

void Sha1::Update(const void* data, std::size_t size) {
  auto block = [this](const std::uint8_t* p) { Block(p); };
  Feed(block, FBuffer, FUsed, FLength, data, size);
}

std::array<std::uint8_t, 20> Sha1::Final() {
  auto block = [this](const std::uint8_t* p) { Block(p); };
  Pad(block, FBuffer, FUsed, FLength);
  std::array<std::uint8_t, 20> out{};
  for (int i = 0; i < 5; ++i) StoreBe(FH[i], out.data() + 4 * i);
  return out;
}

namespace {
constexpr std::uint32_t kSha256K[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
}  // namespace

Sha256::Sha256()
    : FH{0x6a09e667u, 0xbb67ae85u, 0x3c6ef372u, 0xa54ff53au, 0x510e527fu, 0x9b05688cu, 0x1f83d9abu, 0x5be0cd19u} {}

void Sha256::Block(const std::uint8_t* p) {
  std::uint32_t w[64];
  for (int i = 0; i < 16; ++i) w[i] = LoadBe(p + 4 * i);
  for (int i = 16; i < 64; ++i) {
    const std::uint32_t s0 = Ror(w[i - 15], 7) ^ Ror(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const std::uint32_t s1 = Ror(w[i - 2], 17) ^ Ror(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::uint32_t v[8];
  std::memcpy(v, FH, sizeof v);
  for (int i = 0; i < 64; ++i) {
    const std::uint32_t s1 = Ror(v[4], 6) ^ Ror(v[4], 11) ^ Ror(v[4], 25);
    const std::uint32_t ch = (v[4] & v[5]) ^ (~v[4] & v[6]);
    const std::uint32_t t1 = v[7] + s1 + ch + kSha256K[i] + w[i];
    const std::uint32_t s0 = Ror(v[0], 2) ^ Ror(v[0], 13) ^ Ror(v[0], 22);
    const std::uint32_t maj = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
    std::memmove(v + 1, v, 7 * sizeof(std::uint32_t));
    v[4] += t1;
    v[0] = t1 + s0 + maj;
  }
  for (int i = 0; i < 8; ++i) FH[i] += v[i];
}

void Sha256::Update(const void* data, std::size_t size) {
  auto block = [this](const std::uint8_t* p) { Block(p); };
  Feed(block, FBuffer, FUsed, FLength, data, size);
}

std::array<std::uint8_t, 32> Sha256::Final() {
  auto block = [this](const std::uint8_t* p) { Block(p); };
  Pad(block, FBuffer, FUsed, FLength);
  std::array<std::uint8_t, 32> out{};
  for (int i = 0; i < 8; ++i) StoreBe(FH[i], out.data() + 4 * i);
  return out;
}

std::string HexLower(const std::uint8_t* bytes, std::size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  s.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    s += kDigits[bytes[i] >> 4];
    s += kDigits[bytes[i] & 15];
  }
  return s;
}

std::string Sha256Hex(std::string_view text) {
  Sha256 h;
  h.Update(text.data(), text.size());
  const auto d = h.Final();
  return HexLower(d.data(), d.size());
}

}  // namespace pellamy
