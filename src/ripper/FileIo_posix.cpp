#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "ripper/FileIo.h"
#include "ripper/FileIoCommon.h"

namespace pellamy {

bool TFile::Open(const std::string& name, Mode mode) {
  Close();
  int flags = mode == Mode::OpenRead ? O_RDONLY : (O_RDWR | O_CREAT | O_TRUNC);
  int fd = ::open(name.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  // The nearest thing to opening without sharing: an exclusive advisory lock.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  FHandle = fd;
  return true;
}

void TFile::Close() {
  if (FHandle != kNone) ::close(static_cast<int>(FHandle));
  FHandle = kNone;
}

std::int64_t TFile::Read(void* buffer, std::int64_t count) {
  if (FHandle == kNone) return -1;
  std::int64_t total = 0;
  auto* p = static_cast<char*>(buffer);
  while (total < count) {
    ssize_t r = ::read(static_cast<int>(FHandle), p + total, static_cast<size_t>(count - total));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return -1;
    if (r == 0) break;
    total += r;
  }
  return total;
}

std::int64_t TFile::Write(const void* buffer, std::int64_t count) {
  if (FHandle == kNone) return -1;
  std::int64_t total = 0;
  const auto* p = static_cast<const char*>(buffer);
  while (total < count) {
    ssize_t r = ::write(static_cast<int>(FHandle), p + total, static_cast<size_t>(count - total));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return -1;
    total += r;
  }
  return total;
}

std::int64_t TFile::Seek(std::int64_t offset) {
  if (FHandle == kNone) return -1;
  return ::lseek(static_cast<int>(FHandle), offset, SEEK_SET);
}

std::int64_t TFile::SeekEnd() {
  if (FHandle == kNone) return -1;
  return ::lseek(static_cast<int>(FHandle), 0, SEEK_END);
}

bool DirectoryExists(const std::string& dir) {
  struct stat st {};
  return !dir.empty() && ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool RenameFileReplacing(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool DeleteFileNamed(const std::string& name) {
  return ::unlink(name.c_str()) == 0;
}

bool CreateOneDirectory(const std::string& dir) {
  return ::mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST;
}

}  // namespace pellamy
