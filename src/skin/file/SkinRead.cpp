#include "skin/file/SkinRead.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace pellamy {

namespace lzh {
namespace {

// Entries 0-31 share one code of 3 bits, then groups of 16, 8, 4, 2 and 1
// entries share codes of 4, 5, 6, 7 and 8 bits.
struct PosTables {
  std::array<std::uint8_t, 256> high{};
  std::array<std::uint8_t, 256> bits{};
};

constexpr PosTables MakePosTables() {
  PosTables t;
  struct Run {
    int first, last, group, bits;
  };
  constexpr Run runs[] = {{0, 31, 32, 3},   {32, 79, 16, 4},  {80, 143, 8, 5},
                          {144, 191, 4, 6}, {192, 239, 2, 7}, {240, 255, 1, 8}};
  int high = 0;
  for (const Run& run : runs) {
    for (int i = run.first; i <= run.last; i += run.group, ++high) {
      for (int k = 0; k < run.group; ++k) {
        t.high[static_cast<std::size_t>(i + k)] = static_cast<std::uint8_t>(high);
        t.bits[static_cast<std::size_t>(i + k)] = static_cast<std::uint8_t>(run.bits);
      }
    }
  }
  return t;
}

constexpr PosTables kPos = MakePosTables();
static_assert(kPos.high[255] == 63 && kPos.high[240] == 48 && kPos.high[239] == 47 && kPos.high[32] == 1);

}  // namespace

const std::array<std::uint8_t, 256> PosHigh = kPos.high;
const std::array<std::uint8_t, 256> PosBits = kPos.bits;

}  // namespace lzh

using namespace lzh;

void TLzhTree::Start() {
  for (int i = 0; i < N_CHAR; ++i) {
    Freq[i] = 1;
    Child[i] = static_cast<std::uint16_t>(i + T);
    Parent[i + T] = static_cast<std::uint16_t>(i);
  }
  for (int i = 0, j = N_CHAR; j <= R; i += 2, ++j) {
    Freq[j] = static_cast<std::uint16_t>(Freq[i] + Freq[i + 1]);
    Child[j] = static_cast<std::uint16_t>(i);
    Parent[i] = Parent[i + 1] = static_cast<std::uint16_t>(j);
  }
  Freq[T] = 0xFFFF;  // stops the upward scans in Update
  Parent[R] = 0;
}

void TLzhTree::Reconstruct() {
  // Leaves to the front, frequencies halved; their order is kept, so they
  // stay sorted.
  int j = 0;
  for (int i = 0; i < T; ++i) {
    if (Child[i] >= T) {
      Freq[j] = static_cast<std::uint16_t>((Freq[i] + 1) / 2);
      Child[j] = Child[i];
      ++j;
    }
  }
  // Pair the two lowest-placed nodes and insert their sum in frequency order.
  for (int i = 0, j = N_CHAR; j < T; i += 2, ++j) {
    const std::uint16_t f = static_cast<std::uint16_t>(Freq[i] + Freq[i + 1]);
    Freq[j] = f;
    int k = j;
    while (Freq[k - 1] > f) --k;
    const std::size_t moved = static_cast<std::size_t>(j - k);
    std::memmove(Freq.data() + k + 1, Freq.data() + k, moved * sizeof Freq[0]);
    std::memmove(Child.data() + k + 1, Child.data() + k, moved * sizeof Child[0]);
    Freq[k] = f;
    Child[k] = static_cast<std::uint16_t>(i);
  }
  for (int i = 0; i < T; ++i) {
    const int k = Child[i];
    if (k >= T) {
      Parent[k] = static_cast<std::uint16_t>(i);
    } else {
      Parent[k] = Parent[k + 1] = static_cast<std::uint16_t>(i);
    }
  }
}

void TLzhTree::Update(int c) {
  if (Freq[R] == MAX_FREQ) Reconstruct();
  c = Parent[c + T];
  do {
    const std::uint16_t k = ++Freq[c];
    if (Freq[c + 1] < k) {
      // Swap node c with the last node of lower frequency, so the order holds.
      int l = c + 1;
      while (Freq[l + 1] < k) ++l;
      Freq[c] = Freq[l];
      Freq[l] = k;
      const int i = Child[c];
      Parent[i] = static_cast<std::uint16_t>(l);
      if (i < T) Parent[i + 1] = static_cast<std::uint16_t>(l);
      const int j = Child[l];
      Child[l] = static_cast<std::uint16_t>(i);
      Parent[j] = static_cast<std::uint16_t>(c);
      if (j < T) Parent[j + 1] = static_cast<std::uint16_t>(c);
      Child[c] = static_cast<std::uint16_t>(j);
      c = l;
    }
    c = Parent[c];
  } while (c != 0);
}

