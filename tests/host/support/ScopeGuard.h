// ScopeExit: runs a call when the scope ends, also when an assertion leaves
// the test early, so a test's override of process-wide state (a trace sink,
// a dispatcher, a device) never outlives it.
#pragma once

#include <functional>
#include <utility>

namespace pellamy::test {

class ScopeExit {
 public:
  explicit ScopeExit(std::function<void()> call) : FCall(std::move(call)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() {
    if (FCall) FCall();
  }
  // Runs the call now instead of at the end of the scope.
  void Now() { std::exchange(FCall, nullptr)(); }

 private:
  std::function<void()> FCall;
};

}  // namespace pellamy::test
