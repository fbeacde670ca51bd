#include "ripper/DeviceIo.h"

#include <atomic>

namespace pellamy {

namespace {
std::atomic<DeviceIo*> gDeviceIo{nullptr};
}

DeviceIo& CurrentDeviceIo() {
  DeviceIo* io = gDeviceIo;
  return io != nullptr ? *io : PlatformDeviceIo();
}

void SetDeviceIo(DeviceIo* io) {
  gDeviceIo = io;
}

std::string DevicePath(char letter) {
  return std::string("\\\\.\\") + letter + ":";
}

}  // namespace pellamy
