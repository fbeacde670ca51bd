// WinSkinForm: the skinned frame of one top-level window.
//   TNCObject      a clickable item of the non-client area (hover, press)
//   TWinSysButton  a title-bar button, drawn from its SysButtons entry
//   TWinSkinForm   takes the window's procedure (and a library form's
//                  message hook), removes the system caption, answers the
//                  non-client size, hit-test and paint messages from the
//                  skin's border pieces, cuts the window region from their
//                  transparent pixels, tracks the caption buttons and
//                  carries out their actions; undoes all of it on detach.
// The class is written in several files, each named for what it holds:
//   FrameAttach.cpp    attach, fit to the frame, skin changes, detach
//   FrameControls.cpp  the skinned controls of the window's children
//   FramePaint.cpp     region, frame and caption buttons' drawing
//   FrameInput.cpp     non-client mouse, caption buttons' actions, hover
//   FrameMessages.cpp  the one switch routing messages to their handlers
//   FrameMdi.cpp       the MDI client's layer, MDI children's state
//   SkinSystemMenu.cpp the frame's menus
// The geometry rules are portable (skin/layout/FrameLayout.h).
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
class TMenuBtn;

// The skin engine's private window messages.
inline constexpr UINT kSkinChangedNotice = 0x3401;
inline constexpr UINT kRepaintFrame = 0x3502;
inline constexpr UINT kActivateSkinned = 0x3503;
inline constexpr UINT kSkinnedQuery = 0x3504;

// A non-client item's look; the value is its image in the skin's strip.
enum class TButtonState { Normal = 1, Pressed = 2, Hot = 3 };

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
  TButtonState State = TButtonState::Normal;
};

class TWinSysButton : public TNCObject {
 public:
  TWinSysButton(TWinSkinForm* owner, TDataSkinSysButton* data) : TNCObject(owner), ButtonData(data) {}
  void Paint() override;

  TDataSkinSysButton* ButtonData;  // the skin data's entry, not owned
};

// Phases of a skinned frame's life.
enum class TFramePhase { Attached, Active, ApplyingSkin, Destroying, Fitting, Destroyed };

// MDI roles of the skinned window.
enum class TMdiRole { None, Frame, Child };

// What the frame shows now, as its tests and benchmarks read it.
struct TFrameQuery {
  struct TButton {
    const TDataSkinSysButton* Data = nullptr;
    int Action = 0;
    RECT Bounds{};
    bool Visible = false;
    TButtonState State = TButtonState::Normal;
    bool Hot = false;
  };
  TFramePhase Phase = TFramePhase::Attached;
  TMdiRole Role = TMdiRole::None;
  TShowState ShowState = TShowState::Normal;
  bool Active = false;
  bool WearsFrame = false;
  TFrameMetrics Metrics;
  int MenuHeight = 0;
  int FrameWidth = 0;
  TSkinRect TextRect;
  std::vector<TButton> Buttons;
  // The first visible button of that action; an empty one without.
  TButton Button(int action) const;
};

class TWinSkinForm : public TComponent, public TSkinControlHost {
 public:
  // Owned by the form it skins (destroyed with it), or by nobody for a plain
  // window, whose object the manager frees.
  TWinSkinForm(TComponent* owner, HWND window);
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

  // The whole frame, on dc or on the window's own DC.
  void PaintFrame(HDC dc = nullptr);

  // The skinned controls of a form's components (recursing into panels and
  // frames), and of a plain window's child windows.
  void SkinChildControls(TComponent* container);
  bool IsSkinned(TComponent* component) const;
  bool AddSkinControl(TSkinControl* control) override;
  void RemoveSkinControl(TSkinControl* control) override;
  bool IsPlainWindow() const override { return Form == nullptr; }
  TSkinControl* FindSkinControl(HWND window) const;
  const std::vector<TSkinControl*>& SkinControls() const { return Controls; }

  HWND Window() const { return Handle; }
  TSkinData* Skin() const { return SkinData; }
  TFramePhase LifePhase() const { return Phase; }
  TMdiRole Role() const { return MdiKind; }
  HWND MdiClientWindow() const { return MdiClient; }
  bool ReadsRightToLeft() const { return RightToLeft; }
  // What the frame looks like to the portable rules now.
  TCaptionContext CaptionContext() const;
  TFrameQuery Query() const;
  // The skin's frame is on the window now: skinned with a frame, activated
  // once, not iconic, and not an MDI child maximised or minimised (that one
  // wears the system's, out of sight or iconic).
  bool WearsFrame() const;

  // Menus (SkinSystemMenu.cpp): the owner-drawn system menu, the form's
  // popup menus drawn by the skin or given back, the items of the window's
  // menu measured and drawn.
  void BuildSystemMenu();
  // The menu side's state, shared with the bar and its loop.
  std::unique_ptr<TPopupMenu> SkinSysMenu;  // tag 33333
  HMENU CurrentPopupMenu = nullptr;         // the bar's drop-down being tracked
  std::unique_ptr<TWinSkinMenu> SkinMenuBar;
  HMENU MenuHandle = nullptr;
  bool Tracking = false;

  // The frame's procedure and the MDI client's; public for the callbacks.
  LRESULT FrameProc(UINT msg, WPARAM wparam, LPARAM lparam);
  LRESULT ClientProc(HWND client, UINT msg, WPARAM wparam, LPARAM lparam);

 private:
  static constexpr UINT_PTR kHoverTimer = 0x3505;