namespace {

// The tables live only for one decode; the ring's last F - 1 bytes are the
// ones the compressing side reads ahead into.
struct TDecodeTables {
  TLzhTree Tree;
  std::array<std::uint8_t, N + F - 1> Ring{};
};

std::unique_ptr<TDecodeTables> AllocateTables() {
  try {
    return std::make_unique<TDecodeTables>();
  } catch (const std::bad_alloc&) {
    throw ElzhException(kLzhNoMemoryMessage);
  }
  // Freeing cannot fail here, so kLzhFreeMessage is never raised.
}

template <class Source>
class TBitInput {
 public:
  explicit TBitInput(Source& source) : FSource(source) {}

  int GetBit() {
    Fill();
    const int bit = FBitBuf >> 15;
    FBitBuf = static_cast<std::uint16_t>(FBitBuf << 1);
    --FBitCount;
    return bit;
  }
  int GetByte() {
    Fill();
    const int byte = FBitBuf >> 8;
    FBitBuf = static_cast<std::uint16_t>(FBitBuf << 8);
    FBitCount = static_cast<std::uint8_t>(FBitCount - 8);
    return byte;
  }

 private:
  void Fill() {
    while (FBitCount <= 8) {
      std::uint8_t b = 0;
      if (FSource(b) == 0) b = 0;
      FBitBuf = static_cast<std::uint16_t>(FBitBuf | (b << (8 - FBitCount)));
      FBitCount = static_cast<std::uint8_t>(FBitCount + 8);
    }
  }

  Source& FSource;
  std::uint16_t FBitBuf = 0;
  std::uint8_t FBitCount = 0;
};

template <class Source, class Sink>
void Decode(std::int32_t length, Source& source, Sink& sink) {
  auto tables = AllocateTables();
  TLzhTree& tree = tables->Tree;
  std::uint8_t* ring = tables->Ring.data();
  tree.Start();
  std::memset(ring, kRingFill, kRingStart);
  TBitInput<Source> in(source);

  int r = kRingStart;
  std::int64_t count = 0;  // a last match may pass INT32_MAX
  while (count < length) {
    int c = tree.Child[R];
    while (c < T) c = tree.Child[c + in.GetBit()];
    c -= T;
    tree.Update(c);
    if (c < 256) {
      const auto b = static_cast<std::uint8_t>(c);
      sink(b);
      ring[r] = b;
      r = (r + 1) & (N - 1);
      ++count;
    } else {
      int i = in.GetByte();
      const int high = PosHigh[static_cast<std::size_t>(i)] << 6;
      for (int n = PosBits[static_cast<std::size_t>(i)] - 2; n > 0; --n) i = (i << 1) + in.GetBit();
      const int position = high | (i & 0x3F);
      const int from = (r - position - 1) & (N - 1);
      const int matchLength = c - 255 + THRESHOLD;
      for (int k = 0; k < matchLength; ++k) {
        const std::uint8_t b = ring[(from + k) & (N - 1)];
        sink(b);
        ring[r] = b;
        r = (r + 1) & (N - 1);
      }
      count += matchLength;
    }
  }
}

struct TMemorySource {
  const std::uint8_t* Next;
  const std::uint8_t* End;
  int operator()(std::uint8_t& b) {
    if (Next == End) return 0;
    b = *Next++;
    return 1;
  }
};

std::int32_t ReadInt32(const std::uint8_t* p) {
  const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                          static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  return static_cast<std::int32_t>(v);
}

// One name per line: CR LF, a lone CR or a lone LF ends a line (LF CR is two
// breaks), a NUL ends the text, and a final break adds no empty name.
std::vector<std::string> SplitNames(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> names;
  std::size_t p = 0;
  while (p < text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", p), text.size());
    names.emplace_back(text.substr(p, end - p));
    p = end;
    if (p < text.size() && text[p] == '\r') ++p;
    if (p < text.size() && text[p] == '\n') ++p;
  }
  return names;
}

}  // namespace

void TLZH::LzhDecode(std::int32_t length, const ByteSource& source, const ByteSink& sink) {
  auto src = [&source](std::uint8_t& b) { return source(b); };
  auto dst = [&sink](std::uint8_t b) { sink(b); };
  Decode(length, src, dst);
}

void TLZH::LzhDecode(std::int32_t length, std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output) {
  output.clear();
  if (length > 0) output.reserve(static_cast<std::size_t>(length) + F);
  TMemorySource src{input.data(), input.data() + input.size()};
  auto dst = [&output](std::uint8_t b) { output.push_back(b); };
  Decode(length, src, dst);
}

std::string AsciiLower(std::string_view text) {
  std::string s(text);
  for (char& ch : s) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return s;
}

void TSkinReader::Clear() {
  FNames.clear();
  FCount = 0;
  FSizes.fill(0);
  FData.clear();
  FHeader.fill(0);
  FOffsets.assign(1, 0);
}

void TSkinReader::Show(const std::string& text) {
  FLastMessage = text;
  if (FShowMessage) FShowMessage(text);
}

