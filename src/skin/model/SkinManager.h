// The skin manager's bookkeeping, portable.
//   TSkinTimer          a timer the manager's timed actions run from
//   TManualTimer        a timer driven by hand (tests, and builds without
//                       a system timer)
//   TSkinWindowWork     the manager's window work (the hook, the skinned
//                       frames and popup menus), given by the Windows side
//   TSkinManage         the process-wide skin manager: registered skin data
//                       components, Enabled, ActivationCount, the timed
//                       actions, which skin data a window takes
// and the process-wide SkinManager with its creation and release, and
// SkinTrace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pellamy {

class TSkinData;

// One line of the skin engine's trace; it goes to the sink when one is set
// and nowhere otherwise.
void SkinTrace(const std::string& line);
using TSkinTraceSink = std::function<void(const std::string& line)>;
// Returns the previous sink.
TSkinTraceSink SetSkinTraceSink(TSkinTraceSink sink);
// A fault the engine caught and carried on from (a paint that could not
// get its device context): traced, and counted so tests can see none went
// by unnoticed.
void SkinFault(const std::string& where);
std::size_t SkinFaultCount();

class TSkinTimer {
 public:
  virtual ~TSkinTimer() = default;
  // A counting timer is restarted only by a change of interval; enabling it
  // again or setting the same interval leaves the tick that is due.
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetInterval(int milliseconds) = 0;
  virtual int Interval() const = 0;

  std::function<void()> OnTimer;
};

class TManualTimer : public TSkinTimer {
 public:
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return FEnabled; }
  void SetInterval(int milliseconds) override;
  int Interval() const override { return FInterval; }

  // Lets time pass: every tick that falls due runs OnTimer, which may
  // disable the timer or change its interval.
  void Elapse(int milliseconds);
  // Milliseconds until the next tick, or -1 while disabled.
  int UntilTick() const { return FEnabled ? FInterval - FCounted : -1; }

 private:
  bool FEnabled = false;
  int FInterval = 1000;
  int FCounted = 0;  // milliseconds since the timer started counting
};

// The system's timer, ticking from the thread's message loop; a TManualTimer
// where the platform has none.
std::unique_ptr<TSkinTimer> MakeSystemSkinTimer();

using TSkinTimerFactory = std::function<std::unique_ptr<TSkinTimer>()>;
// The timer a new manager gets; MakeSystemSkinTimer's unless set. Returns
// the previous factory.
TSkinTimerFactory SetSkinTimerFactory(TSkinTimerFactory factory);

// A window as the platform knows it.
using TSkinWindowHandle = void*;

class TSkinManage;

// What the manager does with windows. The Windows side provides it
// (skin/hooks); without one the manager keeps its books and each of these
// only leaves a trace line.
class TSkinWindowWork {
 public:
  virtual ~TSkinWindowWork() = default;
  virtual void InstallHook() = 0;
  virtual bool AddWindow(TSkinWindowHandle window) = 0;
  // Forgets a window's frame without freeing it (the frame is going).
  virtual void RemoveWindow(TSkinWindowHandle window) = 0;
  // skinData has loaded a new skin: the frames wearing it take its metrics
  // and caption buttons at once (the entries they held are gone), so every
  // paint until the timed reskin fits them shows one skin.
  virtual void SkinDataLoaded(TSkinData& skinData) = 0;
  // The window side of a timed action for skinData.
  virtual void DoAction(int action, TSkinData& skinData) = 0;
  virtual int CountMdiChildren() const = 0;
  // A modal loop (a menu, a move or size) runs over the frames now: timed
  // actions wait for its end rather than free a frame under it.
  virtual bool InModalLoop() const { return false; }
};

using TSkinWindowWorkFactory = std::function<std::unique_ptr<TSkinWindowWork>(TSkinManage& manager)>;
// The window work a new manager gets; none unless set. Returns the previous
// factory.
TSkinWindowWorkFactory SetSkinWindowWorkFactory(TSkinWindowWorkFactory factory);

class TSkinManage {
 public:
  static constexpr int kActionSkin = 1;
  static constexpr int kActionUnskin = 2;
  static constexpr int kActionReskin = 3;
  static constexpr int kActionInterval = 250;

  TSkinManage();
  ~TSkinManage();
  TSkinManage(const TSkinManage&) = delete;
  TSkinManage& operator=(const TSkinManage&) = delete;

  // Registers once: a second call for the same component changes nothing.
  void AddSkinData(TSkinData* skinData);
  void RemoveSkinData(TSkinData* skinData);
  const std::vector<TSkinData*>& SkinDatas() const { return FSkinDatas; }

  // Asks for action 1 (skin), 2 (unskin) or 3 (reskin) to run from the timer
  // after delay milliseconds. Before any window has been activated, 1 and 2
  // only switch Enabled and 3 is dropped. A request made while another waits
  // replaces it and runs at the tick already due.
  void RequestAction(int action, int delay);
  // The timer's tick: carries out the pending action for PendingSkinData
  // and fires its skin-changed notification. Nothing while none is
  // designated.
  void DoPendingAction();

  TSkinTimer& ActionTimer() { return *FActionTimer; }
  int PendingAction() const { return FPendingAction; }
  bool ForceChildWindows() const { return FForceChildWindows; }

  // The window work, through TSkinWindowWork when there is one.
  void InstallHook();
  bool AddWindow(TSkinWindowHandle window);
  void RemoveWindow(TSkinWindowHandle window);
  void SkinDataLoaded(TSkinData& skinData);
  int CountMdiChildren() const;
  TSkinWindowWork* WindowWork() const { return FWindowWork.get(); }

  // The skin data a window of that class takes: an only-this-form one whose
  // owner's window it is (the last registered), then for dialog boxes and
  // message boxes the last dialog one, then the last main-form one, then
  // the first registered; null with none registered.
  TSkinData* SelectSkinData(TSkinWindowHandle window, const std::string& className) const;
  // The first main-form skin data's say on a window class; true without one.
  bool CanSkinClass(const std::string& className) const;

  bool Enabled = false;
  std::int32_t ActivationCount = 0;
  TSkinData* PendingSkinData = nullptr;
  TSkinWindowHandle MdiClient = nullptr;

 private:
  void NotAvailable(const char* what);

  std::unique_ptr<TSkinTimer> FActionTimer;
  std::unique_ptr<TSkinWindowWork> FWindowWork;
  std::vector<TSkinData*> FSkinDatas;
  int FPendingAction = 0;
  bool FForceChildWindows = false;
};

// The one manager, null until a skin data component creates it.
extern TSkinManage* SkinManager;
// SkinManager, created first when there is none.
TSkinManage& CreateSkinManager();
// Frees the manager and clears SkinManager (at program end, and in tests).
void FreeSkinManager();

}  // namespace pellamy
