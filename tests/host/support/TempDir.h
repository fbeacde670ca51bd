// TempDir: a fresh directory for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace pellamy::test {

class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("pellamy-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  // The directory with a final delimiter, as the output directory is typed.
  std::string Dir() const { return path_.string() + "/"; }
  std::filesystem::path Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Where an MP3 file's first frame starts: after its ID3v2 tag, if any.
inline std::size_t FirstMp3Frame(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 10 || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3') return 0;
  return 10 + (static_cast<std::size_t>(bytes[6]) << 21 | bytes[7] << 14 | bytes[8] << 7 | bytes[9]);
}

// Where an MP3 file's frames end: before its 128-byte ID3v1 tag, if any.
inline std::size_t Mp3FramesEnd(const std::vector<std::uint8_t>& bytes) {
  const std::size_t n = bytes.size();
  if (n >= 128 && bytes[n - 128] == 'T' && bytes[n - 127] == 'A' && bytes[n - 126] == 'G') return n - 128;
  return n;
}

inline std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

}  // namespace pellamy::test