  // FrameAttach.cpp
  void FormHook(TMessage& message);
  void ReadShowState();
  void ReadCaptionFont();
  void MakeCaptionIcon();
  void SetStyle(std::uint32_t style);
  void SetCaptionStyles(bool restore);
  void FitWindowToFrame(bool keepClient);
  void Activate();
  void ReleaseHooks(bool full);
  // FrameControls.cpp
  void SkinControl(TComponent* component, TComponent* container);
  void SkinChildWindows();
  void FreeSkinControls();
  // FramePaint.cpp
  void UpdateWindowRegion();
  void PaintBorderPiece(const TDataSkinBorder& piece, const RECT& rect, HDC dc, bool vertical);
  void PaintCaptionText(TCanvas& canvas, const TSkinRect& titleRect);
  void LayoutCaptionButtons();
  void PaintCaptionButtons(HDC dc);
  void PaintCaptionButton(TWinSysButton& button);
  void DrawButtonImage(HDC dc, TWinSysButton& button, int image);
  void PaintAfterChange();
  TBitmap* DeviceImage(const TPixelImage& image) const;
  // FrameInput.cpp
  POINT FramePoint(LPARAM screenPoint) const;
  TNCObject* ItemAt(POINT framePoint) const;
  LRESULT OnNcMouse(UINT msg, WPARAM wparam, LPARAM lparam);
  void ButtonAction(TWinSysButton& button, POINT screenPoint);
  void Restore();
  void Maximize();
  void Minimize();
  void CloseWindow();
  void StartHover(bool on);
  void HoverCheck();
  // FrameMessages.cpp
  LRESULT PassOn(UINT msg, WPARAM wparam, LPARAM lparam);
  bool FrameTaken() const;
  LRESULT OnSkinnedQuery(WPARAM wparam, LPARAM lparam);
  LRESULT OnEraseBackground(WPARAM wparam, LPARAM lparam);
  LRESULT OnStyleChanging(WPARAM wparam, LPARAM lparam);
  LRESULT OnNcDestroy(WPARAM wparam, LPARAM lparam);
  LRESULT OnCtlColor(UINT msg, WPARAM wparam, LPARAM lparam);
  LRESULT OnSetText(WPARAM wparam, LPARAM lparam);
  LRESULT OnSize(WPARAM wparam, LPARAM lparam);
  LRESULT OnNcActivate(WPARAM wparam, LPARAM lparam);
  LRESULT OnGetMinMaxInfo(WPARAM wparam, LPARAM lparam);
  LRESULT OnCommand(WPARAM wparam, LPARAM lparam);
  LRESULT OnSysCommand(WPARAM wparam, LPARAM lparam);
  LRESULT OnMenuChanged(WPARAM wparam, LPARAM lparam);
  LRESULT OnNcCalcSize(WPARAM wparam, LPARAM lparam);
  LRESULT OnNcHitTest(WPARAM wparam, LPARAM lparam);
  LRESULT OnNcPaint(WPARAM wparam, LPARAM lparam);
  // FrameMdi.cpp
  // A child of the MDI client (the frame's, or the one this child is in) is
  // maximised, or is being maximised now.
  bool MdiChildMaximized() const;
  void MdiChildCommand(UINT command);
  // An MDI child takes the system's caption (while a child is maximised),
  // or every child of the client does, or gives it back.
  void WearSystemCaption();
  void MdiChildrenWearSystemCaptions(bool on);
  LRESULT MaximizeMdiChild(WPARAM wparam, LPARAM lparam);
  LRESULT RestoreMdiChild(WPARAM wparam, LPARAM lparam);
  // SkinSystemMenu.cpp
  void SkinPopupMenus(bool on);
  bool MenuItemMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // Only the icon's requests count towards its double click.
  void ShowSystemMenu(int x, int y, bool fromIcon);
  // Alt with a key (SC_KEYMENU): the skinned bar's button of that letter,
  // the skinned system menu for the space bar, never the system's own.
  bool KeyMenu(LPARAM key, LRESULT& result);
  void SystemMenuClick(int tag);
  bool DialogChar(TMessage& m);

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
  TMdiRole MdiKind = TMdiRole::None;
  TShowState ShowState = TShowState::Normal;
  bool Active = false;
  TFramePhase Phase = TFramePhase::Attached;
  bool RightToLeft = false;
  TNCObject* HotItem = nullptr;
  // The caption button the left button went down on: only it acts on release.
  TNCObject* PressedItem = nullptr;
  std::vector<std::unique_ptr<TWinSysButton>> CaptionButtons;
  std::vector<TSkinControl*> Controls;
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

  bool FSubclassed = false;
  bool FFormHooked = false;
  bool FClientSubclassed = false;
  bool FHoverRunning = false;
  bool FOwnStyleChange = false;
  bool FSavedMenuUpdate = true;
  // An MDI child between its maximise command and the system's sizing of
  // it: the client does not know of the maximised child before then.
  bool FMaximizing = false;
  const TWndMethod* FOldFormHandler = nullptr;               // the next layer, while the hook runs
  std::vector<std::pair<TPopupMenu*, bool>> FSkinnedPopups;  // and their own owner drawing

  // The non-client items and the menu bar share the hover and the frame's
  // drawing.
  friend class TNCObject;
  friend class TWinSysButton;
  friend class TWinSkinMenu;
  friend class TMenuBtn;
};

// The frame whose layer is over window, or null.
TWinSkinForm* FrameOfWindow(HWND window);

}  // namespace pellamy
