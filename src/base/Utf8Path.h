// PathFromUtf8, PathToUtf8: the program keeps every path as UTF-8 text and
// hands it to the file system through these, so that on Windows the
// wide-character calls see every character, whatever the system's code page.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pellamy {

inline std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// Whether text is well-formed UTF-8 (no overlong forms, surrogates or code
// points past U+10FFFF).
bool IsUtf8(std::string_view text);

// Text of unknown 8-bit encoding as UTF-8: kept when it is UTF-8 already,
// otherwise read as Windows-1252, the code page most older files were
// written in.
std::string EightBitToUtf8(std::string_view text);

}  // namespace pellamy
