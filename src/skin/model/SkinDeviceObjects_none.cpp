// The native build draws nothing on devices, so the skin data keeps no device
// objects there.
#include "skin/model/WinSkinData.h"

namespace pellamy {

namespace {

class TNoDeviceObjects : public TSkinDeviceObjects {
 public:
  void ColoursLoaded(const TSkinColours&) override {}
};

}  // namespace

std::unique_ptr<TSkinDeviceObjects> MakeSkinDeviceObjects() {
  return std::make_unique<TNoDeviceObjects>();
}

TSkinMessageProc PlatformSkinMessageProc() {
  return nullptr;
}

}  // namespace pellamy
