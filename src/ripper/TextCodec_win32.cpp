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

std::string Cp932ToUtf8(std::string_view msJis) {
  if (msJis.empty()) return {};
  const int wide = MultiByteToWideChar(932, 0, msJis.data(), static_cast<int>(msJis.size()), nullptr, 0);
  if (wide <= 0) return std::string(msJis.size(), '?');
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(932, 0, msJis.data(), static_cast<int>(msJis.size()), w.data(), wide);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), bytes, nullptr, nullptr);
  return out;
}

bool Utf8ToCp932(std::string_view text, std::string& msJis) {
  msJis.clear();
  if (text.empty()) return true;
  const int wide =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (wide <= 0) return false;
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), w.data(), wide);
  BOOL lossy = FALSE;
  const int bytes = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w.data(), wide, nullptr, 0, nullptr, &lossy);
  if (bytes <= 0 || lossy) return false;
  msJis.assign(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w.data(), wide, msJis.data(), bytes, nullptr, nullptr);
  return true;
}

}  // namespace pellamy
