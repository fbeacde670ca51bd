// DeviceIo: every call the drive manager and the drive scan make to reach a
// drive. Backends: the real device controls (Win32DeviceIo) and the virtual CD
// drive (VirtualCdDeviceIo).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ripper/CdromToc.h"
#include "ripper/DeviceRecords.h"

namespace pellamy {

// An opaque device handle; kInvalidDevice when an open failed.
using DeviceHandle = std::intptr_t;
inline constexpr DeviceHandle kInvalidDevice = -1;

// The values GetDriveTypeA answers.
enum class DriveType : unsigned {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6
};

struct AspiEntryPoints {
  void* GetSupportInfo = nullptr;
  void* SendCommand = nullptr;
};

class DeviceIo {
 public:
  virtual ~DeviceIo() = default;

  // path is a device path such as "\\.\E:".
  virtual DeviceHandle Open(const std::string& path) = 0;
  virtual void Close(DeviceHandle device) = 0;
  virtual bool ReadToc(DeviceHandle device, CdromToc& toc) = 0;
  // The disc's CD-Text as the drive answers READ TOC format 5: a 4-byte
  // header, then the packs. False when the drive has none to give.
  virtual bool ReadCdText(DeviceHandle, std::vector<std::uint8_t>& answer) {
    answer.clear();
    return false;
  }
  // out must hold outLength bytes, outLength being request.SectorCount * 2352.
  virtual bool RawRead(DeviceHandle device, const RawReadRequest& request, void* out, std::uint32_t outLength) = 0;
  virtual bool ScsiPassThrough(DeviceHandle device, PassThroughBlock& block) = 0;
  // The error code of the last failed call on this thread.
  virtual std::uint32_t LastError() = 0;
  // root is a path such as "E:\".
  virtual DriveType DriveTypeOf(const std::string& root) = 0;
  // Loads the ASPI library and looks up its two entry points; false when the
  // library cannot be loaded.
  virtual bool LoadAspi(AspiEntryPoints& entries) = 0;
};

// The backend the program uses: the platform's own unless another was set
// (once at start-up, or by tests) before any drive manager exists.
DeviceIo& CurrentDeviceIo();
// The real drives: the device controls on Windows; natively, a machine
// without drives.
DeviceIo& PlatformDeviceIo();
void SetDeviceIo(DeviceIo* io);

// "\\.\" + letter + ":"
std::string DevicePath(char letter);

}  // namespace pellamy
