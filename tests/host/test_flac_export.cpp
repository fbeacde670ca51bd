// FLAC files read back with Debian's metaflac: the comments each track's tags
// give, in UTF-8 as the Vorbis comment form requires (RFC 9639, section
// 8.6), and the stream's sample count.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ripper/FlacExport.h"
#include "support/TempDir.h"

namespace pellamy::test {
namespace {

std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

struct TagCase {
  const char* name;
  TTrackTags tags;
  const char* expected;  // metaflac --export-tags-to=-
};

const TagCase kCases[] = {
    {"every field, not all ASCII",
     {"Café Noir", "Анна", "音楽 Album", "Various", "J. S. Bach", "GBAYE0000001", "abc.DEF_-", 3, 12},
     "TITLE=Café Noir\nARTIST=Анна\nALBUM=音楽 Album\nALBUMARTIST=Various\nCOMPOSER=J. S. Bach\n"
     "TRACKNUMBER=3\nTRACKTOTAL=12\nISRC=GBAYE0000001\nMUSICBRAINZ_DISCID=abc.DEF_-\n"},
    {"unknown fields left out", {"Track 7", "", "", "", "", "", "", 7, 0}, "TITLE=Track 7\nTRACKNUMBER=7\n"},
};

TEST(FlacExport, CommentsAndLengthReadBack) {
  TempDir temp;
  for (const TagCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string name = temp.Dir() + "t.flac";
    const std::size_t frames = 44100 + 333;  // not a whole number of blocks
    std::vector<std::uint8_t> audio(frames * 4);
    for (std::size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<std::uint8_t>(i * 37 + (i >> 9));
    {
      TFile file(name, TFile::Mode::CreateReadWrite);
      TFlacWriter writer(file, frames, &c.tags);
      writer.Add(audio.data(), audio.size());
      writer.Finish();
    }
    EXPECT_EQ(Capture("metaflac --export-tags-to=- '" + name + "'"), c.expected);
    EXPECT_EQ(Capture("metaflac --show-total-samples '" + name + "'"), std::to_string(frames) + "\n");
  }
}

}  // namespace
}  // namespace pellamy::test
