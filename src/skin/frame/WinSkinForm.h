// WinSkinForm: the skinned frame of one top-level window.
//   TNCObject      a clickable item of the non-client area (hover, press)
//   TWinSysButton  a title-bar button, drawn from its SysButtons entry
//   TWinSkinForm   takes the window's procedure (and a library form's
//                  message hook), removes the system caption, answers the
//                  non-client size, hit-test and paint messages from the
//                  skin's border pieces, cuts the window region from their
//                  transparent pixels, tracks the caption buttons and
//                  carries out their actions; undoes all of it on detach.
// The geometry rules are portable (skin/layout/FrameLayout.h); this file is
// the window side.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Component.h"
#include "gui/controls/Controls.h"
#include "gui/gdi/Bitmap.h"
#include "gui/gdi/GdiHandles.h"
#include "skin/controls/WinSubClass.h"
#include "skin/layout/FrameLayout.h"
#include "skin/model/WinSkinData.h"

namespace pellamy {

class TForm;
class TPopupMenu;
class TWinSkinForm;
class TWinSkinMenu;

// The skin engine's private window messages.
inline constexpr UINT kSkinChangedNotice = 0x3401;
inline constexpr UINT kRepaintFrame = 0x3502;
inline constexpr UINT kActivateSkinned = 0x3503;
inline constexpr UINT kSkinnedQuery = 0x3504;

class TNCObject {
 public:
  explicit TNCObject(TWinSkinForm* owner) : Owner(owner) {}
  virtual ~TNCObject() = default;
  TNCObject(const TNCObject&) = delete;
  TNCObject& operator=(const TNCObject&) = delete;

  virtual void MouseDown();
  virtual void MouseUp();
  virtual void MouseMove();
  virtual void MouseLeave();
  virtual void Paint() {}

  TWinSkinForm* Owner;
  RECT Bounds{};  // window coordinates
  bool Visible = false;
  int State = 1;  // 1 normal, 2 pressed, 3 hot
};

class TWinSysButton : public TNCObject {
 public:
  TWinSysButton(TWinSkinForm* owner, TDataSkinSysButton* data) : TNCObject(owner), ButtonData(data) {}
  void Paint() override;

  TDataSkinSysButton* ButtonData;  // the skin data's entry, not owned
};

// Phases of a skinned frame's life.
enum TFramePhase : int {
  phAttached = 0,
  phActive = 1,
  phApplyingSkin = 3,
  phDestroying = 4,
  phFitting = 5,
  phDestroyed = 6,
};

// MDI roles of the skinned window.
enum TMdiKind : int { mkNone = 0, mkFrame = 1, mkChild = 2 };

class TWinSkinForm : public TComponent, public TSkinControlHost {
 public:
  // Owned by the form it skins (destroyed with it), or by nobody for a plain
  // window, whose object the manager frees.
  explicit TWinSkinForm(TComponent* owner);
  ~TWinSkinForm() override;
  std::string ClassName() const override { return "TWinSkinForm"; }

  // Attaching: a form of the library, or a plain window (a system dialog).
  void SkinForm(TSkinData* skinData, TForm* form);
  void SkinWindow(TSkinData* skinData);
  // A skin change of the same skin data: buttons dropped, metrics read
  // again, then everything applied.
  void ClearCaptionButtons();
  void LoadFrameMetrics();
  void ApplySkinChange();
  // Detaching: the window gets back its procedure, styles, size and region.
  void UnskinForm();

  void SetCaptionStyles(bool restore);
  void FitWindowToFrame(bool keepClient);
  void UpdateWindowRegion();
  // The whole frame, on dc or on the window's own DC.
  void PaintFrame(HDC dc = nullptr);
  void PaintCaptionButton(TWinSysButton& button);
  void LayoutCaptionButtons();

  // The skinned controls of a form's components (recursing into panels and
  // frames), and of a plain window's child windows.
  void SkinChildControls(TComponent* container);
  void SkinControl(TComponent* component, TComponent* container);
  void SkinChildWindows();
  bool IsSkinned(TComponent* component) const;
  void FreeSkinControls();
  bool AddSkinControl(TSkinControl* control) override;
  void RemoveSkinControl(TSkinControl* control) override;
  bool IsPlainWindow() const override { return Form == nullptr; }
  TSkinControl* FindSkinControl(HWND window) const;
  TSkinControl* MakeSkinControl(int kind);
  std::vector<TSkinControl*> Controls;

  // What the frame looks like to the portable rules now.
  TCaptionContext CaptionContext() const;
  // The skin's frame is on the window now: an MDI child maximised or
  // minimised wears the system's, out of sight or iconic.
  bool WearsFrame() const { return !(MdiKind == mkChild && ShowState != ssNormal); }

