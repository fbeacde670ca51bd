// UniqueHandle<Traits>, THandleKind, HandleLiveCount: one move-only owner for
// every kind of system handle. The traits name the handle type, how it is
// closed, which value means none and the kind it is counted under.
//
// Every owner counts the handles it holds, by kind, so tests can see leaks
// where the system cannot tell them (Wine's GetGuiResources always answers 0).
// The counts are atomic: workers own device and file handles.
#pragma once

#include <utility>

namespace pellamy {

enum class THandleKind {
  Bitmap,
  Brush,
  Pen,
  Font,
  Region,
  Icon,
  MemDc,
  WindowDc,
  PaintDc,
  SavedDc,
  Menu,
  Kernel,
  Com,
  ItemList,
  Count
};

// Handles of one kind held by owners now, or of all kinds.
int HandleLiveCount(THandleKind kind);
int HandleLiveCount();
// The name of a kind, for test messages.
const char* HandleKindName(THandleKind kind);

namespace detail {
void CountHandle(THandleKind kind, int delta);
}  // namespace detail

// Traits: `using Handle = ...;` `static constexpr THandleKind Kind`;
// `static Handle None()`; `static bool Valid(Handle)`; `static void
// Close(Handle)`.
template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : FHandle(handle) { Count(+1); }
  UniqueHandle(UniqueHandle&& other) noexcept : FHandle(std::exchange(other.FHandle, Traits::None())) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      FHandle = std::exchange(other.FHandle, Traits::None());
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Handle get() const { return FHandle; }
  explicit operator bool() const { return Traits::Valid(FHandle); }

  void reset(Handle handle = Traits::None()) {
    if (handle == FHandle) return;
    if (Traits::Valid(FHandle)) {
      Traits::Close(FHandle);
      Count(-1);
    }
    FHandle = handle;
    Count(+1);
  }
  // Gives the handle up without closing it (a region given to the window).
  [[nodiscard]] Handle release() {
    Count(-1);
    return std::exchange(FHandle, Traits::None());
  }

 private:
  void Count(int delta) const {
    if (Traits::Valid(FHandle)) detail::CountHandle(Traits::Kind, delta);
  }

  Handle FHandle = Traits::None();
};

}  // namespace pellamy
