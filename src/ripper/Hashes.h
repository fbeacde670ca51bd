// Crc32, Sha1, Sha256: the digests the rip log and the disc ids are made of,
// fed in pieces so that audio is hashed while it is read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pellamy {

// The CRC-32 of zip and PNG (reflected polynomial 0xEDB88320).
class Crc32 {
 public:
  void Update(const void* data, std::size_t size);
  std::uint32_t Value() const { return ~FState; }

 private:
  std::uint32_t FState = 0xFFFFFFFFu;
};

class Sha1 {
 public:
  Sha1();
  void Update(const void* data, std::size_t size);
  std::array<std::uint8_t, 20> Final();

 private:
  void Block(const std::uint8_t* p);
  std::uint32_t FH[5];
  std::uint8_t FBuffer[64];
  std::size_t FUsed = 0;
  std::uint64_t FLength = 0;
};

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, std::size_t size);
  std::array<std::uint8_t, 32> Final();

 private:
  void Block(const std::uint8_t* p);
  std::uint32_t FH[8];
  std::uint8_t FBuffer[64];
  std::size_t FUsed = 0;
  std::uint64_t FLength = 0;
};

std::string HexLower(const std::uint8_t* bytes, std::size_t size);
std::string Sha256Hex(std::string_view text);

}  // namespace pellamy
