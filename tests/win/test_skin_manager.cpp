// The skin manager's timed actions on the system timer: requests run from
// the message loop, not at once, and a request made while another waits
// replaces it.
#include <gtest/gtest.h>
#include <windows.h>

#include "skin/model/SkinManager.h"
#include "skin/model/WinSkinData.h"

namespace pellamy {
namespace {

// Dispatches the thread's messages until done() or about limit milliseconds.
template <class Done>
bool PumpUntil(Done done, DWORD limit = 5000) {
  const DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < limit) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (!done()) Sleep(5);
  }
  return done();
}

TEST(SkinManager, TimedActionsRunFromTheMessageLoop) {
  FreeSkinManager();
  TSkinData skin(nullptr);
  int changed = 0;
  skin.OnSkinChanged = [&changed](TComponent*) { ++changed; };
  TSkinManage& manager = CreateSkinManager();
  manager.ActivationCount = 1;
  manager.PendingSkinData = &skin;

  manager.RequestAction(TSkinManage::kActionSkin, TSkinManage::kActionInterval);
  EXPECT_TRUE(manager.ActionTimer().Enabled());
  EXPECT_EQ(changed, 0) << "not at once";
  ASSERT_TRUE(PumpUntil([&] { return changed == 1; }));
  EXPECT_TRUE(manager.Enabled);
  EXPECT_FALSE(manager.ActionTimer().Enabled());
  EXPECT_EQ(manager.PendingSkinData, nullptr);

  manager.PendingSkinData = &skin;
  manager.RequestAction(TSkinManage::kActionSkin, TSkinManage::kActionInterval);
  manager.RequestAction(TSkinManage::kActionUnskin, TSkinManage::kActionInterval);
  ASSERT_TRUE(PumpUntil([&] { return changed == 2; }));
  EXPECT_FALSE(manager.Enabled) << "the last request";
  PumpUntil([] { return false; }, 700);  // nothing else is due
  EXPECT_EQ(changed, 2);
  FreeSkinManager();
}

}  // namespace
}  // namespace pellamy
