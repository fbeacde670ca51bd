// gallery.exe [--skin=FILE]: both gallery forms, open at start, skinned with
// FILE, or with rip.tmp from the gallery's own folder.
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "GalleryForm.h"
#include "GalleryMdi.h"
#include "GallerySkins.h"
#include "gui/forms/Application.h"
#include "gui/gdi/WideText.h"
#include "skin/hooks/SkinWindows.h"

namespace {

std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(pellamy::WideToUtf8(argv[i]));
  LocalFree(argv);
  return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  using namespace pellamy;
  using namespace pellamy::gallery;
  const TGalleryOptions options = ParseGalleryOptions(Arguments(), ProgramFolder());
  if (!options.Error.empty()) {
    MessageBoxW(nullptr, Utf8ToWide(options.Error).c_str(), L"gallery", MB_ICONERROR | MB_OK);
    return 2;
  }
  OleInitialize(nullptr);
  auto application = std::make_unique<TApplication>();
  application->Initialize();
  // Before the forms: the main form's skin data makes the manager while it loads.
  UseSkinWindows();
  // Made as CreateForm makes a form, with the skin to start with.
  auto* form = new TGalleryForm(application.get(), options.SkinFile);
  application->AddForm(form);
  auto* mdi = application->CreateForm<TGalleryMdiForm>();
  form->Show();
  mdi->Show();
  mdi->NewChild();
  mdi->NewChild();
  application->Run();
  application.reset();
  OleUninitialize();
  return 0;
}
