#include "ripper/FileIo.h"

#include "base/Exceptions.h"
#include "ripper/FileIoCommon.h"

namespace pellamy {

namespace {

bool IsDelimiter(char c) {
#if defined(_WIN32)
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

bool IsRoot(const std::string& dir) {
#if defined(_WIN32)
  return dir.size() == 2 && dir[1] == ':';  // "C:"
#else
  return dir.empty();
#endif
}

}  // namespace

bool ForceDirectories(const std::string& dir) {
  if (dir.empty()) throw Exception("Unable to create directory");
  std::string path = dir;
  while (path.size() > 1 && IsDelimiter(path.back())) path.pop_back();
  if (path.size() == 1 && IsDelimiter(path[0])) return true;
  if (IsRoot(path) || DirectoryExists(path)) return true;
  std::string::size_type cut = path.size();
  while (cut > 0 && !IsDelimiter(path[cut - 1])) --cut;
  if (cut > 0) {
    std::string parent = path.substr(0, cut);
    // A UNC or root prefix such as "\\" or "/" ends the walk.
    bool onlyDelimiters = true;
    for (char c : parent) onlyDelimiters = onlyDelimiters && IsDelimiter(c);
    if (!onlyDelimiters && !ForceDirectories(parent)) return false;
  }
  return CreateOneDirectory(path);
}

TFile& TFile::operator=(TFile&& other) noexcept {
  if (this != &other) {
    Close();
    FHandle = other.FHandle;
    other.FHandle = kNone;
  }
  return *this;
}

}  // namespace pellamy
