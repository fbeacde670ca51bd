// The skin file reader: the decompressor against a stream from an
// independent encoder and against streams built symbol by symbol, the
// packer's streams read back, and the container index with its lookups and
// refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "LzhEncode.h"
#include "SkinPack.h"
#include "skin/file/SkinRead.h"

namespace pellamy {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadTestFile(const std::string& name) {
  const std::string path = std::string(PELLAMY_TESTDATA) + "/lzhuf/" + name;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

Bytes Decode(std::int32_t length, const Bytes& stream) {
  Bytes out;
  TLZH().LzhDecode(length, stream, out);
  return out;
}

// What a stream of literals and matches decodes to, worked out on a plain
// buffer that starts with the ring's initial blanks.
struct TReference {
  Bytes buf = Bytes(lzh::kRingStart, ' ');
  void Literal(std::uint8_t b) { buf.push_back(b); }
  void Match(int length, int distance) {
    for (int k = 0; k < length; ++k) buf.push_back(buf[buf.size() - static_cast<std::size_t>(distance)]);
  }
  Bytes Output() const { return Bytes(buf.begin() + lzh::kRingStart, buf.end()); }
};

// Text, BMP-like rows and noise, so that literals, short and long matches
// and far distances all occur.
Bytes MixedData(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes out;
  const std::string words[] = {"[Personality]\r\n", "LeftWidth=", "Image=frame.bmp\r\n", "255,0,255\r\n",
                               "Trans=1\r\n"};
  while (out.size() < size) {
    switch (rng() % 4) {
      case 0:
        for (int i = 0; i < 20; ++i) {
          const std::string& w = words[rng() % std::size(words)];
          out.insert(out.end(), w.begin(), w.end());
        }
        break;
      case 1:
        for (int x = 0; x < 600; ++x) out.push_back(static_cast<std::uint8_t>(x * 3 + (rng() % 3)));
        break;
      case 2:
        for (int i = 0; i < 300; ++i) out.push_back(static_cast<std::uint8_t>(rng()));
        break;
      default: {
        const std::size_t back = std::min<std::size_t>(out.size(), 1 + rng() % 5000);
        const std::size_t from = out.size() - back;
        for (std::size_t i = 0; i < 200 && from + i < out.size(); ++i) out.push_back(out[from + i]);
      }
    }
  }
  out.resize(size);
  return out;
}

TEST(LzhDecodeTest, StreamFromAnIndependentEncoder) {
  const Bytes container = ReadTestFile("classic_matches.lzh");
  const Bytes expected = ReadTestFile("classic_matches.out");
  ASSERT_GE(container.size(), 4u);
  const std::int32_t length = container[0] | container[1] << 8 | container[2] << 16 | container[3] << 24;
  const Bytes stream(container.begin() + 4, container.end());
  EXPECT_EQ(Decode(length, stream), expected);

  // The byte-at-a-time interface gives the same bytes.
  std::size_t next = 0;
  Bytes out;
  TLZH().LzhDecode(
      length,
      [&](std::uint8_t& b) {
        if (next == stream.size()) return 0;
        b = stream[next++];
        return 1;
      },
      [&](std::uint8_t b) { out.push_back(b); });
  EXPECT_EQ(out, expected);
}

TEST(LzhDecodeTest, PackerStreamsReadBack) {
  std::mt19937 rng(7);
  Bytes noise(70000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(rng());
  const Bytes inputs[] = {
      {},
      {'x'},
      Text("abc"),
      Bytes(10000, 0x20),   // the ring's own blanks from the first byte
      Bytes(100000, 0xAB),  // one byte repeated: overlapping matches
      noise,                // mostly literals, many tree rebuilds
      MixedData(400000, 1),
  };
  for (const Bytes& data : inputs) {
    const Bytes stream = LzhCompress(data);
    EXPECT_EQ(Decode(static_cast<std::int32_t>(data.size()), stream), data) << data.size() << " bytes";
  }
  // Matches are found: a random block repeated 50 times costs little more
  // than the block.
  Bytes repeated;
  for (int i = 0; i < 50; ++i) repeated.insert(repeated.end(), noise.begin(), noise.begin() + 1000);
  EXPECT_LT(LzhCompress(repeated).size(), 3000u);
}

TEST(LzhDecodeTest, HandBuiltStreams) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> symbols;  // {byte, 0} literal or {length, distance} match
  };
  const Case cases[] = {
      {"match from the initial blanks", {{10, 100}, {'a', 0}, {5, 4036}}},
      {"match overlapping its own output", {{'a', 0}, {'b', 0}, {60, 2}, {60, 1}}},
      {"match reaching back the whole ring",
       [] {
         // 60 bytes written, so 4096 back is ring position 0, still blank;
         // then more than a ring's worth, so 4096 back is data.
         std::vector<std::pair<int, int>> s{{'q', 0}, {59, 1}, {60, 4096}, {'z', 0}};
         for (int i = 0; i < 70; ++i) s.insert(s.end(), {{'0' + i % 10, 0}, {60, 7}});
         s.push_back({60, 4096});
         return s;
       }()},
  };
  for (const Case& c : cases) {
    TLzhEncoder encoder;
    TReference reference;
    for (auto [a, distance] : c.symbols) {
      if (distance == 0) {
        encoder.Literal(static_cast<std::uint8_t>(a));
        reference.Literal(static_cast<std::uint8_t>(a));
      } else {
        encoder.Match(a, distance);
        reference.Match(a, distance);
      }
    }
    const Bytes expected = reference.Output();
    EXPECT_EQ(Decode(static_cast<std::int32_t>(expected.size()), encoder.Finish()), expected) << c.what;
  }
  const Bytes blanks = Decode(10, [] {
    TLzhEncoder e;
    e.Match(10, 100);
    return e.Finish();
  }());
  EXPECT_EQ(blanks, Bytes(10, 0x20));
}

TEST(LzhDecodeTest, EveryDistanceAndLength) {
  // Every position code, and every match length, through the adaptive tree
  // and back.
  TLzhEncoder encoder;
  TReference reference;
  std::mt19937 rng(3);
  for (int d = 1; d <= 4096; ++d) {
    const int length = 3 + (d % 58);
    encoder.Match(length, d);
    reference.Match(length, d);
    const auto b = static_cast<std::uint8_t>(rng());
    encoder.Literal(b);
    reference.Literal(b);
  }
  const Bytes expected = reference.Output();
  EXPECT_EQ(Decode(static_cast<std::int32_t>(expected.size()), encoder.Finish()), expected);
}

TEST(LzhDecodeTest, LengthLimits) {
  TLzhEncoder encoder;
  encoder.Literal('a');
  encoder.Literal('b');
  encoder.Match(10, 2);
  encoder.Literal('z');
  const Bytes stream = encoder.Finish();

  // A match that passes the length is written whole; nothing follows it.
  EXPECT_EQ(Decode(5, stream), Text("abababababab"));
  EXPECT_EQ(Decode(12, stream), Text("abababababab"));
  EXPECT_EQ(Decode(13, stream), Text("ababababababz"));

  // Nothing is decoded for a length of 0 or less, and no input is asked for.
  for (const std::int32_t length : {0, -1, INT32_MIN}) {
    int asked = 0;
    int written = 0;
    TLZH().LzhDecode(
        length,
        [&](std::uint8_t&) {
          ++asked;
          return 0;
        },
        [&](std::uint8_t) { ++written; });
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(written, 0);
  }
}

TEST(LzhDecodeTest, InputEndingEarlyReadsAsZeroBits) {
  const Bytes data = MixedData(20000, 2);
  const Bytes stream = LzhCompress(data);
  for (const std::size_t kept : {std::size_t{0}, std::size_t{1}, stream.size() / 2, stream.size() - 1}) {
    const Bytes cut(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(kept));
    Bytes padded = cut;
    padded.resize(stream.size() + 4000, 0);
    const Bytes out = Decode(20000, cut);
    EXPECT_GE(out.size(), 20000u) << kept;
    EXPECT_EQ(out, Decode(20000, padded)) << kept;
  }
  // Up to the cut the output is the data's.
  const Bytes half = Decode(20000, Bytes(stream.begin(), stream.begin() + stream.size() / 2));
  EXPECT_TRUE(std::equal(data.begin(), data.begin() + 1000, half.begin()));
}

TEST(LzhTreeTest, StaysAHuffmanTreeThroughRebuilds) {
  // Skewed symbols past several rebuilds. A damaged rebuild or swap shows
  // as a node out of frequency order, a sum that does not add up, or a
  // parent link that does not lead back.
  TLzhTree tree;
  tree.Start();
  std::mt19937 rng(11);
  std::geometric_distribution<int> skew(0.02);
  for (int n = 0; n < 150000; ++n) {
    tree.Update(std::min(skew(rng), lzh::N_CHAR - 1));
    if (n % 30011 != 0 && n != 149999) continue;
    std::vector<int> leafSeen(lzh::N_CHAR, 0);
    for (int i = 0; i < lzh::T; ++i) {
      ASSERT_LE(tree.Freq[i], tree.Freq[i + 1]) << "node " << i << " after " << n;
      const int c = tree.Child[i];
      if (c >= lzh::T) {
        ++leafSeen[c - lzh::T];
        ASSERT_EQ(tree.Parent[c], i);
      } else {
        ASSERT_GT(i, c + 1);
        ASSERT_EQ(tree.Freq[i], tree.Freq[c] + tree.Freq[c + 1]) << "node " << i << " after " << n;
        ASSERT_EQ(tree.Parent[c], i);
        ASSERT_EQ(tree.Parent[c + 1], i);
      }
    }
    ASSERT_EQ(std::count(leafSeen.begin(), leafSeen.end(), 1), lzh::N_CHAR);
    ASSERT_LE(tree.Freq[lzh::R], lzh::MAX_FREQ);
  }
}

// Decompressed content laid out by hand.
struct TContent {
  std::int32_t format = TSkinReader::kFormatNumber;
  std::string names;
  std::vector<std::int32_t> sizes;
  Bytes data;
  std::int32_t nameBytes = -1;  // -1: the length of names

