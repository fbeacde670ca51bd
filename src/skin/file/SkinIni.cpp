#include "skin/file/SkinIni.h"

#include <limits>

#include "skin/file/SkinRead.h"

namespace pellamy {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The colour rule trims every control character and space, as a general
// trim does, not only the blanks the profile reader drops.
std::string_view TrimControls(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHex(std::string_view digits, std::int32_t& out) {
  if (digits.empty()) return false;
  std::uint64_t v = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    v = v * 16 + static_cast<std::uint64_t>(d);
    if (v > 0xFFFFFFFFu) return false;
  }
  out = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  return true;
}

bool ParseDecimal(std::string_view text, std::int32_t& out) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                      : std::numeric_limits<std::int32_t>::max();
  std::int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > limit) return false;
  }
  out = static_cast<std::int32_t>(negative ? -v : v);
  return true;
}

}  // namespace

std::int32_t StrToIntDef(std::string_view text, std::int32_t def) {
  std::int32_t v = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return ParseHex(text.substr(2), v) ? v : def;
  }
  if (!text.empty() && text[0] == '$') return ParseHex(text.substr(1), v) ? v : def;
  return ParseDecimal(text, v) ? v : def;
}

std::int32_t ColorFromText(std::string_view text, std::int32_t def) {
  text = TrimControls(text);
  if (text.empty()) return def;
  std::uint32_t component[3] = {0, 0, 0};
  int stored = 0;
  std::uint32_t number = 0;  // wraps harmlessly: only its value modulo 256 is used
  bool open = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      number = number * 10 + static_cast<std::uint32_t>(c - '0');
      open = true;
    } else if (open) {
      if (stored < 3) component[stored] = number;
      ++stored;
      number = 0;
      open = false;
    }
  }
  if (open && stored == 2) component[2] = number;
  return static_cast<std::int32_t>((component[0] & 0xFF) | (component[1] & 0xFF) << 8 | (component[2] & 0xFF) << 16);
}

std::string ImageEntryName(std::string_view value) {
  const std::size_t slash = value.find_last_of("\\/:");
  const std::string_view name = slash == std::string_view::npos ? value : value.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (name.empty() || dot == std::string_view::npos || name.substr(dot) != ".bmp") return {};
  return std::string(name);
}

void TSkinIni::Load(std::string_view text) {
  FSectionNames.clear();
  FSections.clear();
  FSectionIndex.clear();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

  TSection* current = nullptr;
  std::size_t p = 0;
  while (p < text.size()) {
    std::size_t end = text.find_first_of("\r\n", p);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = TrimBlanks(text.substr(p, end - p));
    p = end;
    if (p < text.size() && text[p] == '\r') ++p;
    if (p < text.size() && text[p] == '\n') ++p;

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      std::string_view name = line.substr(1);
      const std::size_t close = name.rfind(']');
      if (close != std::string_view::npos) name = name.substr(0, close);
      name = TrimBlanks(name);
      FSectionNames.emplace_back(name);
      const auto [it, added] = FSectionIndex.emplace(AsciiLower(name), FSections.size());
      if (added) FSections.emplace_back();
      current = &FSections[it->second];
      continue;
    }
    const std::size_t equals = line.find('=');
    if (current == nullptr || equals == std::string_view::npos) continue;
    std::string_view value = TrimBlanks(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    current->Entries.push_back({AsciiLower(TrimBlanks(line.substr(0, equals))), std::string(value)});
  }
}

std::vector<std::string> TSkinIni::SectionNames() const {
  std::vector<std::string> names;
  std::size_t room = kSectionNamesBytes - 1;  // the list ends in one more NUL
  for (const std::string& name : FSectionNames) {
    if (name.size() + 1 <= room) {
      names.push_back(name);
      room -= name.size() + 1;
    } else {
      if (room > 1) names.push_back(name.substr(0, room - 1));
      break;
    }
  }
  return names;
}

const std::string* TSkinIni::Find(std::string_view section, std::string_view key) const {
  const auto it = FSectionIndex.find(AsciiLower(section));
  if (it == FSectionIndex.end()) return nullptr;
  const std::string wanted = AsciiLower(key);
  for (const TEntry& entry : FSections[it->second].Entries) {
    if (entry.Key == wanted) return &entry.Value;
  }
  return nullptr;
}

bool TSkinIni::KeyExists(std::string_view section, std::string_view key) const {
  return Find(section, key) != nullptr;
}

std::string TSkinIni::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  const std::string* value = Find(section, key);
  if (value == nullptr) return std::string(def);
  return value->substr(0, kMaxValueChars);
}

std::int32_t TSkinIni::ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const {
  const std::string* value = Find(section, key);
  if (value == nullptr) return def;
  return StrToIntDef(std::string_view(*value).substr(0, kMaxValueChars), def);
}

std::int32_t TSkinIni::ReadColor(std::string_view section, std::string_view key, std::int32_t def) const {
  const std::string* value = Find(section, key);
  if (value == nullptr) return def;
  return ColorFromText(std::string_view(*value).substr(0, kMaxValueChars), def);
}

std::int32_t TSkinIni::ReadColorKeys(std::string_view section, std::string_view key, std::int32_t notGiven) const {
  const std::string k(key);
  const std::int32_t r = ReadInteger(section, k + "R", -1);
  const std::int32_t g = ReadInteger(section, k + "G", -1);
  const std::int32_t b = ReadInteger(section, k + "B", -1);
  if (r < 0 || g < 0 || b < 0) return notGiven;
  return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16;
}

std::string TSkinIni::ReadImageName(std::string_view section, std::string_view key) const {
  return ImageEntryName(ReadString(section, key, ""));
}

}  // namespace pellamy
