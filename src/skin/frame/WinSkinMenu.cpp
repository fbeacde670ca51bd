#include "skin/frame/WinSkinMenu.h"

#include <windowsx.h>

#include <algorithm>
#include <cwctype>

#include "gui/forms/Forms.h"
#include "gui/forms/Menus.h"
#include "gui/gdi/WideText.h"
#include "skin/draw/SkinDraw.h"
#include "skin/frame/MenuLoopHook.h"
#include "skin/frame/SkinMenuItems.h"
#include "skin/model/SkinDeviceObjects_win32.h"
#include "skin/model/SkinManager.h"

namespace pellamy {

void TMenuBtn::Paint() {
  try {
    WindowDc dc(Owner->Handle, WindowDc::TArea::Window);
    Bar->PaintButton(dc.get(), *this);
  } catch (...) {
    SkinFault("menu bar button paint");
  }
}

void TWinSkinMenu::BuildFromHandle(HMENU menu) {
  Menu = menu;
  Buttons.clear();
  if (Frame->HotItem != nullptr && dynamic_cast<TMenuBtn*>(Frame->HotItem) != nullptr) Frame->HotItem = nullptr;
  const int count = menu != nullptr ? GetMenuItemCount(menu) : 0;
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU | MIIM_STATE | MIIM_FTYPE;
    mii.dwTypeData = text;
    mii.cch = 255;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
    // A maximised MDI child's icon and buttons are bitmap entries of the
    // bar; the frame draws its own.
    if (mii.fType & (MFT_SEPARATOR | MFT_BITMAP)) continue;
    auto button = std::make_unique<TMenuBtn>(Frame, this);
    button->Index = static_cast<int>(Buttons.size());
    button->Command = mii.wID;
    button->SubMenu = mii.hSubMenu;
    button->Enabled = (mii.fState & (MFS_DISABLED | MFS_GRAYED)) == 0;
    button->Accelerator = AcceleratorOf(text, &button->Caption, &button->AcceleratorAt);
    button->Visible = true;
    Buttons.push_back(std::move(button));
  }
}

namespace {

// A maximised MDI child's icon (a bitmap entry holding its system menu) and
// its buttons (bitmap entries at the end), which the system adds to the
// window's bar: the skin draws its own, and the menu must not go back to the
// window with entries of a child that may be gone by then.
void DropMdiChildEntries(HMENU menu) {
  const auto isBitmap = [menu](int position, MENUITEMINFOW& mii) {
    mii = MENUITEMINFOW{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_BITMAP;
    return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &mii) && (mii.fType & MFT_BITMAP) != 0;
  };
  MENUITEMINFOW mii;
  bool any = false;
  for (int i = GetMenuItemCount(menu) - 1;
       i > 0 && isBitmap(i, mii) && (mii.wID == SC_CLOSE || mii.wID == SC_RESTORE || mii.wID == SC_MINIMIZE); --i) {
    DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
    any = true;
  }
  if (!any || !isBitmap(0, mii) || mii.hSubMenu == nullptr) return;
  // The system menu is the child's own: removed, not destroyed; the icon's
  // picture was made for the entry.
  RemoveMenu(menu, 0, MF_BYPOSITION);
  if (reinterpret_cast<UINT_PTR>(mii.hbmpItem) > reinterpret_cast<UINT_PTR>(HBMMENU_POPUP_MINIMIZE))
    DeleteObject(mii.hbmpItem);
}

}  // namespace

void TWinSkinMenu::TakeWindowMenu() {
  HWND window = Frame->Handle;
  if (HMENU given = GetMenu(window)) {
    Menu = given;
  } else if (Frame->Form != nullptr && Frame->Form->Menu() == nullptr) {
    // The form's menu was taken away by the program.
    Menu = nullptr;
  }
  if (Menu != nullptr && !IsMenu(Menu)) Menu = nullptr;
  if (Menu != nullptr) DropMdiChildEntries(Menu);
  Frame->MenuHandle = Menu;
  BuildFromHandle(Menu);
  // Last: the frame changes, and its paint shows the new buttons.
  if (GetMenu(window) != nullptr) SetMenu(window, nullptr);
}

bool TWinSkinMenu::RetakeWindowMenu() {
  if (GetMenu(Frame->Handle) == nullptr) return false;
  TakeWindowMenu();
  return true;
}

