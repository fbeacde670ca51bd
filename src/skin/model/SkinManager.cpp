#include "skin/model/SkinManager.h"

#include <algorithm>
#include <utility>

#include "skin/model/WinSkinData.h"

namespace pellamy {

namespace {
TSkinTraceSink& TraceSink() {
  static TSkinTraceSink sink;
  return sink;
}
TSkinTimerFactory& TimerFactory() {
  static TSkinTimerFactory factory;
  return factory;
}
}  // namespace

void SkinTrace(const std::string& line) {
  if (TraceSink()) TraceSink()(line);
}

TSkinTraceSink SetSkinTraceSink(TSkinTraceSink sink) {
  return std::exchange(TraceSink(), std::move(sink));
}

TSkinTimerFactory SetSkinTimerFactory(TSkinTimerFactory factory) {
  return std::exchange(TimerFactory(), std::move(factory));
}

void TManualTimer::SetEnabled(bool enabled) {
  if (enabled == FEnabled) return;
  FEnabled = enabled;
  FCounted = 0;
}

void TManualTimer::SetInterval(int milliseconds) {
  if (milliseconds == FInterval) return;
  FInterval = std::max(1, milliseconds);
  FCounted = 0;
}

void TManualTimer::Elapse(int milliseconds) {
  while (FEnabled && milliseconds > 0) {
    const int step = std::min(milliseconds, FInterval - FCounted);
    FCounted += step;
    milliseconds -= step;
    if (FCounted >= FInterval) {
      FCounted = 0;
      if (OnTimer) OnTimer();
    }
  }
}

#ifndef _WIN32
std::unique_ptr<TSkinTimer> MakeSystemSkinTimer() {
  return std::make_unique<TManualTimer>();
}
#endif

TSkinManage* SkinManager = nullptr;

namespace {
// The manager goes when the program's modules are finalised.
struct TSkinManagerFinalization {
  ~TSkinManagerFinalization() { FreeSkinManager(); }
} SkinManagerFinalization;
}  // namespace

TSkinManage& CreateSkinManager() {
  if (SkinManager == nullptr) SkinManager = new TSkinManage();
  return *SkinManager;
}

void FreeSkinManager() {
  delete SkinManager;
  SkinManager = nullptr;
}

TSkinManage::TSkinManage() {
  FActionTimer = TimerFactory() ? TimerFactory()() : MakeSystemSkinTimer();
  FActionTimer->SetEnabled(false);
  FActionTimer->SetInterval(kActionInterval);
  FActionTimer->OnTimer = [this] { DoPendingAction(); };
}

TSkinManage::~TSkinManage() {
  FActionTimer.reset();
}

void TSkinManage::AddSkinData(TSkinData* skinData) {
  FSkinDatas.push_back(skinData);
}

void TSkinManage::RemoveSkinData(TSkinData* skinData) {
  const auto it = std::find(FSkinDatas.begin(), FSkinDatas.end(), skinData);
  if (it != FSkinDatas.end()) FSkinDatas.erase(it);
  if (PendingSkinData == skinData) PendingSkinData = nullptr;
}

void TSkinManage::RequestAction(int action, int delay) {
  FPendingAction = action;
  FActionTimer->SetInterval(delay);
  if (ActivationCount != 0) {
    FActionTimer->SetEnabled(true);
    return;
  }
  // No window has been activated yet: the first one to be is skinned by the
  // hook, so only whether it should be matters.
  if (action == kActionSkin) Enabled = true;
  if (action == kActionUnskin) Enabled = false;
}

void TSkinManage::DoPendingAction() {
  TSkinData* const s = PendingSkinData;
  if (s == nullptr) return;
  FActionTimer->SetEnabled(false);
  const bool ownerOnly = s->SkinFormtype() == TSkinFormType::sfOnlyThisForm;
  switch (FPendingAction) {
    case kActionSkin:
      Enabled = true;
      FForceChildWindows = true;
      NotAvailable(ownerOnly ? "AddForm (the owner form)" : "AddForm (every form)");
      FForceChildWindows = false;
      break;
    case kActionUnskin:
      Enabled = false;
      NotAvailable(ownerOnly ? "UnskinForm (the owner form)" : "UnskinForm (every form)");
      break;
    case kActionReskin:
      NotAvailable("ApplySkinChange");
      break;
    default:
      break;
  }
  s->SkinChanged();
  PendingSkinData = nullptr;
}

void TSkinManage::NotAvailable(const char* what) {
  SkinTrace(std::string("TSkinManage.") + what + ": not available yet");
}

void TSkinManage::InstallHook() {
  NotAvailable("InstallHook");
}

bool TSkinManage::AddWindow(TSkinWindowHandle) {
  NotAvailable("AddWindow");
  return false;
}

void TSkinManage::ClearAllCaptionButtons() {
  NotAvailable("ClearAllCaptionButtons");
}

}  // namespace pellamy
