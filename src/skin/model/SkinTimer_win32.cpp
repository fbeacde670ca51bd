// The manager's timer on Windows: a thread timer without a window, ticking
// from the message loop of the thread that started it.
#include <windows.h>

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
  // The running timers, chained through themselves: a table object would be
  // destroyed with the program's statics, before the manager that is freed
  // among them stops its timer.
  static inline TWin32SkinTimer* FirstRunning = nullptr;

  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    for (TWin32SkinTimer* t = FirstRunning; t != nullptr; t = t->FNextRunning)
      if (t->FId == id) {
        if (t->OnTimer) t->OnTimer();
        return;
      }
  }

  void Start() {
    FId = SetTimer(nullptr, 0, static_cast<UINT>(FInterval > 0 ? FInterval : 1), &Tick);
    if (FId == 0) return;
    FNextRunning = FirstRunning;
    FirstRunning = this;
  }
  void Stop() {
    if (FId == 0) return;
    KillTimer(nullptr, FId);
    FId = 0;
    for (TWin32SkinTimer** link = &FirstRunning; *link != nullptr; link = &(*link)->FNextRunning)
      if (*link == this) {
        *link = FNextRunning;
        break;
      }
    FNextRunning = nullptr;
  }

  UINT_PTR FId = 0;
  int FInterval = 1000;
  TWin32SkinTimer* FNextRunning = nullptr;
};

}  // namespace

std::unique_ptr<TSkinTimer> MakeSystemSkinTimer() {
  return std::make_unique<TWin32SkinTimer>();
}

}  // namespace pellamy
