#include <windows.h>

#include <algorithm>

#include "base/UniqueHandle.h"
#include "ripper/FileIo.h"
#include "ripper/FileIoCommon.h"

namespace pellamy {

namespace {
HANDLE H(std::intptr_t h) {
  return reinterpret_cast<HANDLE>(h);
}
// Names are UTF-8; the wide calls take every character of them. Malformed
// text becomes replacement characters, a name no file has.
std::wstring Wide(const std::string& name) {
  if (name.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), wide.data(), n);
  return wide;
}
}  // namespace

bool TFile::Open(const std::string& name, Mode mode) {
  Close();
  const bool read = mode == Mode::OpenRead;
  HANDLE h = CreateFileW(Wide(name).c_str(), read ? GENERIC_READ : (GENERIC_READ | GENERIC_WRITE), 0, nullptr,
                         read ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  FHandle = reinterpret_cast<std::intptr_t>(h);
  detail::CountHandle(THandleKind::Kernel, +1);
  return true;
}

void TFile::Close() {
  if (FHandle == kNone) return;
  CloseHandle(H(FHandle));
  detail::CountHandle(THandleKind::Kernel, -1);
  FHandle = kNone;
}

std::int64_t TFile::Read(void* buffer, std::int64_t count) {
  if (FHandle == kNone) return -1;
  std::int64_t total = 0;
  auto* p = static_cast<char*>(buffer);
  while (total < count) {
    DWORD part = static_cast<DWORD>(std::min<std::int64_t>(count - total, 1 << 30));
    DWORD got = 0;
    if (!ReadFile(H(FHandle), p + total, part, &got, nullptr)) return -1;
    if (got == 0) break;
    total += got;
  }
  return total;
}

std::int64_t TFile::Write(const void* buffer, std::int64_t count) {
  if (FHandle == kNone) return -1;
  std::int64_t total = 0;
  const auto* p = static_cast<const char*>(buffer);
  while (total < count) {
    DWORD part = static_cast<DWORD>(std::min<std::int64_t>(count - total, 1 << 30));
    DWORD put = 0;
    if (!WriteFile(H(FHandle), p + total, part, &put, nullptr) || put == 0) return -1;
    total += put;
  }
  return total;
}

std::int64_t TFile::Seek(std::int64_t offset) {
  if (FHandle == kNone) return -1;
  LARGE_INTEGER to, now;
  to.QuadPart = offset;
  if (!SetFilePointerEx(H(FHandle), to, &now, FILE_BEGIN)) return -1;
  return now.QuadPart;
}

std::int64_t TFile::SeekEnd() {
  if (FHandle == kNone) return -1;
  LARGE_INTEGER zero, now;
  zero.QuadPart = 0;
  if (!SetFilePointerEx(H(FHandle), zero, &now, FILE_END)) return -1;
  return now.QuadPart;
}

bool DirectoryExists(const std::string& dir) {
  DWORD a = GetFileAttributesW(Wide(dir).c_str());
  return !dir.empty() && a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& name) {
  DWORD a = GetFileAttributesW(Wide(name).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool RenameFileReplacing(const std::string& from, const std::string& to) {
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool DeleteFileNamed(const std::string& name) {
  return DeleteFileW(Wide(name).c_str()) != 0;
}

bool CreateOneDirectory(const std::string& dir) {
  return CreateDirectoryW(Wide(dir).c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace pellamy
