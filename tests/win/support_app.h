// The test program's one application object, created on first use.
#pragma once

#include "gui/forms/Application.h"

namespace pellamy::test {

inline TApplication& App() {
  static TApplication* app = [] {
    auto* a = new TApplication();
    a->Initialize();
    return a;
  }();
  return *app;
}

}  // namespace pellamy::test
