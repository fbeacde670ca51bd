#include "ripper/RipSettings.h"

#include <sstream>

#include "base/Exceptions.h"
#include "ripper/FileIo.h"

namespace pellamy {
namespace {

constexpr int kMaxOffset = 5880;  // ten sectors
constexpr std::int64_t kMaxIniBytes = 64 * 1024;

std::string Trim(const std::string& s) {
  const auto a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

}  // namespace

TRipSettings& RipSettings() {
  static TRipSettings settings;
  return settings;
}

int ParseReadOffsetOption(const std::string& value) {
  const std::string v = Trim(value);
  std::size_t used = 0;
  int n = 0;
  try {
    n = std::stoi(v, &used, 10);
  } catch (const std::exception&) {
    used = 0;
  }
  if (v.empty() || used != v.size() || n < -kMaxOffset || n > kMaxOffset)
    throw Exception("Bad read offset \"" + value + "\" (a whole number of samples, -5880 to 5880)");
  return n;
}

bool ParseReadOffsetIni(const std::string& text, int& offset) {
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = Trim(line.substr(0, eq));
    for (char& c : key) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (key != "readoffset") continue;
    offset = ParseReadOffsetOption(line.substr(eq + 1));
    return true;
  }
  return false;
}

void LoadProgramIni(const std::string& programDir) {
  const std::string name = programDir + "Pellamy.ini";
  if (!FileExists(name)) return;
  TFile file;
  if (!file.Open(name, TFile::Mode::OpenRead)) throw Exception("Cannot read " + name);
  const std::int64_t size = file.SeekEnd();
  if (size < 0 || size > kMaxIniBytes || file.Seek(0) != 0) throw Exception("Cannot read " + name);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (size > 0 && file.Read(text.data(), size) != size) throw Exception("Cannot read " + name);
  TRipSettings& s = RipSettings();
  int offset = 0;
  if (!s.OffsetGiven && ParseReadOffsetIni(text, offset)) {
    s.ReadOffset = offset;
    s.OffsetGiven = true;
  }
}

}  // namespace pellamy
