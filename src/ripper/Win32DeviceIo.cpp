// The real drives, through the Win32 device controls.
#include <windows.h>
// The device-control headers need windows.h first.
#include <winioctl.h>
// ntddscsi.h needs winioctl.h's macros.
#include <ntddscsi.h>

#include "base/UniqueHandle.h"
#include "ripper/DeviceIo.h"

namespace pellamy {

static_assert(sizeof(PassThroughDirect) == sizeof(SCSI_PASS_THROUGH_DIRECT));
static_assert(offsetof(PassThroughDirect, DataBuffer) == offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer));
static_assert(offsetof(PassThroughDirect, SenseInfoOffset) == offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset));
static_assert(offsetof(PassThroughDirect, Cdb) == offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb));
static_assert(kIoctlScsiPassThroughDirect == IOCTL_SCSI_PASS_THROUGH_DIRECT);

namespace {

HANDLE ToHandle(DeviceHandle device) {
  return reinterpret_cast<HANDLE>(device);
}

class Win32DeviceIo final : public DeviceIo {
 public:
  DeviceHandle Open(const std::string& path) override {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return kInvalidDevice;
    // The drive manager owns the handle through the interface; it is counted
    // like every other so tests see one left open.
    detail::CountHandle(THandleKind::Kernel, +1);
    return reinterpret_cast<DeviceHandle>(h);
  }

  void Close(DeviceHandle device) override {
    if (device == kInvalidDevice) return;
    CloseHandle(ToHandle(device));
    detail::CountHandle(THandleKind::Kernel, -1);
  }

  bool ReadToc(DeviceHandle device, CdromToc& toc) override {
    DWORD returned = 0;
    return DeviceIoControl(ToHandle(device), kIoctlCdromReadToc, nullptr, 0, &toc, sizeof(toc), &returned, nullptr) !=
           0;
  }

  // Two requests: the header tells how long the whole answer is.
  bool ReadCdText(DeviceHandle device, std::vector<std::uint8_t>& answer) override {
    std::uint8_t request[4] = {kReadTocExFormatCdText, 0, 0, 0};
    std::uint8_t header[4] = {};
    DWORD returned = 0;
    answer.clear();
    if (!DeviceIoControl(ToHandle(device), kIoctlCdromReadTocEx, request, sizeof(request), header, sizeof(header),
                         &returned, nullptr) ||
        returned < 4)
      return false;
    const std::size_t length = (static_cast<std::size_t>(header[0]) << 8 | header[1]) + 2;
    if (length <= 4) return false;
    answer.resize(length);
    if (!DeviceIoControl(ToHandle(device), kIoctlCdromReadTocEx, request, sizeof(request), answer.data(),
                         static_cast<DWORD>(answer.size()), &returned, nullptr)) {
      answer.clear();
      return false;
    }
    answer.resize(std::min<std::size_t>(returned, answer.size()));
    return true;
  }

  bool RawRead(DeviceHandle device, const RawReadRequest& request, void* out, std::uint32_t outLength) override {
    DWORD returned = 0;
    return DeviceIoControl(ToHandle(device), kIoctlCdromRawRead, const_cast<RawReadRequest*>(&request), sizeof(request),
                           out, outLength, &returned, nullptr) != 0;
  }

  bool ScsiPassThrough(DeviceHandle device, PassThroughBlock& block) override {
    DWORD returned = 0;
    return DeviceIoControl(ToHandle(device), kIoctlScsiPassThroughDirect, &block, sizeof(block), &block, sizeof(block),
                           &returned, nullptr) != 0;
  }

  std::uint32_t LastError() override { return GetLastError(); }

  DriveType DriveTypeOf(const std::string& root) override {
    return static_cast<DriveType>(GetDriveTypeA(root.c_str()));
  }

  bool LoadAspi(AspiEntryPoints& entries) override {
    HMODULE aspi = LoadLibraryA("wnaspi32.dll");
    if (aspi == nullptr) return false;
    // Looked up and kept; nothing calls them. The library stays loaded.
    entries.GetSupportInfo = reinterpret_cast<void*>(GetProcAddress(aspi, "GetASPI32SupportInfo"));
    if (entries.GetSupportInfo != nullptr)
      entries.SendCommand = reinterpret_cast<void*>(GetProcAddress(aspi, "SendASPI32Command"));
    return true;
  }
};

}  // namespace

DeviceIo& PlatformDeviceIo() {
  static Win32DeviceIo io;
  return io;
}

}  // namespace pellamy
