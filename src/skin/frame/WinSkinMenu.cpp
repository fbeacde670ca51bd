#include "skin/frame/WinSkinMenu.h"

#include <algorithm>
#include <cwctype>

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

void TWinSkinMenu::PaintBar(HDC dc, const RECT& bar) {
  Bounds = bar;
  if (bar.right <= bar.left || bar.bottom <= bar.top) return;
  const TDataSkinObject* element = SkinData->MenuBar.get();
  TBitmap* image = element != nullptr ? SkinDeviceBitmap(*SkinData, element->Bitmap) : nullptr;
  if (image != nullptr) {
    DrawNineGrid(dc, bar, *image, true, element->Tile != 0, false, std::max(1, element->FrameCount),
                 Frame->Active || element->FrameCount < 2 ? 1 : 2,
                 {element->LeftWidth, element->TopHeight, element->RightWidth, element->BottomHeight});
  } else {
    UniqueBrush brush(CreateSolidBrush(ColorToRGB(SkinData->Colours.Menubar)));
    FillRect(dc, &bar, brush.get());
  }
  SelectGuard font(dc, GetStockObject(DEFAULT_GUI_FONT));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  UniqueFont menuFont;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    menuFont.reset(CreateFontIndirectW(&metrics.lfMenuFont));
  SelectGuard menuSelect(dc, menuFont ? static_cast<HGDIOBJ>(menuFont.get()) : GetStockObject(DEFAULT_GUI_FONT));
  std::vector<int> widths;
  for (const auto& b : Buttons) {
    SIZE size{};
    GetTextExtentPoint32W(dc, b->Caption.c_str(), static_cast<int>(b->Caption.size()), &size);
    widths.push_back(size.cx);
  }
  const auto spans = LayoutBarButtons(widths, bar.left + (element ? element->LeftWidth : 0),
                                      bar.right - (element ? element->RightWidth : 0), kPadding, Frame->RightToLeft);
  for (std::size_t i = 0; i < Buttons.size(); ++i) {
    Buttons[i]->Bounds = {spans[i].Left, bar.top, spans[i].Right, bar.bottom};
    PaintButton(dc, *Buttons[i]);
  }
  PaintChildButtons(dc);
}

void TWinSkinMenu::PaintChildButtons(HDC dc) {
  if (Frame->MdiKind != mkFrame || Frame->MdiClient == nullptr) return;
  BOOL maximised = FALSE;
  SendMessageW(Frame->MdiClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised));
  if (!maximised) return;
  for (auto& button : Frame->CaptionButtons) {
    const TDataSkinSysButton& data = *button->ButtonData;
    if (data.Visibility != 100 || !button->Visible || data.Bitmap.Width <= 0) continue;
    Frame->DrawButtonImage(dc, *button, 1);
  }
  if (SkinManager != nullptr && !SkinManager->MdiMaximized) SkinManager->MdiMaximized = true;
}

void TWinSkinMenu::PaintButton(HDC dc, TMenuBtn& b) {
  if (b.Bounds.right <= b.Bounds.left) return;
  const bool lit = b.State == 2 || b.State == 3;
  if (lit) {
    const TDataSkinObject* item = SkinData->MenuItem.get();
    TBitmap* image = item != nullptr ? SkinDeviceBitmap(*SkinData, item->Bitmap) : nullptr;
    if (image != nullptr) {
      DrawSkinFrame(dc, b.Bounds, *image, item->Trans != 0, std::max(1, item->FrameCount), b.State == 2 ? 2 : 1);
    } else {
      UniqueBrush brush(CreateSolidBrush(ColorToRGB(SkinData->Colours.Hilight)));
      FillRect(dc, &b.Bounds, brush.get());
    }
  } else if (SkinData->MenuBar) {
    // The button's part of the bar, drawn again under its text.
    if (TBitmap* bar = SkinDeviceBitmap(*SkinData, SkinData->MenuBar->Bitmap)) {
      const TDataSkinObject& e = *SkinData->MenuBar;
      auto whole = BuildNineGrid({0, 0, Bounds.right - Bounds.left, Bounds.bottom - Bounds.top}, *bar,
                                 {e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight}, true, e.Tile != 0,
                                 std::max(1, e.FrameCount), Frame->Active || e.FrameCount < 2 ? 1 : 2);
      BitBlt(dc, b.Bounds.left, b.Bounds.top, b.Bounds.right - b.Bounds.left, b.Bounds.bottom - b.Bounds.top,
             whole->Canvas().Handle(), b.Bounds.left - Bounds.left, b.Bounds.top - Bounds.top, SRCCOPY);
    }
  } else {
    UniqueBrush brush(CreateSolidBrush(ColorToRGB(SkinData->Colours.Menubar)));
    FillRect(dc, &b.Bounds, brush.get());
  }
  // A single button is repainted on a fresh window DC, which has no font.
  UniqueFont font = MenuFont(false);
  SelectGuard fontIn(dc, font ? static_cast<HGDIOBJ>(font.get()) : GetStockObject(DEFAULT_GUI_FONT));
  const int mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF colour =
      SetTextColor(dc, !b.Enabled ? ColorToRGB(SkinData->Colours.ButtonShadow)
                                  : ColorToRGB(lit ? SkinData->Colours.HilightText : SkinData->Colours.MenuBarText));
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
}

TMenuBtn* TWinSkinMenu::ButtonAt(POINT p) const {
  for (const auto& b : Buttons)
    if (PtInRect(&b->Bounds, p)) return b.get();
  return nullptr;
}

TMenuBtn* TWinSkinMenu::ButtonByAccelerator(wchar_t key) const {
  const auto lower = static_cast<wchar_t>(std::towlower(key));
  for (const auto& b : Buttons)
    if (b->Accelerator == lower && b->Enabled) return b.get();
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
    b->State = 2;
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
      b->State = 1;
      if (Frame->HotItem == b) Frame->HotItem = nullptr;
      b->Paint();
    }
    index = next;
  }
  return opened;
}

}  // namespace pellamy
