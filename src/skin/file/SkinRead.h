// SkinRead: the skin file reader.
//   ElzhException       failures of the decompressor's tables
//   ESkinFileDamaged    a container whose content cannot be indexed safely
//   TLzhTree            the adaptive Huffman tree of the LZHUF scheme
//   TLZH                the LZHUF decompressor
//   TSkinReader         the container reader: decompresses a skin file and
//                       hands out its entries by name
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exceptions.h"

namespace pellamy {

inline constexpr const char* kLzhNoMemoryMessage = "LZH : Cannot get memory for dictionary tables";
inline constexpr const char* kLzhFreeMessage = "LZH : Error freeing memory for dictionary tables";
inline constexpr const char* kOlderSkinFileMessage = "This is Older Skin File\rPlease update to new version !";

class ElzhException : public Exception {
 public:
  using Exception::Exception;
};

// Thrown for containers the reader refuses to index: the message says which
// part of the file is out of range.
class ESkinFileDamaged : public Exception {
 public:
  using Exception::Exception;
};

// The constants of the compression scheme; the packer shares them.
namespace lzh {
inline constexpr int N = 4096;                      // ring buffer
inline constexpr int F = 60;                        // longest match
inline constexpr int THRESHOLD = 2;                 // a match is at least THRESHOLD + 1 bytes
inline constexpr int N_CHAR = 256 - THRESHOLD + F;  // literals, then match lengths 3 to 60
inline constexpr int T = 2 * N_CHAR - 1;            // tree nodes
inline constexpr int R = T - 1;                     // root
inline constexpr int MAX_FREQ = 0x8000;             // rebuild the tree when the root reaches this
inline constexpr int kRingStart = N - F;            // first ring position written
inline constexpr std::uint8_t kRingFill = 0x20;     // initial ring contents

// Upper six bits of a match distance and the number of bits that code them,
// indexed by the first byte read for a position.
extern const std::array<std::uint8_t, 256> PosHigh;
extern const std::array<std::uint8_t, 256> PosBits;
}  // namespace lzh

// Adaptive Huffman tree over the N_CHAR symbols. Nodes are kept in order of
// frequency; Child of an internal node is the first of two adjacent nodes,
// Child of a leaf is its symbol + T.
struct TLzhTree {
  std::array<std::uint16_t, lzh::T + 1> Freq;
  std::array<std::uint16_t, lzh::T + lzh::N_CHAR> Parent;
  std::array<std::uint16_t, lzh::T> Child;

  void Start();
  // Counts one more occurrence of symbol c, rebuilding first when the root
  // frequency has reached MAX_FREQ.
  void Update(int c);
  void Reconstruct();
};

class TLZH {
 public:
  // The source reports how many bytes it delivered: 1, or 0 at the end.
  using ByteSource = std::function<int(std::uint8_t& b)>;
  using ByteSink = std::function<void(std::uint8_t b)>;

  // Decodes until at least length bytes have been written (nothing when
  // length <= 0). Past the end of the source the input reads as zero bits.
  // A match is always written whole, so up to F - 1 bytes may follow the
  // length-th.
  void LzhDecode(std::int32_t length, const ByteSource& source, const ByteSink& sink);
  // The same from memory into memory; output is replaced.
  void LzhDecode(std::int32_t length, std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output);
};

// Shows one message to the user; the reader itself has no window.
using TSkinMessageProc = std::function<void(const std::string& text)>;

class TSkinReader {
 public:
  static constexpr int kFormatNumber = 20000;
  static constexpr int kMaxEntries = 1001;
  static constexpr int kHeaderBytes = 16;
  // Content lengths the reader accepts. Each bit of a genuine stream yields
  // at most six bytes (a 60-byte match costs at least ten bits), so a longer
  // length could only be met by decoding the zero bits past the end.
  static constexpr std::int64_t kMaxBytesPerInputByte = 64;
  static constexpr std::int64_t kMaxContentBytes = 512 * 1024 * 1024;

  TSkinReader() = default;
  explicit TSkinReader(TSkinMessageProc showMessage) : FShowMessage(std::move(showMessage)) {}

  // Receives the older-file message; without one it is only recorded.
  void SetMessageProc(TSkinMessageProc showMessage) { FShowMessage = std::move(showMessage); }

  // Decompresses a whole container and indexes its entries. False after the
  // older-file message when the format number is not 20000 (including
  // content shorter than the header). Throws ESkinFileDamaged when the
  // content length, the name text or the size table is out of range, and
  // ElzhException when the decoder cannot get its tables.
  bool DecodeContainer(std::span<const std::uint8_t> skin);
  // Indexes decompressed content as DecodeContainer does after decoding.
  bool IndexContent(std::vector<std::uint8_t> content);

  // Replaces out with the first entry whose name equals name with its ASCII
  // letters lower-cased; out stays empty when there is none.
  void ExtractEntry(std::string_view name, std::vector<std::uint8_t>& out) const;
  // Replaces out with the first entry whose name contains text (letter case
  // counting) and returns that name in entryName; when none matches, out is
  // empty and entryName unchanged.
  void ExtractEntryContaining(std::string_view text, std::vector<std::uint8_t>& out, std::string& entryName) const;

  // Index of the first entry named name (ASCII letter case ignored), or -1.
  int FindEntry(std::string_view name) const;
  int Count() const { return FCount; }
  const std::string& EntryName(int i) const { return FNames.at(static_cast<std::size_t>(i)); }
  std::int32_t EntrySize(int i) const { return FSizes.at(static_cast<std::size_t>(i)); }
  std::span<const std::uint8_t> EntryBytes(int i) const;
  const std::vector<std::string>& Names() const { return FNames; }
  const std::array<std::int32_t, 4>& Header() const { return FHeader; }
  // The last message the reader showed, empty when none.
  const std::string& LastMessage() const { return FLastMessage; }

 private:
  void Clear();
  void Show(const std::string& text);

  std::vector<std::string> FNames;
  std::int32_t FCount = 0;
  std::array<std::int32_t, kMaxEntries> FSizes{};
  std::vector<std::uint8_t> FData;
  std::array<std::int32_t, 4> FHeader{};
  // Start of each entry in FData, one more than there are entries.
  std::vector<std::int64_t> FOffsets{0};
  TSkinMessageProc FShowMessage;
  std::string FLastMessage;
};

// ASCII letters lower-cased, other bytes kept.
std::string AsciiLower(std::string_view text);

}  // namespace pellamy