void TWinSkinMenu::GiveBack(bool windowGoing) {
  HWND window = Frame->Handle;
  if (windowGoing || !IsWindow(window)) {
    if (Frame->Form == nullptr && Menu != nullptr && IsMenu(Menu) && GetMenu(window) != Menu) DestroyMenu(Menu);
    Menu = Frame->MenuHandle = nullptr;
    return;
  }
  // The bar the form shows now, not the one taken: the library builds a new
  // one at every change.
  HMENU current = Frame->Form != nullptr && Frame->Form->Menu() != nullptr ? Frame->Form->Menu()->Handle() : Menu;
  if (current != nullptr && !IsMenu(current)) current = nullptr;
  if (GetMenu(window) != current) SetMenu(window, current);
  Menu = Frame->MenuHandle = current;
}

std::unique_ptr<TBitmap> TWinSkinMenu::BarBackground(int w, int h) const {
  auto out = std::make_unique<TBitmap>(std::max(w, 0), std::max(h, 0));
  if (w <= 0 || h <= 0) return out;
  const RECT all{0, 0, w, h};
  const TDataSkinObject* e = SkinData->MenuBar.get();
  TBitmap* image = e != nullptr ? SkinDeviceBitmap(*SkinData, e->Bitmap) : nullptr;
  if (image == nullptr) {
    UniqueBrush brush(CreateSolidBrush(ColorToRGB(SkinData->Colours.Menubar)));
    FillRect(out->Canvas().Handle(), &all, brush.get());
    return out;
  }
  const int count = std::max(1, e->FrameCount);
  const int index = Frame->Active || e->FrameCount < 2 ? 1 : 2;
  const RECT margins{e->LeftWidth, e->TopHeight, e->RightWidth, e->BottomHeight};
  if (e->Tile == 1) {
    std::unique_ptr<TBitmap> grid = BuildNineGrid(all, *image, margins, true, false, count, index);
    BitBlt(out->Canvas().Handle(), 0, 0, w, h, grid->Canvas().Handle(), 0, 0, SRCCOPY);
  } else {
    DrawThreePart(out->Canvas(), all, *image, true, false, count, index, margins);
  }
  return out;
}

void TWinSkinMenu::PaintBar(HDC dc, const RECT& bar) {
  Bounds = bar;
  if (bar.right <= bar.left || bar.bottom <= bar.top) return;
  const TDataSkinObject* element = SkinData->MenuBar.get();
  const bool hasImage = element != nullptr && SkinDeviceBitmap(*SkinData, element->Bitmap) != nullptr;
  const int w = bar.right - bar.left, h = bar.bottom - bar.top;
  BarBitmap = BarBackground(w, h);
  // Composed in memory and copied once: drawn piece by piece on the screen
  // the captions flicker, and they could run past the bar's end.
  TBitmap scratch(w, h);
  HDC out = scratch.Canvas().Handle();
  BitBlt(out, 0, 0, w, h, BarBitmap->Canvas().Handle(), 0, 0, SRCCOPY);
  POINT origin{};
  SetViewportOrgEx(out, -bar.left, -bar.top, &origin);
  {
    UniqueFont menuFont = MenuFont(false);
    SelectGuard menuSelect(out, menuFont ? static_cast<HGDIOBJ>(menuFont.get()) : GetStockObject(DEFAULT_GUI_FONT));
    std::vector<int> widths;
    for (const auto& b : Buttons) {
      SIZE size{};
      GetTextExtentPoint32W(out, b->Caption.c_str(), static_cast<int>(b->Caption.size()), &size);
      widths.push_back(size.cx);
    }
    const auto spans = LayoutBarButtons(
        widths, bar.left + FirstButtonInset(hasImage, hasImage ? element->LeftWidth : 0, false),
        bar.right - FirstButtonInset(hasImage, hasImage ? element->RightWidth : 0, true), kPadding, Frame->RightToLeft);
    for (std::size_t i = 0; i < Buttons.size(); ++i) {
      Buttons[i]->Bounds = {spans[i].Left, bar.top, spans[i].Right, bar.bottom};
      PaintButton(out, *Buttons[i]);
    }
    PaintChildButtons(out);
  }
  SetViewportOrgEx(out, origin.x, origin.y, nullptr);
  BitBlt(dc, bar.left, bar.top, w, h, out, 0, 0, SRCCOPY);
}

void TWinSkinMenu::PaintChildButtons(HDC dc) {
  if (Frame->MdiKind != TMdiRole::Frame || Frame->MdiClient == nullptr) return;
  BOOL maximised = FALSE;
  SendMessageW(Frame->MdiClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised));
  if (!maximised) return;
  for (auto& button : Frame->CaptionButtons) {
    const TDataSkinSysButton& data = *button->ButtonData;
    if (data.Visibility != 100 || !button->Visible || data.Bitmap.Width <= 0) continue;
    Frame->DrawButtonImage(dc, *button, 1);
  }
}

