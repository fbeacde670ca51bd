// Figures of the main window on the virtual demo disc:
//   start-up: from the process's creation to the end of the main window's
//   first paint; drive selection: one cbbSourceDriverSelect (median of 50).
// Prints "startup_ms N" and "select_ms N" to the file given as argument.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/MainUnit.h"
#include "gui/forms/Application.h"
#include "ripper/DriveScan.h"
#include "ripper/VirtualCdDeviceIo.h"

using namespace pellamy;

namespace {
double Ms(LONGLONG ticks) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(f.QuadPart);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto app = std::make_unique<TApplication>();
  app->Initialize();
  VirtualCdDeviceIo drive(FirstFreeDriveLetter(), MakeDemoDisc(), &PlatformDeviceIo());
  SetDeviceIo(&drive);
  TMainForm* form = app->CreateForm<TMainForm>();
  bool painted = false;
  TWndMethod old = form->WindowProc;
  form->WindowProc = [&](TMessage& m) {
    old(m);
    if (m.Msg == WM_PAINT && !painted) {
      painted = true;
      GetSystemTimeAsFileTime(&now);
    }
  };
  form->Show();
  while (!painted) app->ProcessMessages();
  const auto since = [](const FILETIME& a, const FILETIME& b) {
    ULARGE_INTEGER x{{a.dwLowDateTime, a.dwHighDateTime}}, y{{b.dwLowDateTime, b.dwHighDateTime}};
    return static_cast<double>(y.QuadPart - x.QuadPart) / 10000.0;
  };
  const double startup = since(created, now);

  std::vector<double> selects;
  for (int i = 0; i < 50; ++i) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    form->cbbSourceDriverSelect(nullptr);
    QueryPerformanceCounter(&b);
    selects.push_back(Ms(b.QuadPart - a.QuadPart));
  }
  std::sort(selects.begin(), selects.end());
  form->WindowProc = old;
  FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) return 1;
  std::fprintf(out, "startup_ms %.1f\nselect_ms %.3f\n", startup, selects[selects.size() / 2]);
  std::fclose(out);
  app.reset();
  SetDeviceIo(nullptr);
  return 0;
}
