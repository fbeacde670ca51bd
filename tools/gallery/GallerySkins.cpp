#include "GallerySkins.h"

#include <windows.h>

#include "gui/gdi/WideText.h"

namespace pellamy::gallery {

namespace {

std::string Utf8ToAnsi(const std::string& text) {
  const std::wstring wide = Utf8ToWide(text);
  if (wide.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

TGalleryOptions ParseGalleryOptions(const std::vector<std::string>& args, const std::string& folder) {
  TGalleryOptions options;
  options.SkinFile = folder + kStartSkin;
  const std::string skin = "--skin=";
  for (const std::string& arg : args) {
    if (arg.compare(0, skin.size(), skin) == 0) {
      options.SkinFile = Utf8ToAnsi(arg.substr(skin.size()));
    } else {
      options.Error = "Unknown option " + arg + "\n\n" + kUsage;
      break;
    }
  }
  return options;
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string file(path, n);
  const std::size_t slash = file.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

}  // namespace pellamy::gallery