void TWinSkinMenu::PaintButton(HDC dc, TMenuBtn& b) {
  RECT shownPart;
  if (!IntersectRect(&shownPart, &b.Bounds, &Bounds)) return;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, shownPart.left, shownPart.top, shownPart.right, shownPart.bottom);
  // The button's part of the bar, drawn again under its text.
  if (BarBitmap && BarBitmap->Width() == Bounds.right - Bounds.left)
    BitBlt(dc, shownPart.left, shownPart.top, shownPart.right - shownPart.left, shownPart.bottom - shownPart.top,
           BarBitmap->Canvas().Handle(), shownPart.left - Bounds.left, shownPart.top - Bounds.top, SRCCOPY);
  const bool lit = b.State == TButtonState::Pressed || b.State == TButtonState::Hot;
  if (lit) {
    UniqueBrush brush(CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonHilight)));
    FrameRect(dc, &b.Bounds, brush.get());
  }
  // A single button is repainted on a fresh window DC, which has no font.
  UniqueFont font = MenuFont(false);
  SelectGuard fontIn(dc, font ? static_cast<HGDIOBJ>(font.get()) : GetStockObject(DEFAULT_GUI_FONT));
  const int mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF colour =
      SetTextColor(dc, ColorToRGB(b.Enabled ? SkinData->Colours.MenuBarText : SkinData->Colours.ButtonShadow));
  RECT text = b.Bounds;
  std::wstring shown;
  for (std::size_t i = 0; i < b.Caption.size(); ++i) {
    if (static_cast<int>(i) == b.AcceleratorAt) shown += L'&';
    if (b.Caption[i] == L'&') shown += L'&';
    shown += b.Caption[i];
  }
  DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SetTextColor(dc, colour);
  SetBkMode(dc, mode);
  RestoreDC(dc, saved);
}

TMenuBtn* TWinSkinMenu::ButtonAt(POINT p) const {
  for (const auto& b : Buttons)
    if (PtInRect(&b->Bounds, p)) return b.get();
  return nullptr;
}

TMenuBtn* TWinSkinMenu::ButtonByAccelerator(wchar_t key, bool anyState) const {
  const auto lower = static_cast<wchar_t>(std::towlower(key));
  for (const auto& b : Buttons)
    if (b->Accelerator == lower && (b->Enabled || anyState)) return b.get();
  return nullptr;
}

bool TWinSkinMenu::OpenButtonMenu(TMenuBtn& first) {
  // By index: the bar may be built anew while a menu is open.
  int index = first.Index;
  bool opened = false;
  while (index >= 0 && index < static_cast<int>(Buttons.size())) {
    TMenuBtn* b = Buttons[static_cast<std::size_t>(index)].get();
    // A form's bar items click through the library; a plain window's
    // drop-down entries carry no command of their own.
    if (b->SubMenu == nullptr || Frame->Form != nullptr) PostMessageW(Frame->Handle, WM_COMMAND, b->Command, 0);
    if (b->SubMenu == nullptr) return opened;
    RECT window;
    GetWindowRect(Frame->Handle, &window);
    RECT screen = b->Bounds;
    OffsetRect(&screen, window.left, window.top);
    TPMPARAMS params{sizeof params, screen};
    b->State = TButtonState::Pressed;
    b->Paint();
    Frame->Tracking = true;
    Frame->CurrentPopupMenu = b->SubMenu;
    int next = -1;
    {
      TOwnerDrawnEntries entries(b->SubMenu);
      TMenuLoopHook hook(*Frame, *this, index, b->SubMenu, &entries);
      if (b->Enabled)
        TrackPopupMenuEx(b->SubMenu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RIGHTBUTTON | TPM_VERTICAL,
                         screen.left, screen.bottom, Frame->Handle, &params);
      next = hook.NextButton();
    }
    Frame->Tracking = false;
    Frame->CurrentPopupMenu = nullptr;
    opened = true;
    if (index < static_cast<int>(Buttons.size())) {
      b = Buttons[static_cast<std::size_t>(index)].get();
      // A click on this button's own title closed the drop-down; left in
      // the queue it would open it again.
      MSG click;
      if (next < 0 && PeekMessageW(&click, Frame->Handle, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_NOREMOVE) &&
          PtInRect(&screen, POINT{GET_X_LPARAM(click.lParam), GET_Y_LPARAM(click.lParam)}))
        PeekMessageW(&click, Frame->Handle, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE);
      b->State = TButtonState::Normal;
      if (Frame->HotItem == b) Frame->HotItem = nullptr;
      b->Paint();
    }
    index = next;
  }
  return opened;
}

}  // namespace pellamy
