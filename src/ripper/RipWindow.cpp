#include "ripper/RipWindow.h"

#include <atomic>

namespace pellamy {

namespace {
std::atomic<TRipWindow*> gRipWindow{nullptr};
}

TRipWindow* RipWindow() {
  return gRipWindow;
}
void SetRipWindow(TRipWindow* window) {
  gRipWindow = window;
}

}  // namespace pellamy
