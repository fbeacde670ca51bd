#include <windows.h>

#include "ripper/TextCodec.h"

namespace pellamy {

std::string Cp936ToUtf8(std::string_view gbk) {
  if (gbk.empty()) return {};
  int wide = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  if (wide <= 0) return std::string(gbk);
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), w.data(), wide);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace pellamy
