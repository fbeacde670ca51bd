// Repaint of the whole gallery form (frame, client and every child control)
// skinned with the skin file given, and unskinned, in the same run: rounds
// of 20 repaints each way, switching the skin off and on between them.
// Writes "name value" lines (medians in ms) to the file given first.
//   bench_gallery.exe OUT SKINFILE
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "GalleryForm.h"
#include "gui/forms/Application.h"
#include "gui/gdi/WideText.h"
#include "skin/hooks/SkinWindows.h"

using namespace pellamy;
using namespace pellamy::gallery;

namespace {

double Ms(LONGLONG ticks) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(f.QuadPart);
}

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    Application()->ProcessMessages();
    Sleep(2);
  }
}

template <class Done>
bool PumpUntil(Done done, DWORD limit = 5000) {
  const DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < limit) {
    Application()->ProcessMessages();
    Sleep(2);
  }
  return done();
}

// One repaint of everything the form shows, finished.
double Repaint(HWND window) {
  LARGE_INTEGER a, b;
  QueryPerformanceCounter(&a);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();
  QueryPerformanceCounter(&b);
  return Ms(b.QuadPart - a.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr || count < 3) return 2;
  const std::wstring out = argv[1];
  const std::string skin = WideToUtf8(argv[2]);
  LocalFree(argv);
  OleInitialize(nullptr);
  int status = 0;
  {
    TApplication application;
    application.Initialize();
    UseSkinWindows();
    auto* form = new TGalleryForm(&application, skin);
    application.AddForm(form);
    form->Show();
    HWND window = form->Handle();
    SetForegroundWindow(window);
    const auto skinned = [&] {
      TWinSkinForm* frame = SkinWindows() != nullptr ? SkinWindows()->FindSkinForm(window) : nullptr;
      return frame != nullptr && frame->LifePhase() == TFramePhase::Active;
    };
    std::vector<double> withSkin, without;
    for (int round = 0; round < 5 && status == 0; ++round) {
      if (!PumpUntil(skinned)) status = 3;
      Pump(100);
      for (int i = 0; i < 20; ++i) withSkin.push_back(Repaint(window));
      form->ChooseNoSkin();
      if (!PumpUntil([&] { return !skinned(); })) status = 4;
      Pump(100);
      for (int i = 0; i < 20; ++i) without.push_back(Repaint(window));
      form->ChooseSkin(skin);
      SetForegroundWindow(window);
    }
    if (FILE* f = _wfopen(out.c_str(), L"w")) {
      std::fprintf(f, "skinned_repaint_ms %.3f\nplain_repaint_ms %.3f\n", Median(withSkin), Median(without));
      std::fclose(f);
    } else {
      status = 5;
    }
    form->Close();
    Pump(200);
  }
  OleUninitialize();
  return status;
}
