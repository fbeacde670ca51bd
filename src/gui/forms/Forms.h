// TForm: a top-level window with its border style, caption buttons,
// position, client size, colour, font and icon, and its creation event; its
// main menu and context menu; MDI frames (with their MDI client window) and
// MDI children with merged menus; forms embedded in another control.
#pragma once

#include "gui/controls/Controls.h"

namespace pellamy {

class TMainMenu;
class TMenuItem;
class TPopupMenu;

enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
enum TPosition { poDesigned, poDefault, poScreenCenter, poMainFormCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TTileMode { tbHorizontal, tbVertical };

class TForm;
// Told of a top-level form whose window is about to be shown for the first
// time or again, before the system shows it: a skin fitted then never shows
// the system's frame and costs no second layout of a mapped window. Returns
// the previous hook.
using TFormShowingHook = void (*)(TForm* form);
TFormShowingHook SetFormShowingHook(TFormShowingHook hook);

class TForm : public TCustomControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;
  std::string ClassName() const override { return "TForm"; }

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle style);
  unsigned BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(unsigned icons);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition position) { FPosition = position; }
  // Sizes the window so that its client area has this size.
  void SetClientSize(int width, int height);
  HICON Icon() const { return FIcon; }
  void SetIcon(HICON icon);

  // Changing between MDI and other styles makes the window anew. An MDI
  // child lives in the MDI client of the application's main form when that
  // is an MDI form, else of the MDI form made last.
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle style);
  TWindowState WindowState() const;
  void SetWindowState(TWindowState state);

  // The menu bar. An MDI child's menu shows merged into its frame's bar
  // while the child is active.
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* menu);
  // Opened by WM_CONTEXTMENU over the form and its controls.
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* menu);

  // MDI frames: the MDI client window, the children (topmost first), the
  // menu item listing them, and their arrangement.
  HWND ClientHandle() const { return FClientHandle; }
  int MDIChildCount() const;
  TForm* MDIChildren(int index) const;
  TForm* ActiveMDIChild() const;
  TMenuItem* WindowMenu() const { return FWindowMenu; }
  void SetWindowMenu(TMenuItem* item);
  TTileMode TileMode() const { return FTileMode; }
  void SetTileMode(TTileMode mode) { FTileMode = mode; }
  void Tile();
  void Cascade();
  void ArrangeIcons();
  void Next();
  void Previous();

  // With a parent the form is a child window inside it; without one it is
  // a top-level window again.
  void SetParent(TWinControl* parent) override;

  void Show();
  void Close();
  // Frees the form once the messages waiting now have been handled.
  void Release();
  bool Closing() const { return FClosing; }
  // Moves the focus to the next (or previous) control in tab order.
  bool SelectNext(TWinControl* current, bool forward) override;
  bool UserSizeable() const override { return FBorderStyle == bsSizeable || FBorderStyle == bsSizeToolWin; }
  TWinControl* ActiveControl() const;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  std::function<void(TComponent*, TCloseAction&)> OnClose;
  std::function<void(TComponent*, bool&)> OnCloseQuery;

  // Runs the creation event; the application calls it once the form's
  // controls exist.
  void DoCreate();

  // A key pressed in the form: clicks the menu item it is the shortcut of.
  bool IsShortCut(unsigned key, bool altDown);
  // Called by the main menu: its HMENU was made anew, or an item changed.
  void MenuHandleChanged();
  void MenuChanged();

  void DefaultHandler(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;
  void Notification(TComponent* component, bool removing) override;

 private:
  static LRESULT CALLBACK FormWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  void CollectTabStops(TWinControl* parent, std::vector<TWinControl*>& out) const;
  void RegisterWindowClass();
  void CreateClient();
  void LayoutClient();
  void DestroyFormHandle();
  void RecreateForStyle();
  void MergeChildMenu(TForm* child);
  void UpdateBoundsFromWindow();

  TFormBorderStyle FBorderStyle = bsSizeable;
  unsigned FBorderIcons = biSystemMenu | biMinimize | biMaximize;
  TPosition FPosition = poDesigned;
  int FClientWidth = -1, FClientHeight = -1;
  HICON FIcon = nullptr;
  bool FClosing = false;
  bool FShownOnce = false;
  TFormStyle FFormStyle = fsNormal;
  TWindowState FWindowState = wsNormal;
  TTileMode FTileMode = tbHorizontal;
  TMainMenu* FMenu = nullptr;
  TPopupMenu* FPopupMenu = nullptr;
  TMenuItem* FWindowMenu = nullptr;
  HWND FClientHandle = nullptr;  // an MDI frame's MDI client
  TForm* FMDIFrame = nullptr;    // an MDI child's frame, while it has a window
  bool FWindowGoing = false;     // between WM_DESTROY and WM_NCDESTROY
};

}  // namespace pellamy
