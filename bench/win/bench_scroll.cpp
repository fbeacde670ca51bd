// Scrolling the main window's track list of a 99-track disc by dragging its
// thumb with the mouse, skinned with rip.tmp from the current directory and
// then, in the same run, unskinned: frames per second, counted as the list's
// paints while a helper thread drags the thumb down and up at one move per
// millisecond (faster than either way can paint, so the count is what the
// window keeps up with). Three drags each way; the median.
// Writes "name value" lines to the file given as argument.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "app/MainUnit.h"
#include "gui/forms/Application.h"
#include "ripper/DriveScan.h"
#include "ripper/VirtualCdDeviceIo.h"
#include "ripper/VirtualDisc.h"
#include "skin/hooks/SkinWindows.h"

using namespace pellamy;

namespace {

void Pump(TApplication& app, DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    app.ProcessMessages();
    Sleep(2);
  }
}

// One drag of the thumb from its place to the bar's end and back; returns
// the list's paints per second while it lasted.
double Drag(TApplication& app, TListView* list, std::atomic<int>& paints) {
  HWND window = list->Handle();
  SCROLLBARINFO bar{};
  bar.cbSize = sizeof bar;
  if (!GetScrollBarInfo(window, OBJID_VSCROLL, &bar)) return 0;
  const int x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
  const int top = bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2;
  const int travel =
      (bar.rcScrollBar.bottom - bar.rcScrollBar.top) - bar.dxyLineButton * 2 - (bar.xyThumbBottom - bar.xyThumbTop);
  std::atomic<bool> done{false};
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  SetCursorPos(x, top);
  Pump(app, 100);
  paints = 0;
  QueryPerformanceCounter(&a);
  // The press starts the system's tracking loop on this thread, which only
  // the release ends: the moves come from another thread.
  std::thread mover([&] {
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    for (int pass = 0; pass < 2; ++pass)
      for (int i = 0; i <= travel; ++i) {
        SetCursorPos(x, top + (pass == 0 ? i : travel - i));
        mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
        Sleep(1);
      }
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    done = true;
  });
  while (!done) {
    app.ProcessMessages();
    Sleep(0);
  }
  mover.join();
  Pump(app, 50);
  QueryPerformanceCounter(&b);
  const double seconds = static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
  return seconds > 0 ? paints / seconds : 0;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  auto app = std::make_unique<TApplication>();
  app->Initialize();
  UseSkinWindows();
  std::vector<std::int32_t> starts;
  for (int i = 0; i < 99; ++i) starts.push_back(i * 450);
  VirtualCdDeviceIo drive(
      FirstFreeDriveLetter(),
      MakeGeneratedDisc(starts, 99 * 450,
                        [](std::int32_t, std::uint8_t* out) { std::fill(out, out + 2352, std::uint8_t{0}); }),
      &PlatformDeviceIo());
  SetDeviceIo(&drive);
  TMainForm* form = app->CreateForm<TMainForm>();
  if (form->SkinData1->SkinEmpty) return 3;
  form->Show();
  SetForegroundWindow(form->Handle());
  Pump(*app, 500);
  if (form->lvCdTracks->ItemCount() != 99) return 4;
  std::atomic<int> paints{0};
  form->lvCdTracks->AddWindowHook(&paints, [&](TMessage& m, const TWndMethod& next) {
    if (m.Msg == WM_PAINT) ++paints;
    next(m);
  });
  std::vector<double> skinned, plain;
  for (int i = 0; i < 3; ++i) skinned.push_back(Drag(*app, form->lvCdTracks, paints));
  form->SkinData1->SetActive(false);
  Pump(*app, 500);
  if (SkinWindows() != nullptr && SkinWindows()->FindSkinForm(form->Handle()) != nullptr) return 5;
  for (int i = 0; i < 3; ++i) plain.push_back(Drag(*app, form->lvCdTracks, paints));
  form->lvCdTracks->RemoveWindowHook(&paints);
  FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) return 1;
  std::fprintf(out, "skinned_fps %.1f\nplain_fps %.1f\n", Median(skinned), Median(plain));
  std::fclose(out);
  form->Close();
  Pump(*app, 200);
  return 0;
}
