// Figures of the main window on the virtual demo disc, skinned when rip.tmp
// is in the current directory (as Pellamy.exe loads it), unskinned when not:
//   start-up: from the process's creation to the end of the main window's
//   first client paint, and (skinned) to the end of its frame's first paint
//   on the shown window; the same from the start of main();
//   frame paint: one full paint of the frame, skinned TWinSkinForm::PaintFrame
//   or unskinned Wine's own WM_NCPAINT (median of 200);
//   reskin (skinned): a new SkinFile to the repainted frame (median of 50),
//   alternating rip.tmp and a copy of it under another name;
//   drive selection: one cbbSourceDriverSelect (median of 50).
// Writes "name value" lines to the file given as argument.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

#include "app/MainUnit.h"
#include "gui/forms/Application.h"
#include "ripper/DriveScan.h"
#include "ripper/VirtualCdDeviceIo.h"
#include "skin/hooks/SkinWindows.h"
#include "skin/model/SkinManager.h"

using namespace pellamy;

namespace {

double Ms(LONGLONG ticks) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(f.QuadPart);
}

// Median of count timed calls of work, in ms; after(i) runs untimed.
double Median(int count, const std::function<void(int)>& work, const std::function<void()>& after = nullptr) {
  std::vector<double> times;
  for (int i = 0; i < count; ++i) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    work(i);
    QueryPerformanceCounter(&b);
    times.push_back(Ms(b.QuadPart - a.QuadPart));
    if (after) after();
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

double Since(const FILETIME& a, const FILETIME& b) {
  ULARGE_INTEGER x{{a.dwLowDateTime, a.dwHighDateTime}}, y{{b.dwLowDateTime, b.dwHighDateTime}};
  return static_cast<double>(y.QuadPart - x.QuadPart) / 10000.0;
}

TWinSkinForm* ActiveFrame(HWND window) {
  TWinSkinForm* frame = SkinWindows() != nullptr ? SkinWindows()->FindSkinForm(window) : nullptr;
  return frame != nullptr && frame->LifePhase() == TFramePhase::Active ? frame : nullptr;
}

// The end of the first frame paint of the skinned window: the skin fits a
// form before it is first shown, so that paint comes within the show, in
// its first WM_NCPAINT, and is watched from a subclass over the frame's.
TFormShowingHook gSkinShowing = nullptr;
FILETIME gFramed{};
bool gFramedSeen = false;

LRESULT CALLBACK WatchFrame(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  const LRESULT result = DefSubclassProc(hwnd, msg, wparam, lparam);
  if (msg == WM_NCPAINT && !gFramedSeen && ActiveFrame(hwnd) != nullptr) {
    gFramedSeen = true;
    GetSystemTimeAsFileTime(&gFramed);
  }
  return result;
}

void WatchShowing(TForm* form) {
  if (gSkinShowing != nullptr) gSkinShowing(form);
  SetWindowSubclass(form->Handle(), &WatchFrame, 0x42454E43, 0);
}

// Everything queued, so that no earlier work lands in the next timing.
void Settle(TApplication& app) {
  for (int i = 0; i < 20; ++i) {
    app.ProcessMessages();
    Sleep(5);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  FILETIME created, exited, kernel, user, entered, painted{}, framed{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  // Also from here: what Wine spends starting the process is the same
  // skinned or not, and on a loaded machine it is most of the spread.
  GetSystemTimeAsFileTime(&entered);
  auto app = std::make_unique<TApplication>();
  app->Initialize();
  // As Pellamy.exe does: before the main window, skinned or not.
  UseSkinWindows();
  gSkinShowing = SetFormShowingHook(&WatchShowing);
  VirtualCdDeviceIo drive(FirstFreeDriveLetter(), MakeDemoDisc(), &PlatformDeviceIo());
  SetDeviceIo(&drive);
  TMainForm* form = app->CreateForm<TMainForm>();
  const bool skinned = !form->SkinData1->SkinEmpty;
  bool clientPainted = false;
  TWndMethod old = form->WindowProc;
  form->WindowProc = [&](TMessage& m) {
    old(m);
    if (m.Msg == WM_PAINT && !clientPainted) {
      clientPainted = true;
      GetSystemTimeAsFileTime(&painted);
    }
  };
  form->Show();
  SetForegroundWindow(form->Handle());
  // Our own loop, so the end of the message that made the frame active (the
  // activation, which ends with the frame's first paint) is seen as it ends.
  bool framePainted = !skinned || gFramedSeen;
  if (gFramedSeen) framed = gFramed;
  const DWORD start = GetTickCount();
  while (!(clientPainted && framePainted) && GetTickCount() - start < 10000) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (!framePainted && ActiveFrame(form->Handle()) != nullptr) {
      framePainted = true;
      GetSystemTimeAsFileTime(&framed);
    }
    if (gFramedSeen && !framePainted) framePainted = true, framed = gFramed;
  }
  form->WindowProc = old;
  RemoveWindowSubclass(form->Handle(), &WatchFrame, 0x42454E43);
  SetFormShowingHook(gSkinShowing);
  if (!(clientPainted && framePainted)) return 3;
  Settle(*app);

  HWND window = form->Handle();
  TWinSkinForm* frame = ActiveFrame(window);
  if (skinned && frame == nullptr) return 4;
  const double framePaint = skinned ? Median(200, [&](int) { frame->PaintFrame(); })
                                    : Median(200, [&](int) { SendMessageW(window, WM_NCPAINT, 1, 0); });

  double reskin = 0, reskinSettled = 0;
  if (skinned) {
    const std::string first = form->SkinData1->SkinFile();
    const std::string other = (std::filesystem::temp_directory_path() / "pellamy-bench-reskin.tmp").string();
    std::error_code error;
    if (!std::filesystem::copy_file(first, other, std::filesystem::copy_options::overwrite_existing, error)) return 5;
    // The new file is read, the skin data asks for a reskin, and the
    // manager's action repaints the frame at once instead of 250 ms later.
    const auto change = [&](int i) {
      form->SkinData1->SetSkinFile(i % 2 == 0 ? other : first);
      SkinManager->DoPendingAction();
    };
    reskin = Median(50, change, [&] { Settle(*app); });
    // The same with what the change left queued for the window (its client
    // repaint) carried out inside the timing.
    reskinSettled = Median(
        50,
        [&](int i) {
          change(i);
          app->ProcessMessages();
        },
        [&] { Settle(*app); });
    frame = ActiveFrame(window);
    if (frame == nullptr || form->SkinData1->SkinEmpty) return 6;
    std::filesystem::remove(other, error);
  }

  const double select = Median(50, [&](int) { form->cbbSourceDriverSelect(nullptr); });
  FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) return 1;
  std::fprintf(out, "skinned %d\nstartup_ms %.1f\nmain_to_paint_ms %.1f\nframe_paint_ms %.4f\nselect_ms %.3f\n",
               skinned ? 1 : 0, Since(created, painted), Since(entered, painted), framePaint, select);
  if (skinned)
    std::fprintf(out, "first_frame_ms %.1f\nmain_to_frame_ms %.1f\nreskin_ms %.3f\nreskin_settled_ms %.3f\n",
                 Since(created, framed), Since(entered, framed), reskin, reskinSettled);
  std::fclose(out);
  app.reset();
  // The skin engine's module goes last, its hook with it.
  FreeSkinManager();
  SetDeviceIo(nullptr);
  return 0;
}