  Bytes Build() const {
    Bytes out;
    auto put = [&](std::int32_t v) {
      for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
    };
    put(format);
    put(nameBytes >= 0 || nameBytes < -1 ? nameBytes : static_cast<std::int32_t>(names.size()));
    put(0x11111111);
    put(0x22222222);
    out.insert(out.end(), names.begin(), names.end());
    for (std::int32_t s : sizes) put(s);
    out.insert(out.end(), data.begin(), data.end());
    return out;
  }
};

TContent Content(std::string names, std::vector<std::int32_t> sizes, Bytes data = {}, std::int32_t nameBytes = -1) {
  TContent c;
  c.names = std::move(names);
  c.sizes = std::move(sizes);
  c.data = std::move(data);
  c.nameBytes = nameBytes;
  return c;
}

class SkinReaderTest : public testing::Test {
 protected:
  bool DecodeSkin(const Bytes& skin) { return reader_.DecodeContainer(skin); }
  bool DecodeContent(const TContent& content) { return DecodeSkin(CompressContainer(content.Build())); }
  std::string Entry(std::string_view name) {
    Bytes out{'o', 'l', 'd'};
    reader_.ExtractEntry(name, out);
    return std::string(out.begin(), out.end());
  }

  std::vector<std::string> shown_;
  TSkinReader reader_{[this](const std::string& text) { shown_.push_back(text); }};
};

TEST_F(SkinReaderTest, PackedSkinLookups) {
  const Bytes image = MixedData(30000, 5);
  ASSERT_TRUE(DecodeSkin(PackSkin({{"Blue.INI", Text("[TitlebarSkin]\r\nSkinName=Blue\r\n")},
                                   {"Frame.BMP", image},
                                   {"empty.bmp", {}},
                                   {"tail.bmp", Text("end")}})));
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(reader_.Names(), (std::vector<std::string>{"blue.ini", "frame.bmp", "empty.bmp", "tail.bmp"}));
  EXPECT_EQ(reader_.Header()[0], 20000);

  Bytes out;
  reader_.ExtractEntry("fRAME.bmp", out);
  EXPECT_EQ(out, image);
  EXPECT_EQ(Entry("TAIL.BMP"), "end");
  EXPECT_EQ(Entry("empty.bmp"), "");  // present, size 0
  EXPECT_EQ(Entry("missing.bmp"), "");
  EXPECT_EQ(reader_.FindEntry("missing.bmp"), -1);
  EXPECT_EQ(reader_.FindEntry("EMPTY.bmp"), 2);

  std::string name = "unchanged";
  reader_.ExtractEntryContaining(".ini", out, name);
  EXPECT_EQ(name, "blue.ini");
  EXPECT_EQ(std::string(out.begin(), out.end()), "[TitlebarSkin]\r\nSkinName=Blue\r\n");
  reader_.ExtractEntryContaining("bmp", out, name);
  EXPECT_EQ(name, "frame.bmp");
  // The text is compared as given, against lower-case names.
  name = "unchanged";
  reader_.ExtractEntryContaining(".INI", out, name);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(name, "unchanged");
}

TEST_F(SkinReaderTest, NameTextLines) {
  const struct {
    std::string text;
    std::vector<std::string> names;
  } cases[] = {
      {"A.bmp\r\nB.bmp\r\n", {"a.bmp", "b.bmp"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two breaks
      {"a\r\n\r\nb\r\n\r\n", {"a", "", "b", ""}},
      {"a\r\nb\0c\r\n", {"a", "b"}},  // a NUL ends the text
      {"", {}},
  };
  for (const auto& c : cases) {
    TContent content;
    content.names = c.text;
    content.sizes.assign(c.names.size(), 1);
    content.data.assign(c.names.size(), 'x');
    ASSERT_TRUE(DecodeContent(content)) << c.text;
    EXPECT_EQ(reader_.Names(), c.names) << c.text;
    EXPECT_EQ(reader_.Count(), static_cast<int>(c.names.size()));
  }
}

TEST_F(SkinReaderTest, RepeatedNamesAndOffsets) {
  TContent content;
  content.names = "one.bmp\r\nSkin.ini\r\nONE.bmp\r\nx.ini\r\n";
  content.sizes = {2, 3, 4, 1};
  content.data = Text(
      "11222"
      "3333"
      "4"
      "spare");  // bytes after the last entry are allowed
  ASSERT_TRUE(DecodeContent(content));
  EXPECT_EQ(Entry("One.Bmp"), "11");
  std::string name;
  Bytes out;
  reader_.ExtractEntryContaining(".ini", out, name);
  EXPECT_EQ(name, "skin.ini");
  EXPECT_EQ(std::string(out.begin(), out.end()), "222");
  EXPECT_EQ(Entry("x.ini"), "4");
}

TEST_F(SkinReaderTest, OlderFormatIsRefusedWithTheMessage) {
  TContent wrongFormat;
  wrongFormat.format = 19999;
  wrongFormat.names = "a.bmp\r\n";
  wrongFormat.sizes = {1};
  wrongFormat.data = {1};
  const Bytes refused[] = {{0, 0, 0, 0},                        // length 0: empty content
                           {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3},   // negative length: nothing decoded
                           {},                                  // too short to hold a length
                           {5, 0},                              //
                           CompressContainer(Bytes(15, 0x20)),  // content shorter than the header
                           CompressContainer(wrongFormat.Build())};
  for (const Bytes& skin : refused) {
    ASSERT_TRUE(DecodeContent(Content("keep.bmp\r\n", {1}, {7})));
    shown_.clear();
    EXPECT_FALSE(DecodeSkin(skin));
    EXPECT_EQ(shown_, std::vector<std::string>{kOlderSkinFileMessage});
    EXPECT_EQ(reader_.LastMessage(), "This is Older Skin File\rPlease update to new version !");
    EXPECT_EQ(reader_.Count(), 0);
    EXPECT_EQ(Entry("keep.bmp"), "");
  }
}

TEST_F(SkinReaderTest, DamagedContainersAreRefusedWhole) {
  const auto many = [](int n) {
    TContent c;
    for (int i = 0; i < n; ++i) c.names += "e" + std::to_string(i) + "\r\n";
    c.sizes.assign(static_cast<std::size_t>(n), 0);
    return c;
  };
  ASSERT_TRUE(DecodeContent(many(1001)));
  EXPECT_EQ(reader_.Count(), 1001);

  const struct {
    const char* what;
    TContent content;
  } cases[] = {
      {"1002 names", many(1002)},
      {"negative name length", Content("a\r\n", {0}, {}, -5)},
      {"name text longer than the content", Content("a\r\n", {0}, {}, 1000)},
      {"size table past the end", Content("a\r\nb\r\n", {0})},
      {"negative size", Content("a\r\nb\r\n", {2, -1}, {1, 2})},
      {"sizes beyond the data", Content("a\r\nb\r\n", {2, 2}, {1, 2, 3})},
      {"sizes that wrap 32 bits", Content("a\r\nb\r\n", {INT32_MAX, INT32_MAX}, {1})},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(DecodeContent(Content("keep.bmp\r\n", {1}, {7})));
    shown_.clear();
    EXPECT_THROW(DecodeContent(c.content), ESkinFileDamaged) << c.what;
    EXPECT_TRUE(shown_.empty()) << c.what;
    EXPECT_EQ(reader_.Count(), 0) << c.what;
    EXPECT_EQ(Entry("keep.bmp"), "") << c.what;
  }

  // A length that the stream cannot hold is refused before decoding.
  Bytes claim = CompressContainer(many(3).Build());
  claim[0] = claim[1] = claim[2] = 0xFF;
  claim[3] = 0x7F;
  EXPECT_THROW(DecodeSkin(claim), ESkinFileDamaged);
  try {
    DecodeSkin(claim);
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("2147483647"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace pellamy
