#include "GallerySkins.h"

#include <windows.h>

#include <algorithm>

#include "gui/gdi/WideText.h"

namespace pellamy::gallery {

namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

TGalleryOptions ParseGalleryOptions(const std::vector<std::string>& args, const std::string& folder) {
  TGalleryOptions options;
  options.SkinFile = folder + kStartSkin;
  const std::string skin = "--skin=";
  for (const std::string& arg : args) {
    if (arg.compare(0, skin.size(), skin) == 0) {
      options.SkinFile = arg.substr(skin.size());
    } else {
      options.Error = "Unknown option " + arg + "\n\n" + kUsage;
      break;
    }
  }
  return options;
}

std::string ProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::string file = WideToUtf8(std::wstring(path, n));
  const std::size_t slash = file.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

std::vector<std::string> SkinFilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Utf8ToWide(folder + "*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = WideToUtf8(found.cFileName);
    // The pattern also matches longer extensions through short names.
    const bool tmp = name.size() > 4 && Lower(name.substr(name.size() - 4)) == ".tmp";
    if (tmp && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string la = Lower(a), lb = Lower(b);
    return la != lb ? la < lb : a < b;
  });
  return names;
}

std::string SkinCaption(const std::string& fileName) {
  std::string caption;
  for (char c : fileName) {
    caption += c;
    if (c == '&') caption += '&';
  }
  return caption;
}

}  // namespace pellamy::gallery
