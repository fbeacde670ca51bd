// SkinWindows: the skin manager's window work, Windows only.
//   TSkinWindows   the CBT hook on the UI thread, the skinned frames of the
//                  process (SkinForms) and the popup menu skinners, and the
//                  window side of the manager's timed actions
//   UseSkinWindows gives the manager its window work; a program calls it
//                  once at start (the portable build has none)
// and WindowsVersion, IsWinNT.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/frame/SkinMenuItems.h"
#include "skin/frame/WinSkinForm.h"
#include "skin/hooks/WinSkinPopMenu.h"
#include "skin/model/SkinManager.h"

namespace pellamy {

class TForm;

// GetVersion's answer, recorded by InstallHook; the high bit marks the 9x
// family.
extern DWORD WindowsVersion;
// The platform is of the NT family.
extern bool IsWinNT;

class TSkinWindows : public TSkinWindowWork, public TPopupBackgrounds {
 public:
  explicit TSkinWindows(TSkinManage& manager);
  ~TSkinWindows() override;

  void InstallHook() override;
  bool AddWindow(TSkinWindowHandle window) override;
  void RemoveWindow(TSkinWindowHandle window) override;
  void SkinDataLoaded(TSkinData& skinData) override;
  void DoAction(int action, TSkinData& skinData) override;
  int CountMdiChildren() const override;
  bool InModalLoop() const override;

  bool AddForm(TForm* form);
  TWinSkinForm* FindSkinForm(HWND window) const;
  void PurgeDestroyedForms();
  static bool IsPlainChildWindow(HWND window);
  bool CanSkinClass(const std::string& className) const;

  void AddPopupWindow(HWND window);
  void RemovePopupWindow(HWND window);
  bool IsPopupWindowSkinned(HWND window) const;
  // The border image of the popup skinner showing menu, or null.
  TBitmap* GetPopupBitmap(HMENU menu) const;
  // The skinned items' background: the skinner of the window drawing into
  // itemDc (or of the window showing menu, or the one waiting in the
  // current-popup slot) learns its menu and hands out its image.
  TBitmap* Background(HMENU menu, HDC itemDc, POINT& origin) override;

  HHOOK HookHandle() const { return FHook; }
  const std::vector<TWinSkinForm*>& SkinForms() const { return FSkinForms; }
  const std::vector<std::unique_ptr<TWinSkinPopMenu>>& PopupSkinners() const { return FPopupSkinners; }

  // The CBT hook's work for one event; public for the hook procedure.
  bool HookEvent(int code, WPARAM wparam, LPARAM lparam);

 private:
  void Unskin(TWinSkinForm* form);
  void Free(TWinSkinForm* form);

  TSkinManage& FManager;
  HHOOK FHook = nullptr;
  std::vector<TWinSkinForm*> FSkinForms;
  std::vector<std::unique_ptr<TWinSkinPopMenu>> FPopupSkinners;
};

// The manager's window work, or null when there is no manager or it has
// none.
TSkinWindows* SkinWindows();

void UseSkinWindows();

}  // namespace pellamy
