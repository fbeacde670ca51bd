// The compressing direction of the skin container's LZHUF scheme, for the
// skin packer (the program itself only decompresses).
//   TLzhEncoder         writes literals and matches as the decoder reads them
//   LzhCompress         finds matches (hash chains, one step of lazy
//                       evaluation) and writes the whole stream
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "skin/file/SkinRead.h"

namespace pellamy {

class TLzhEncoder {
 public:
  static constexpr int kMinMatch = lzh::THRESHOLD + 1;
  static constexpr int kMaxMatch = lzh::F;
  static constexpr int kMaxDistance = lzh::N;

  TLzhEncoder();
  ~TLzhEncoder();

  void Literal(std::uint8_t b);
  // Copy length bytes (kMinMatch to kMaxMatch) starting distance bytes
  // back (1 to kMaxDistance); before the first kMaxDistance bytes the ring
  // holds blanks at the first lzh::kRingStart positions.
  void Match(int length, int distance);
  // The bit stream, its last byte padded with zero bits. The encoder starts
  // afresh afterwards.
  std::vector<std::uint8_t> Finish();

 private:
  void PutBits(std::uint32_t code, int count);
  void PutSymbol(int c);

  std::unique_ptr<TLzhTree> FTree;
  std::vector<std::uint8_t> FOut;
  std::uint64_t FBits = 0;
  int FBitCount = 0;
};

// The bit stream for data (without the 4-byte length in front).
std::vector<std::uint8_t> LzhCompress(std::span<const std::uint8_t> data);

}  // namespace pellamy
