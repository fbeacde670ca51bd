#include "base/Utf8Path.h"

#include <cstdint>

namespace pellamy {

bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    int follow = 0;
    std::uint32_t code = 0, least = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      follow = 1, code = c & 0x1F, least = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      follow = 2, code = c & 0x0F, least = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      follow = 3, code = c & 0x07, least = 0x10000;
    } else {
      return false;
    }
    if (i + static_cast<std::size_t>(follow) >= text.size()) return false;
    for (int k = 1; k <= follow; ++k) {
      const auto f = static_cast<unsigned char>(text[i + k]);
      if ((f & 0xC0) != 0x80) return false;
      code = (code << 6) | (f & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += static_cast<std::size_t>(follow) + 1;
  }
  return true;
}

std::string EightBitToUtf8(std::string_view text) {
  if (IsUtf8(text)) return std::string(text);
  // 0x80..0x9F of Windows-1252; the five it leaves undefined map to themselves.
  static constexpr std::uint16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                              0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  out.reserve(text.size() * 2);
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    const std::uint32_t code = c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c;
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

}  // namespace pellamy
