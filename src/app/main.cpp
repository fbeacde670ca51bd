// Pellamy.exe: start-up, the message loop and close-down.
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <memory>

#include "app/MainUnit.h"
#include "base/Exceptions.h"
#include "gui/forms/Application.h"
#include "gui/gdi/WideText.h"
#include "ripper/CueSheet.h"
#include "ripper/DriveFaults.h"
#include "ripper/DriveScan.h"
#include "ripper/RipSettings.h"
#include "ripper/RipperThread.h"
#include "ripper/VirtualCdDeviceIo.h"
#include "skin/hooks/SkinWindows.h"
#include "skin/model/SkinManager.h"

namespace {

// --virtual-cd[=FILE.cue] adds the virtual drive, --virtual-cd-faults=FILE
// makes it faulty, --read-offset=N sets the drive's offset; nothing else is
// taken.
bool VirtualCdArgument(std::string& cue, std::string& faults) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  bool wanted = false;
  for (int i = 1; argv != nullptr && i < argc; ++i) {
    const std::string arg = pellamy::WideToUtf8(argv[i]);
    if (arg == "--virtual-cd") {
      wanted = true;
    } else if (arg.rfind("--virtual-cd=", 0) == 0) {
      wanted = true;
      cue = arg.substr(13);
    } else if (arg.rfind("--virtual-cd-faults=", 0) == 0) {
      faults = arg.substr(20);
    } else if (arg.rfind("--read-offset=", 0) == 0) {
      pellamy::RipSettings().ReadOffset = pellamy::ParseReadOffsetOption(arg.substr(14));
      pellamy::RipSettings().OffsetGiven = true;
    }
  }
  LocalFree(argv);
  return wanted;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  using namespace pellamy;
  OleInitialize(nullptr);
  auto application = std::make_unique<TApplication>();
  application->Initialize();
  // Before the main window: its skin data makes the manager while it loads.
  UseSkinWindows();

  std::unique_ptr<VirtualCdDeviceIo> virtualDrive;
  std::string cue, faults;
  bool wanted = false;
  try {
    wanted = VirtualCdArgument(cue, faults);
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::string program = length > 0 && length < MAX_PATH ? WideToUtf8(path) : "";
    LoadProgramIni(program.substr(0, program.find_last_of("/\\") + 1));
  } catch (const std::exception& e) {
    application->ShowException(e.what());
    return 1;
  }
  if (wanted) {
    try {
      const char letter = FirstFreeDriveLetter();
      if (letter == 0) throw Exception("No free drive letter for the virtual CD drive");
      virtualDrive = std::make_unique<VirtualCdDeviceIo>(letter, cue.empty() ? MakeDemoDisc() : LoadCueImage(cue),
                                                         &PlatformDeviceIo());
      if (!faults.empty()) virtualDrive->SetFaults(LoadDriveFaults(faults));
      SetDeviceIo(virtualDrive.get());
    } catch (const std::exception& e) {
      application->ShowException(e.what());
      return 1;
    }
  }

  application->CreateForm<TMainForm>();
  application->Run();
  // Workers end before the window goes (closing waits for them); this is
  // for a close that came some other way.
  WaitForRipsToEnd();
  application.reset();
  // The skin engine's module goes last, its hook with it.
  FreeSkinManager();
  SetDeviceIo(nullptr);
  OleUninitialize();
  return 0;
}
