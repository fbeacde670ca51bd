// Natively there are no drives to reach: every open fails as for a missing
// drive, and only a virtual CD drive answers.
#include "ripper/DeviceIo.h"

namespace pellamy {

namespace {

constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorInvalidHandle = 6;

class NullDeviceIo final : public DeviceIo {
 public:
  DeviceHandle Open(const std::string&) override { return Fail(kErrorPathNotFound), kInvalidDevice; }
  void Close(DeviceHandle) override {}
  bool ReadToc(DeviceHandle, CdromToc&) override { return Fail(kErrorInvalidHandle); }
  bool RawRead(DeviceHandle, const RawReadRequest&, void*, std::uint32_t) override { return Fail(kErrorInvalidHandle); }
  bool ScsiPassThrough(DeviceHandle, PassThroughBlock&) override { return Fail(kErrorInvalidHandle); }
  std::uint32_t LastError() override { return tLastError; }
  DriveType DriveTypeOf(const std::string&) override { return DriveType::NoRootDir; }
  // There is no ASPI library to load natively; nothing ever calls it.
  bool LoadAspi(AspiEntryPoints&) override { return true; }

 private:
  static bool Fail(std::uint32_t code) {
    tLastError = code;
    return false;
  }
  static thread_local std::uint32_t tLastError;
};

thread_local std::uint32_t NullDeviceIo::tLastError = 0;

}  // namespace

DeviceIo& PlatformDeviceIo() {
  static NullDeviceIo io;
  return io;
}

}  // namespace pellamy
