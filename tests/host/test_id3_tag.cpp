// MP3 tags: a track's names from the disc's CD-Text (or "Track N"), written
// around the encoder's frames; read back by ffprobe, the audio unchanged.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "ripper/MP3export.h"
#include "ripper/ScsiManagerUnit.h"
#include "support/TempDir.h"

namespace pellamy::test {
namespace {

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

std::string Bytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Id3Tags, NamesFromTheDiscOrTheTrackNumber) {
  TCdText text;
  text.Track(0) = {"Album", "The Band", "", "", "", "", ""};
  text.Track(2) = {"Second", "", "Writer", "", "", "", "USXX19800002"};
  text.Track(3) = {"Third", "A Guest", "", "Composer", "", "", ""};
  const TTrackTags named = TagsForTrack(text, 3, 5, "id");
  EXPECT_EQ(named.Title, "Third");
  EXPECT_EQ(named.Artist, "A Guest");
  EXPECT_EQ(named.AlbumArtist, "The Band");
  EXPECT_EQ(named.Composer, "Composer");
  EXPECT_EQ(TagsForTrack(text, 2, 5, "").Composer, "Writer") << "the songwriter where no composer is named";
  EXPECT_EQ(TagsForTrack(text, 2, 5, "").Artist, "The Band") << "the album's performer";
  const TTrackTags unnamed = TagsForTrack(TCdText{}, 4, 5, "");
  EXPECT_EQ(unnamed.Title, "Track 4");
  EXPECT_EQ(unnamed.Track, 4);
  EXPECT_EQ(unnamed.Album, "");
  // The header's size counts the frames, seven bits a byte.
  const std::vector<std::uint8_t> tag = BuildId3v2(unnamed);
  ASSERT_GE(tag.size(), 10u);
  EXPECT_EQ(std::string(tag.begin(), tag.begin() + 5), std::string("ID3\x03\x00", 5));
  EXPECT_EQ((tag[6] << 21 | tag[7] << 14 | tag[8] << 7 | tag[9]) + 10u, tag.size());
  EXPECT_EQ(std::string(tag.begin() + 10, tag.begin() + 14), "TIT2");
}

// Real encoder, real reader: ffprobe reads the tags (both versions), ffmpeg
// decodes tagged and untagged files to the same samples.
TEST(Id3Tags, TaggedFilesReadBackAndDecodeAsTheUntagged) {
  TempDir temp;
  const std::string wav = temp.Dir() + "in.wav", plain = temp.Dir() + "plain.mp3", tagged = temp.Dir() + "tagged.mp3";
  {
    const std::uint32_t bytes = 44100 * 4;
    std::uint8_t header[48];
    BuildWavHeader(bytes, header);
    std::ofstream out(wav, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    for (std::uint32_t i = 0; i < bytes / 4; ++i) {
      const auto s = static_cast<std::int16_t>(8000 * std::sin(i * 0.0627));
      for (int c = 0; c < 2; ++c) out.put(static_cast<char>(s & 0xFF)).put(static_cast<char>((s >> 8) & 0xFF));
    }
  }
  TTrackTags tags;
  tags.Title = "M\u00fasica \u041c\u0443\u0437\u044b\u043a\u0430 \u97f3\u697d";
  tags.Artist = "Performer";
  tags.Album = "The Album";
  tags.AlbumArtist = "Album Performer";
  tags.Composer = "Composer";
  tags.Isrc = "USXX19800003";
  tags.MusicBrainzDiscId = "lwHl8fGzJyLXQR33ug60E8jhf4k-";
  tags.Track = 3;
  tags.Total = 12;
  ASSERT_TRUE(ConvertWavToMp3(wav, plain));
  ASSERT_TRUE(ConvertWavToMp3(wav, tagged, &tags));

  const std::string probe =
      Output("ffprobe -v error -show_entries format_tags -of default=noprint_wrappers=1 '" + tagged + "'");
  for (const std::string& line :
       {"TAG:title=" + tags.Title, std::string("TAG:artist=Performer"), std::string("TAG:album=The Album"),
        std::string("TAG:album_artist=Album Performer"), std::string("TAG:composer=Composer"),
        std::string("TAG:track=3/12"), std::string("TAG:TSRC=USXX19800003"),
        "TAG:MusicBrainz Disc Id=" + tags.MusicBrainzDiscId})
    EXPECT_NE(probe.find(line + "\n"), std::string::npos) << line << " not in\n" << probe;

  const std::string file = Bytes(tagged);
  ASSERT_GT(file.size(), 128u);
  const std::string v1 = file.substr(file.size() - 128);
  EXPECT_EQ(v1.substr(0, 3), "TAG");
  EXPECT_EQ(v1.substr(3, 10), std::string("M\xFAsica ????", 10)) << "ISO 8859-1, '?' for the rest";
  EXPECT_EQ(v1[126], 3);

  auto pcm = [&](const std::string& f) { return Output("ffmpeg -v error -i '" + f + "' -f s16le -"); };
  const std::string a = pcm(plain), b = pcm(tagged);
  EXPECT_GT(a.size(), 44100u * 4 * 9 / 10);
  EXPECT_TRUE(a == b) << "decoded " << a.size() << " and " << b.size() << " bytes";
}

}  // namespace
}  // namespace pellamy::test
