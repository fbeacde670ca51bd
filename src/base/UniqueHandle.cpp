#include "base/UniqueHandle.h"

#include <atomic>

namespace pellamy {

namespace {
std::atomic<int> gLive[static_cast<int>(THandleKind::Count)];
}  // namespace

int HandleLiveCount(THandleKind kind) {
  return gLive[static_cast<int>(kind)].load();
}

int HandleLiveCount() {
  int total = 0;
  for (const auto& count : gLive) total += count.load();
  return total;
}

const char* HandleKindName(THandleKind kind) {
  static const char* const names[] = {"bitmap",    "brush",    "pen",      "font", "region", "icon", "memory DC",
                                      "window DC", "paint DC", "saved DC", "menu", "kernel", "COM",  "item list"};
  static_assert(sizeof(names) / sizeof(names[0]) == static_cast<int>(THandleKind::Count));
  return names[static_cast<int>(kind)];
}

namespace detail {
void CountHandle(THandleKind kind, int delta) {
  gLive[static_cast<int>(kind)] += delta;
}
}  // namespace detail

}  // namespace pellamy
