#include "skin/model/SkinManager.h"

#include <algorithm>
#include <atomic>
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
TSkinWindowWorkFactory& WindowWorkFactory() {
  static TSkinWindowWorkFactory factory;
  return factory;
}
std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return text;
}
}  // namespace

void SkinTrace(const std::string& line) {
  if (TraceSink()) TraceSink()(line);
}

namespace {
std::atomic<std::size_t> gFaults{0};
}  // namespace

void SkinFault(const std::string& where) {
  ++gFaults;
  SkinTrace("Caught a fault in " + where);
}

std::size_t SkinFaultCount() {
  return gFaults;
}

TSkinTraceSink SetSkinTraceSink(TSkinTraceSink sink) {
  return std::exchange(TraceSink(), std::move(sink));
}

TSkinTimerFactory SetSkinTimerFactory(TSkinTimerFactory factory) {
  return std::exchange(TimerFactory(), std::move(factory));
}

TSkinWindowWorkFactory SetSkinWindowWorkFactory(TSkinWindowWorkFactory factory) {
  return std::exchange(WindowWorkFactory(), std::move(factory));
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
  if (WindowWorkFactory()) FWindowWork = WindowWorkFactory()(*this);
}

TSkinManage::~TSkinManage() {
  FActionTimer.reset();
  // The hook goes with the window work; SkinManager is still this while the
  // frames it frees ask for it.
  FWindowWork.reset();
}

void TSkinManage::AddSkinData(TSkinData* skinData) {
  if (std::find(FSkinDatas.begin(), FSkinDatas.end(), skinData) == FSkinDatas.end()) FSkinDatas.push_back(skinData);
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
  // The timer keeps running: the action is tried again at its next tick.
  if (FWindowWork && FWindowWork->InModalLoop()) return;
  FActionTimer->SetEnabled(false);
  const bool ownerOnly = s->SkinFormtype() == TSkinFormType::sfOnlyThisForm;
  switch (FPendingAction) {
    case kActionSkin:
      Enabled = true;
      FForceChildWindows = true;
      if (FWindowWork)
        FWindowWork->DoAction(kActionSkin, *s);
      else
        NotAvailable(ownerOnly ? "AddForm (the owner form)" : "AddForm (every form)");
      FForceChildWindows = false;
      break;
    case kActionUnskin:
      Enabled = false;
      if (FWindowWork)
        FWindowWork->DoAction(kActionUnskin, *s);
      else
        NotAvailable(ownerOnly ? "UnskinForm (the owner form)" : "UnskinForm (every form)");
      break;
    case kActionReskin:
      if (FWindowWork)
        FWindowWork->DoAction(kActionReskin, *s);
      else
        NotAvailable("ApplySkinChange");
      break;
    default:
      break;
  }
  s->SkinChanged();
  PendingSkinData = nullptr;
}

void TSkinManage::NotAvailable(const char* what) {
  SkinTrace(std::string("TSkinManage.") + what + ": not available without window work");
}

void TSkinManage::InstallHook() {
  if (FWindowWork)
    FWindowWork->InstallHook();
  else
    NotAvailable("InstallHook");
}

bool TSkinManage::AddWindow(TSkinWindowHandle window) {
  if (FWindowWork) return FWindowWork->AddWindow(window);
  NotAvailable("AddWindow");
  return false;
}

void TSkinManage::RemoveWindow(TSkinWindowHandle window) {
  if (FWindowWork) FWindowWork->RemoveWindow(window);
}

void TSkinManage::SkinDataLoaded(TSkinData& skinData) {
  if (FWindowWork)
    FWindowWork->SkinDataLoaded(skinData);
  else
    NotAvailable("SkinDataLoaded");
}

int TSkinManage::CountMdiChildren() const {
  return FWindowWork ? FWindowWork->CountMdiChildren() : 0;
}

TSkinData* TSkinManage::SelectSkinData(TSkinWindowHandle window, const std::string& className) const {
  TSkinData* found = nullptr;
  if (TSkinData::FormWindowOf) {
    for (TSkinData* s : FSkinDatas)
      if (s->SkinFormtype() == TSkinFormType::sfOnlyThisForm && s->Owner() != nullptr &&
          TSkinData::FormWindowOf(s->Owner()) == window)
        found = s;
    if (found != nullptr) return found;
  }
  const std::string cls = Lower(className);
  if (cls == "tmessageform" || cls == "#32770") {
    for (TSkinData* s : FSkinDatas)
      if (s->SkinFormtype() == TSkinFormType::sfDialog) found = s;
    if (found != nullptr) return found;
  }
  for (TSkinData* s : FSkinDatas)
    if (s->SkinFormtype() == TSkinFormType::sfMainform) found = s;
  if (found != nullptr) return found;
  return FSkinDatas.empty() ? nullptr : FSkinDatas.front();
}

bool TSkinManage::CanSkinClass(const std::string& className) const {
  for (TSkinData* s : FSkinDatas)
    if (s->SkinFormtype() == TSkinFormType::sfMainform) {
      bool doSkin = true;
      s->FormSkin(className, doSkin);
      return doSkin;
    }
  return true;
}

}  // namespace pellamy
