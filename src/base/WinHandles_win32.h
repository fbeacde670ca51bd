// UniqueKernelHandle, UniqueCom<T>, UniqueItemList: owners of the Win32
// handles that are neither GDI nor USER objects (events, devices, files, COM
// interface pointers and shell item lists), counted like every other kind.
// Windows only.
#pragma once

#include <objbase.h>
#include <shtypes.h>
#include <windows.h>

#include "base/UniqueHandle.h"

namespace pellamy {

namespace detail {
// Files and devices answer INVALID_HANDLE_VALUE on failure, events null.
struct TKernelTraits {
  using Handle = HANDLE;
  static constexpr THandleKind Kind = THandleKind::Kernel;
  static Handle None() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};

template <typename T>
struct TComTraits {
  using Handle = T*;
  static constexpr THandleKind Kind = THandleKind::Com;
  static Handle None() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { h->Release(); }
};

struct TItemListTraits {
  using Handle = PIDLIST_ABSOLUTE;
  static constexpr THandleKind Kind = THandleKind::ItemList;
  static Handle None() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { CoTaskMemFree(h); }
};
}  // namespace detail

using UniqueKernelHandle = UniqueHandle<detail::TKernelTraits>;
template <typename T>
using UniqueCom = UniqueHandle<detail::TComTraits<T>>;
using UniqueItemList = UniqueHandle<detail::TItemListTraits>;

}  // namespace pellamy
