// TFile and the directory helpers the ripper needs: one file opened without
// sharing, read, written and seeked; directory test and creation with parents;
// deletion. FileIo_posix.cpp and FileIo_win32.cpp hold the two platforms.
#pragma once

#include <cstdint>
#include <string>

namespace pellamy {

class TFile {
 public:
  enum class Mode { OpenRead, CreateReadWrite };

  TFile() = default;
  TFile(const std::string& name, Mode mode) { Open(name, mode); }
  ~TFile() { Close(); }
  TFile(TFile&& other) noexcept : FHandle(other.FHandle) { other.FHandle = kNone; }
  TFile& operator=(TFile&& other) noexcept;
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  // Opens for reading (the file must exist) or creates anew for reading and
  // writing, replacing any file of that name. No sharing while open.
  bool Open(const std::string& name, Mode mode);
  bool IsOpen() const { return FHandle != kNone; }
  void Close();

  // Bytes read, or -1 on error (reading a closed file is an error).
  std::int64_t Read(void* buffer, std::int64_t count);
  // Bytes written, or -1 on error.
  std::int64_t Write(const void* buffer, std::int64_t count);
  // Moves to offset from the start; returns the new position or -1.
  std::int64_t Seek(std::int64_t offset);
  // Moves to the end and returns the length, or -1.
  std::int64_t SeekEnd();

 private:
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t FHandle = kNone;
};

bool DirectoryExists(const std::string& dir);
// Creates dir and every missing parent; a final path delimiter is allowed.
// Throws "Unable to create directory" for an empty name.
bool ForceDirectories(const std::string& dir);
bool DeleteFileNamed(const std::string& name);
// Gives from the name to, replacing a file of that name.
bool RenameFileReplacing(const std::string& from, const std::string& to);
bool FileExists(const std::string& name);

}  // namespace pellamy