  // Menus (SkinSystemMenu.cpp): the owner-drawn system menu, the form's
  // popup menus drawn by the skin or given back, the items of the window's
  // menu measured and drawn.
  void BuildSystemMenu();
  void SkinPopupMenus(bool on);
  bool MenuItemMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result);
  std::unique_ptr<TPopupMenu> SkinSysMenu;  // tag 33333
  HMENU CurrentPopupMenu = nullptr;         // the bar's drop-down being tracked

  HWND Handle = nullptr;
  TForm* Form = nullptr;
  TSkinData* SkinData = nullptr;
  HWND MdiClient = nullptr;
  bool FrameSkinned = false;
  TFrameMetrics Metrics;
  int MenuHeight = 0;
  int SavedNcWidth = 0, SavedNcHeight = 0;
  int ClientWidth = 0, ClientHeight = 0;
  RECT WindowRect{};
  int FrameWidth = 0, FrameHeight = 0;
  TSkinRect TextRect;
  int RightButtonsLeft = 0;
  int RegionWidth = 0, RegionHeight = 0;
  bool OwnsRegion = false;
  std::uint32_t Style = 0;
  unsigned Capabilities = 0;
  int BorderKind = bkEdged;
  TMdiKind MdiKind = mkNone;
  int ShowState = ssNormal;
  bool Active = false;
  TFramePhase Phase = phAttached;
  bool RightToLeft = false;
  bool Tracking = false;
  TNCObject* HotItem = nullptr;
  // The caption button the left button went down on: only it acts on release.
  TNCObject* PressedItem = nullptr;
  std::vector<std::unique_ptr<TWinSysButton>> CaptionButtons;
  std::unique_ptr<TWinSkinMenu> SkinMenuBar;
  HMENU MenuHandle = nullptr;
  HMENU SystemMenu = nullptr;
  UniqueFont CaptionFont;
  TBitmap CaptionIcon;
  TPixelImage CaptionIconPixels;  // the same, for composing the caption in memory
  TBitmap CaptionBitmap;
  std::string Caption;
  std::string WindowClassName;
  std::string TitlePrefix = "  ";
  int SpaceWidth = 0;
  HWND OwnerWindow = nullptr;
  DWORD LastIconClick = 0;
  DWORD DoubleClickTime = 0;
  std::int32_t SavedFormColor = 0;
  HWND NewMdiChild = nullptr;

  // The frame's procedure and the form's hook; public for the callbacks.
  LRESULT FrameProc(UINT msg, WPARAM wparam, LPARAM lparam);
  LRESULT ClientProc(HWND client, UINT msg, WPARAM wparam, LPARAM lparam);
  void FormHook(TMessage& message);

 private:
  static constexpr UINT_PTR kHoverTimer = 0x3505;

  LRESULT PassOn(UINT msg, WPARAM wparam, LPARAM lparam);
  bool SecondStage(UINT msg, WPARAM wparam, LPARAM& lparam, LRESULT& result);
  bool ThirdStage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result);
  void Activate();
  void ReadShowState();
  void ReadCaptionFont();
  void MakeCaptionIcon();
  void PaintBorderPiece(const TDataSkinBorder& piece, const RECT& rect, HDC dc, bool vertical);
  void PaintCaptionText(TCanvas& canvas, const TSkinRect& titleRect);
  void PaintCaptionButtons(HDC dc);
  void DrawButtonImage(HDC dc, TWinSysButton& button, int image);
  POINT FramePoint(LPARAM screenPoint) const;
  TNCObject* ItemAt(POINT framePoint) const;
  bool NcMouse(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result);
  void ButtonAction(TWinSysButton& button, POINT screenPoint);
  void Restore();
  void Maximize();
  void Minimize();
  void CloseWindow();
  void MdiChildCommand(UINT command);
  // Only the icon's requests count towards its double click.
  void ShowSystemMenu(int x, int y, bool fromIcon);
  // Alt with a key (SC_KEYMENU): the skinned bar's button of that letter,
  // the skinned system menu for the space bar, never the system's own.
  bool KeyMenu(LPARAM key, LRESULT& result);
  void SystemMenuClick(int tag);
  bool DialogChar(TMessage& m);
  void StartHover(bool on);
  void HoverCheck();
  void PaintAfterChange();
  void ReleaseHooks(bool full);
  void SetStyle(std::uint32_t style);
  TBitmap* DeviceImage(const TPixelImage& image) const;

  bool FSubclassed = false;
  bool FFormHooked = false;
  bool FClientSubclassed = false;
  bool FHoverRunning = false;
  bool FOwnStyleChange = false;
  bool FSavedMenuUpdate = true;
  const TWndMethod* FOldFormHandler = nullptr;               // the next layer, while the hook runs
  std::vector<std::pair<TPopupMenu*, bool>> FSkinnedPopups;  // and their own owner drawing

  friend class TWinSkinMenu;
};

// Installs the skinned query answer etc. for a window: the procedure the
// frame's subclass runs; exposed for the manager's tests.
LRESULT CALLBACK SkinFrameSubclassProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR data);

}  // namespace pellamy
