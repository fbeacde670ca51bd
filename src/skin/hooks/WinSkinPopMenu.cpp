#include "skin/hooks/WinSkinPopMenu.h"

#include <commctrl.h>

#include "skin/draw/SkinDraw.h"
#include "skin/frame/WinSkinForm.h"
#include "skin/model/SkinDeviceObjects_win32.h"
#include "skin/model/SkinManager.h"

namespace pellamy {

TWinSkinPopMenu* CurrentPopupSkinner = nullptr;

namespace {
constexpr UINT_PTR kPopupSubclassId = 0x534B504D;

LRESULT CALLBACK PopupSubclassProc(HWND, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  return reinterpret_cast<TWinSkinPopMenu*>(data)->PopupWndProc(msg, wparam, lparam);
}
}  // namespace

TWinSkinPopMenu::~TWinSkinPopMenu() {
  if (CurrentPopupSkinner == this) CurrentPopupSkinner = nullptr;
  // At program end the menu windows are gone; a skinner still attached to a
  // live window takes its layer off, so the window never calls into freed
  // memory.
  if (FAttached && IsWindow(Handle)) Detach();
}

void TWinSkinPopMenu::Attach(HWND window, TSkinData* skinData, HMENU parentMenu) {
  Handle = window;
  SkinData = skinData;
  ParentMenu = parentMenu;
  FAttached = SetWindowSubclass(window, &PopupSubclassProc, kPopupSubclassId, reinterpret_cast<DWORD_PTR>(this)) != 0;
}

void TWinSkinPopMenu::Detach() {
  if (!FAttached) return;
  RemoveWindowSubclass(Handle, &PopupSubclassProc, kPopupSubclassId);
  BorderBitmap.SetSize(0, 0);
  FAttached = false;
  if (CurrentPopupSkinner == this) CurrentPopupSkinner = nullptr;
}

bool TWinSkinPopMenu::Usable() const {
  return SkinData != nullptr && !SkinData->SkinEmpty && SkinData->MenuBackground &&
         SkinData->MenuBackground->Bitmap.Width > 0 && SkinData->MenuBackground->Bitmap.Height > 0;
}

bool TWinSkinPopMenu::BuildBorderBitmap() {
  RECT window;
  GetWindowRect(Handle, &window);
  const int w = window.right - window.left, h = window.bottom - window.top;
  TBitmap* image = SkinDeviceBitmap(*SkinData, SkinData->MenuBackground->Bitmap);
  if (w <= 0 || h <= 0 || image == nullptr) return false;
  const TDataSkinObject& e = *SkinData->MenuBackground;
  auto built = BuildNineGrid({0, 0, w, h}, *image, {e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight}, false,
                             e.Tile != 0, 1, 1);
  BorderBitmap.Assign(*built);
  if (ParentMenu == nullptr) CurrentPopupSkinner = this;
  return true;
}

void TWinSkinPopMenu::CopyFrame(HDC dc) {
  const int w = BorderBitmap.Width(), h = BorderBitmap.Height();
  HDC src = BorderBitmap.Canvas().Handle();
  BitBlt(dc, 0, 0, w, kBorder, src, 0, 0, SRCCOPY);
  BitBlt(dc, 0, h - kBorder, w, kBorder, src, 0, h - kBorder, SRCCOPY);
  BitBlt(dc, 0, 0, kBorder, h, src, 0, 0, SRCCOPY);
  BitBlt(dc, w - kBorder, 0, kBorder, h, src, w - kBorder, 0, SRCCOPY);
}

bool TWinSkinPopMenu::PaintBorder() {
  if (!Usable() || !BuildBorderBitmap()) return false;
  try {
    WindowDc dc(Handle, WindowDc::TArea::Window);
    CopyFrame(dc.get());
  } catch (...) {
    SkinFault("the popup menu's border");
  }
  return true;
}

bool TWinSkinPopMenu::PrintBorder(HDC dc, LRESULT& result, LPARAM flags) {
  if (!Usable() || !BuildBorderBitmap()) return false;
  const int w = BorderBitmap.Width(), h = BorderBitmap.Height();
  BitBlt(dc, 0, 0, w, h, BorderBitmap.Canvas().Handle(), 0, 0, SRCCOPY);
  const int mode = SetBkMode(dc, TRANSPARENT);
  UniqueRgn clip(CreateRectRgn(kBorder, kBorder, w - kBorder, h - kBorder));
  SelectClipRgn(dc, clip.get());
  result = DefSubclassProc(Handle, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags);
  SelectClipRgn(dc, nullptr);
  SetBkMode(dc, mode);
  return true;
}

LRESULT TWinSkinPopMenu::PopupWndProc(UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == kSkinnedQuery) return 1;
  if (SkinManager == nullptr || !SkinManager->Enabled) return DefSubclassProc(Handle, msg, wparam, lparam);
  switch (msg) {
    case WM_DESTROY: {
      HWND window = Handle;
      Detach();
      return DefSubclassProc(window, msg, wparam, lparam);
    }
    case WM_NCPAINT:
      if (PaintBorder()) return 0;
      return DefSubclassProc(Handle, msg, wparam, lparam);
    case WM_PRINT: {
      LRESULT result = 0;
      if (PrintBorder(reinterpret_cast<HDC>(wparam), result, lparam)) return result;
      return DefSubclassProc(Handle, msg, wparam, lparam);
    }
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      // Where the menu window draws its own border with its items, let it
      // paint and put ours over the frame it drew.
      const LRESULT result = DefSubclassProc(Handle, msg, wparam, lparam);
      if (Usable() && BuildBorderBitmap()) {
        if (msg == WM_PRINTCLIENT) {
          CopyFrame(reinterpret_cast<HDC>(wparam));
        } else {
          try {
            WindowDc dc(Handle, WindowDc::TArea::Window);
            CopyFrame(dc.get());
          } catch (...) {
            SkinFault("the popup menu's border");
          }
        }
      }
      return result;
    }
    default:
      return DefSubclassProc(Handle, msg, wparam, lparam);
  }
}

}  // namespace pellamy
