// The manager's timer on Windows: a thread timer without a window, ticking
// from the message loop of the thread that started it.
#include <windows.h>

#include <map>

#include "skin/model/SkinManager.h"

namespace pellamy {

namespace {

class TWin32SkinTimer : public TSkinTimer {
 public:
  ~TWin32SkinTimer() override { Stop(); }

  void SetEnabled(bool enabled) override {
    if (enabled == (FId != 0)) return;
    if (enabled)
      Start();
    else
      Stop();
  }
  bool Enabled() const override { return FId != 0; }
  void SetInterval(int milliseconds) override {
    if (milliseconds == FInterval) return;
    FInterval = milliseconds;
    if (FId != 0) {
      Stop();
      Start();
    }
  }
  int Interval() const override { return FInterval; }

 private:
  static std::map<UINT_PTR, TWin32SkinTimer*>& Timers() {
    static std::map<UINT_PTR, TWin32SkinTimer*> timers;
    return timers;
  }

  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    const auto it = Timers().find(id);
    if (it != Timers().end() && it->second->OnTimer) it->second->OnTimer();
  }

  void Start() {
    FId = SetTimer(nullptr, 0, static_cast<UINT>(FInterval > 0 ? FInterval : 1), &Tick);
    if (FId != 0) Timers()[FId] = this;
  }
  void Stop() {
    if (FId == 0) return;
    KillTimer(nullptr, FId);
    Timers().erase(FId);
    FId = 0;
  }

  UINT_PTR FId = 0;
  int FInterval = 1000;
};

}  // namespace

std::unique_ptr<TSkinTimer> MakeSystemSkinTimer() {
  return std::make_unique<TWin32SkinTimer>();
}

}  // namespace pellamy
