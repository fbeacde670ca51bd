// The skin manager's timed actions on the system timer: requests run from
// the message loop, not at once, and a request made while another waits
// replaces it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

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

// The gallery's way out: a reskin still due as the program ends, so the
// manager, freed with the program's statics, stops a running timer then.
// Its suite runs with Wine's heap checks (see CMakeLists.txt), so memory
// touched after its release faults rather than going by.
TEST(SkinManagerDeathTest, AProgramEndingWithAnActionDueExitsCleanly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // A fault ends the child at once, with its own code, rather than
        // waiting on a debugger.
        AddVectoredExceptionHandler(1, [](EXCEPTION_POINTERS* e) -> LONG {
          if (e->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION)
            TerminateProcess(GetCurrentProcess(), 0xFA);
          return EXCEPTION_CONTINUE_SEARCH;
        });
        TSkinManage& manager = CreateSkinManager();
        manager.ActivationCount = 1;
        manager.RequestAction(TSkinManage::kActionReskin, TSkinManage::kActionInterval);
        std::exit(manager.ActionTimer().Enabled() ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace pellamy
