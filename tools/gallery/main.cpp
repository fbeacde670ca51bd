// gallery.exe: both gallery forms, open at start.
#include <objbase.h>
#include <windows.h>

#include <memory>

#include "GalleryForm.h"
#include "GalleryMdi.h"
#include "gui/forms/Application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  using namespace pellamy;
  using namespace pellamy::gallery;
  OleInitialize(nullptr);
  auto application = std::make_unique<TApplication>();
  application->Initialize();
  auto* form = application->CreateForm<TGalleryForm>();
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