bool TSkinReader::DecodeContainer(std::span<const std::uint8_t> skin) {
  Clear();
  // A file too short to hold the length reads as length 0: empty content,
  // which the format test then rejects.
  std::int32_t length = 0;
  std::span<const std::uint8_t> stream;
  if (skin.size() >= 4) {
    length = ReadInt32(skin.data());
    stream = skin.subspan(4);
  }
  const std::int64_t limit =
      std::min<std::int64_t>(kMaxContentBytes, static_cast<std::int64_t>(stream.size()) * kMaxBytesPerInputByte + 4096);
  if (length > limit) {
    throw ESkinFileDamaged("Damaged skin file: it claims " + std::to_string(length) +
                           " bytes of content, more than its " + std::to_string(stream.size()) +
                           " bytes of compressed data can hold");
  }
  std::vector<std::uint8_t> content;
  TLZH().LzhDecode(length, stream, content);
  return IndexContent(std::move(content));
}

bool TSkinReader::IndexContent(std::vector<std::uint8_t> content) {
  Clear();
  const std::int64_t size = static_cast<std::int64_t>(content.size());
  std::array<std::int32_t, 4> header{};
  if (size >= kHeaderBytes) {
    for (int i = 0; i < 4; ++i) header[static_cast<std::size_t>(i)] = ReadInt32(content.data() + 4 * i);
  }
  if (header[0] != kFormatNumber) {
    Show(kOlderSkinFileMessage);
    return false;
  }

  // Everything below is checked before use: a damaged container is refused
  // as a whole rather than read as empty entries, so a skin is either loaded
  // as its maker packed it or not at all.
  const std::int64_t nameBytes = header[1];
  if (nameBytes < 0 || nameBytes > size - kHeaderBytes) {
    throw ESkinFileDamaged("Damaged skin file: its entry name list of " + std::to_string(nameBytes) +
                           " bytes does not fit in its " + std::to_string(size) + " bytes of content");
  }
  const char* text = reinterpret_cast<const char*>(content.data()) + kHeaderBytes;
  std::vector<std::string> names = SplitNames(AsciiLower(std::string_view(text, static_cast<std::size_t>(nameBytes))));
  const std::int64_t n = static_cast<std::int64_t>(names.size());
  if (n > kMaxEntries) {
    throw ESkinFileDamaged("Damaged skin file: it names " + std::to_string(n) + " entries, more than " +
                           std::to_string(kMaxEntries));
  }
  const std::int64_t sizesAt = kHeaderBytes + nameBytes;
  const std::int64_t dataAt = sizesAt + 4 * n;
  if (dataAt > size) {
    throw ESkinFileDamaged("Damaged skin file: the sizes of its " + std::to_string(n) +
                           " entries run past the end of the content");
  }
  std::vector<std::int64_t> offsets{0};
  for (std::int64_t i = 0; i < n; ++i) {
    const std::int32_t entrySize = ReadInt32(content.data() + sizesAt + 4 * i);
    if (entrySize < 0) {
      throw ESkinFileDamaged("Damaged skin file: entry \"" + names[static_cast<std::size_t>(i)] +
                             "\" has a negative size");
    }
    offsets.push_back(offsets.back() + entrySize);
  }
  if (offsets.back() > size - dataAt) {
    throw ESkinFileDamaged("Damaged skin file: its entries take " + std::to_string(offsets.back()) +
                           " bytes but only " + std::to_string(size - dataAt) + " bytes follow the index");
  }

  FHeader = header;
  for (std::int64_t i = 0; i < n; ++i) {
    FSizes[static_cast<std::size_t>(i)] =
        static_cast<std::int32_t>(offsets[static_cast<std::size_t>(i) + 1] - offsets[static_cast<std::size_t>(i)]);
  }
  FNames = std::move(names);
  FCount = static_cast<std::int32_t>(n);
  FOffsets = std::move(offsets);
  content.erase(content.begin(), content.begin() + dataAt);
  FData = std::move(content);
  return true;
}

int TSkinReader::FindEntry(std::string_view name) const {
  const std::string wanted = AsciiLower(name);
  for (int i = 0; i < FCount; ++i) {
    if (FNames[static_cast<std::size_t>(i)] == wanted) return i;
  }
  return -1;
}

std::span<const std::uint8_t> TSkinReader::EntryBytes(int i) const {
  const auto at = static_cast<std::size_t>(FOffsets.at(static_cast<std::size_t>(i)));
  return std::span<const std::uint8_t>(FData).subspan(at, static_cast<std::size_t>(EntrySize(i)));
}

void TSkinReader::ExtractEntry(std::string_view name, std::vector<std::uint8_t>& out) const {
  out.clear();
  const int i = FindEntry(name);
  if (i < 0) return;
  const auto bytes = EntryBytes(i);
  out.assign(bytes.begin(), bytes.end());
}

void TSkinReader::ExtractEntryContaining(std::string_view text, std::vector<std::uint8_t>& out,
                                         std::string& entryName) const {
  out.clear();
  for (int i = 0; i < FCount; ++i) {
    if (FNames[static_cast<std::size_t>(i)].find(text) != std::string::npos) {
      const auto bytes = EntryBytes(i);
      out.assign(bytes.begin(), bytes.end());
      entryName = FNames[static_cast<std::size_t>(i)];
      return;
    }
  }
}

}  // namespace pellamy
