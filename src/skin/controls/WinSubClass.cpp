#include "skin/controls/WinSubClass.h"

#include <commctrl.h>

#include <algorithm>

#include "gui/controls/StdCtrls.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/WideText.h"
#include "skin/controls/SkinUpDown.h"
#include "skin/draw/SkinDraw.h"
#include "skin/model/SkinDeviceObjects_win32.h"
#include "skin/model/SkinManager.h"

namespace pellamy {

namespace {

constexpr UINT_PTR kControlSubclassId = 0x534B4354;
// The library's notifications the controls listen to.
constexpr UINT kCheckChanged = 0xB01B;
constexpr UINT kCheckClicked = 0xB0D0;

LRESULT CALLBACK ControlSubclassProc(HWND, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  return reinterpret_cast<TSkinControl*>(data)->WindowMessage(msg, wparam, lparam);
}

std::string TextOf(HWND hwnd) {
  wchar_t buffer[512];
  const int n = GetWindowTextW(hwnd, buffer, 512);
  return WideToUtf8(std::wstring(buffer, static_cast<std::size_t>(std::max(n, 0))));
}

RECT Margins(const TDataSkinObject& e) {
  return {e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight};
}

}  // namespace

// ------------------------------------------------------------ TSkinControl

TSkinControl::TSkinControl(TComponent* owner) : TComponent(owner) {}

TSkinControl::~TSkinControl() {
  UnhookControl();
  if (FRemade != nullptr) FRemade->RemoveWindowHook(&FRemade);
  if (FSubclassed && IsWindow(Handle)) RemoveWindowSubclass(Handle, &ControlSubclassProc, kControlSubclassId);
  if (Form != nullptr) Form->RemoveSkinControl(this);
}

void TSkinControl::Notification(TComponent* component, bool removing) {
  TComponent::Notification(component, removing);
  if (removing && component != nullptr && component == FRemade) FRemade = nullptr;
  if (removing && component != nullptr && (component == Control || component == Component)) {
    // The control is going; its hooks go with it.
    Control = nullptr;
    Component = nullptr;
    FHooked = false;
    State = scDestroyed;
  }
}

void TSkinControl::HookControl(TControl* control) {
  control->AddWindowHook(this, [this](TMessage& m, const TWndMethod& next) { Dispatch(m, next); });
  FHooked = true;
}

void TSkinControl::UnhookControl() {
  if (!FHooked) return;
  FHooked = false;
  if (Control != nullptr)
    Control->RemoveWindowHook(this);
  else if (Component != nullptr)
    Component->RemoveWindowHook(this);
}

void TSkinControl::Reattach() {
  Handle = Control->Handle();
  State = scAttached;
  if (Recolor) Control->SetColor(SkinData->Colours.ButtonFace);
  RefreshState();
  InvalidateRect(Handle, nullptr, TRUE);
}

void TSkinControl::Adopt(TSkinControlHost* form, TSkinData* skinData, bool recolor, TWinControl* control) {
  Recolor = recolor;
  SkinData = skinData;
  Form = form;
  Control = control;
  FreeNotification(control);
  Handle = control->HandleAllocated() ? control->Handle() : nullptr;
  form->AddSkinControl(this);
  if (Recolor) {
    SavedColor = control->Color();
    control->SetColor(skinData->Colours.ButtonFace);
  }
  Initialized = true;
  State = scAttached;
}

void TSkinControl::InitControl(TSkinControlHost* form, TSkinData* skinData, bool recolor, TWinControl* control) {
  if (Initialized) return;
  control->HandleNeeded();
  HookControl(control);
  control->SetDoubleBuffered(true);
  Adopt(form, skinData, recolor, control);
  RefreshState();
  InvalidateRect(Handle, nullptr, TRUE);
}

void TSkinControl::InitWindow(HWND handle, TSkinData* skinData, TSkinControlHost* form) {
  if (Initialized) return;
  SkinData = skinData;
  Form = form;
  Handle = handle;
  Enabled = true;
  form->AddSkinControl(this);
  Caption = TextOf(handle);
  FSubclassed =
      SetWindowSubclass(handle, &ControlSubclassProc, kControlSubclassId, reinterpret_cast<DWORD_PTR>(this)) != 0;
  InvalidateRect(Handle, nullptr, TRUE);
  Initialized = true;
  State = scAttached;
  // The library makes some windows again (a page control whose tabs move,
  // an edit changing style); the skin goes on to the new one.
  if (TWinControl* owner = TWinControl::FromHandle(handle); owner != nullptr && FRemade == nullptr) {
    FRemade = owner;
    FreeNotification(owner);
    owner->AddWindowHook(&FRemade, [this](TMessage& m, const TWndMethod& next) {
      next(m);
      if (m.Msg == CM_HANDLECREATED && State == scDestroyed) FollowRemadeWindow();
    });
  }
}

void TSkinControl::FollowRemadeWindow() {
  if (FRemade == nullptr || !FRemade->HandleAllocated()) return;
  Handle = FRemade->Handle();
  FSubclassed =
      SetWindowSubclass(Handle, &ControlSubclassProc, kControlSubclassId, reinterpret_cast<DWORD_PTR>(this)) != 0;
  State = scAttached;
  RefreshState();
  RedrawWindow(Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

void TSkinControl::RefreshState() {
  if (Handle == nullptr || !IsWindow(Handle)) return;
  Focused = GetFocus() == Handle;
  Enabled = (GetWindowLongPtrW(Handle, GWL_STYLE) & WS_DISABLED) == 0;
  Caption = TextOf(Handle);
  if (Caption.empty() && Control != nullptr) Caption = Control->Text();
}

void TSkinControl::Restore() {
  if (Recolor && Control != nullptr) Control->SetColor(SavedColor);
}

void TSkinControl::SkinChanged() {
  if (Recolor && Control != nullptr) Control->SetColor(SkinData->Colours.ButtonFace);
  if (Handle != nullptr && IsWindow(Handle)) InvalidateRect(Handle, nullptr, TRUE);
}

LRESULT TSkinControl::WindowMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  TMessage m{msg, wparam, lparam, 0};
  HWND window = Handle;
  Dispatch(m, [window](TMessage& message) {
    message.Result = DefSubclassProc(window, message.Msg, message.WParam, message.LParam);
  });
  return m.Result;
}

void TSkinControl::Dispatch(TMessage& m, const TWndMethod& passOn) {
  if (BeforeMessage(m, passOn)) {
    passOn(m);
    AfterMessage(m);
  }
}

bool TSkinControl::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  if (m.Msg == CM_CONTROLGOING) {
    UnhookControl();
    State = scDestroyed;
    return true;
  }
  if (m.Msg == CM_HANDLECREATED && State == scDestroyed && Control != nullptr && Control->HandleAllocated()) {
    passOn(m);
    Reattach();
    return false;
  }
  if (m.Msg == WM_NCDESTROY) {
    passOn(m);
    State = scDestroyed;
    Restore();
    if (FSubclassed) RemoveWindowSubclass(Handle, &ControlSubclassProc, kControlSubclassId);
    FSubclassed = false;
    return false;
  }
  return true;
}

void TSkinControl::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
      Refresh();
      break;
    case WM_SETTEXT:
      Caption = TextOf(Handle);
      Refresh();
      break;
    case WM_PAINT:
      PaintWindow(reinterpret_cast<HDC>(m.WParam));
      break;
    default:
      break;
  }
}

void TSkinControl::Refresh() {
  if (Handle == nullptr || GetParent(Handle) == nullptr) return;
  InvalidateRect(Handle, nullptr, FALSE);
  UpdateWindow(Handle);
}

void TSkinControl::PaintWindow(HDC dc) {
  if (Handle == nullptr || !IsWindow(Handle)) return;
  try {
    GetWindowRect(Handle, &ScreenRect);
    WindowDc own;
    if (dc == nullptr) {
      own = WindowDc(Handle, WindowDc::TArea::Window);
      dc = own.get();
    }
    Paint(dc, {0, 0, ScreenRect.right - ScreenRect.left, ScreenRect.bottom - ScreenRect.top});
  } catch (...) {
    SkinFault("a skinned control's paint");
  }
}

void TSkinControl::Paint(HDC, const RECT&) {}

void TSkinControl::OwnPaint(TMessage& m) {
  if (m.WParam != 0) {
    GetWindowRect(Handle, &ScreenRect);
    Paint(reinterpret_cast<HDC>(m.WParam),
          {0, 0, ScreenRect.right - ScreenRect.left, ScreenRect.bottom - ScreenRect.top});
  } else {
    PaintDc paint(Handle);
    GetWindowRect(Handle, &ScreenRect);
    Paint(paint.get(), {0, 0, ScreenRect.right - ScreenRect.left, ScreenRect.bottom - ScreenRect.top});
  }
  m.Result = 0;
}

bool TSkinControl::TakeOverPaint(TMessage& m) {
  if (m.Msg == WM_PAINT) {
    OwnPaint(m);
    return true;
  }
  if (m.Msg == WM_ERASEBKGND) {
    m.Result = 1;
    return true;
  }
  return false;
}

HDC TSkinControl::SizedBuffer(TBitmap& buffer, int w, int h) {
  if (buffer.Width() != w || buffer.Height() != h) {
    buffer.SetPixelFormat(pf24bit);
    buffer.SetSize(w, h);
  }
  return buffer.Canvas().Handle();
}

void TSkinControl::FillFace(HDC dc, const RECT& rect) const {
  UniqueBrush brush(CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonFace)));
  FillRect(dc, &rect, brush.get());
}

// ------------------------------------------------------------- TSkinButton

bool TSkinButton::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  const bool usable = Usable();
  switch (m.Msg) {
    case WM_PAINT:
      if (!usable) break;
      OwnPaint(m);
      return false;
    case WM_ERASEBKGND:
      if (!usable) break;
      m.Result = 1;
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The button itself never sees the press: its click comes from us, on
      // release, while it is still pressed.
      if (GetFocus() != Handle) SetFocus(Handle);
      MouseFlags |= mfPressed;
      SetCapture(Handle);
      PaintWindow();
      m.Result = 0;
      return false;
    default:
      break;
  }
  return TSkinControl::BeforeMessage(m, passOn);
}

void TSkinButton::MouseLeave() {
  if (!Enabled) return;
  MouseFlags &= ~(mfHot | mfPressed);
  Refresh();
  if (Form != nullptr && Form->DialogHotButton == this) Form->DialogHotButton = nullptr;
}

void TSkinButton::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
      if (m.WParam == VK_SPACE) {
        MouseFlags |= mfPressed;
        Refresh();
      }
      return;
    case WM_KEYUP:
      if (m.WParam == VK_SPACE) {
        MouseFlags &= ~mfPressed;
        Refresh();
      }
      return;
    case WM_MOUSEMOVE: {
      if (GetCapture() == Handle) {
        // Dragged off the button while pressed: no click on release.
        POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
        RECT client;
        GetClientRect(Handle, &client);
        const bool inside = PtInRect(&client, p) != FALSE;
        const unsigned before = MouseFlags;
        MouseFlags = inside ? (MouseFlags | mfPressed | mfHot) : (MouseFlags & ~(mfPressed | mfHot));
        if (MouseFlags != before) Refresh();
        return;
      }
      if ((MouseFlags & mfHot) != 0) return;
      MouseFlags |= mfHot;
      if (Form != nullptr && Form->DialogHotButton != nullptr && Form->DialogHotButton != this)
        Form->DialogHotButton->MouseLeave();
      if (Form != nullptr && Form->DialogHotButton != this) {
        Refresh();
        Form->DialogHotButton = this;
      }
      return;
    }
    case WM_LBUTTONUP:
      if (GetCapture() == Handle) ReleaseCapture();
      if ((MouseFlags & mfPressed) != 0) {
        MouseFlags &= ~mfPressed;
        Refresh();
        Click();
      }
      return;
    case CM_MOUSEENTER:
      if (Enabled) {
        MouseFlags |= mfHot;
        Refresh();
        if (Form != nullptr) Form->DialogHotButton = this;
      }
      return;
    case CM_MOUSELEAVE:
      if (GetCapture() != Handle) MouseLeave();
      return;
    default:
      TSkinControl::AfterMessage(m);
      return;
  }
}

void TSkinButton::Click() {
  if (Control != nullptr) {
    Control->Click();
    return;
  }
  HWND parent = GetParent(Handle);
  if (parent != nullptr)
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Handle), BN_CLICKED), reinterpret_cast<LPARAM>(Handle));
}

int TSkinButton::ImageIndex() const {
  if (!Enabled) return 3;
  if (MouseFlags & mfPressed) return 2;
  if (Focused || (MouseFlags & mfHot)) return 4;
  return 1;
}

bool TSkinButton::Usable() const {
  return SkinData != nullptr && SkinData->Buttons && SkinData->Buttons->Bitmap.Width > 0;
}

TColor TSkinButton::TextColour(int index) const {
  const TDataSkinButton& e = *SkinData->Buttons;
  TColor colour = SkinData->Colours.ButtonText;
  if (index == 1 && e.HasNormalColour2) colour = e.NormalColour2;
  if (index == 4 && e.HasMouseOverColour2) colour = e.MouseOverColour2;
  if (index == 2 && e.HasPressedColour2) colour = e.PressedColour2;
  if (index == 3) colour = static_cast<TColor>(0x80000010);
  return colour;
}

void TSkinButton::Paint(HDC dc, const RECT& rect) {
  if (!Usable()) return;
  RefreshState();
  PaintButton(dc, rect, reinterpret_cast<HFONT>(SendMessageW(Handle, WM_GETFONT, 0, 0)), true);
}

void TSkinButton::PaintButton(HDC dc, const RECT& rect, HFONT font, bool face) {
  const TDataSkinButton& e = *SkinData->Buttons;
  TBitmap* image = SkinDeviceBitmap(*SkinData, e.Bitmap);
  if (image == nullptr) return;
  const int index = ImageIndex();
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  HDC buffer = SizedBuffer(FBuffer, w, h);
  FillFace(buffer, {0, 0, w, h});
  if (face)
    DrawNineGrid(buffer, {0, 0, w, h}, *image, false, e.Tile != 0, e.Trans == 1, std::max(1, e.FrameCount), index,
                 Margins(e));
  SelectGuard select(buffer, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(buffer, ColorToRGB(TextColour(index)));
  SetBkMode(buffer, TRANSPARENT);
  DrawContent(buffer, {0, 0, w, h}, index);
  GdiFlush();
  BitBlt(dc, rect.left, rect.top, w, h, buffer, 0, 0, SRCCOPY);
}

void TSkinButton::DrawContent(HDC buffer, const RECT& area, int) {
  const int w = area.right - area.left, h = area.bottom - area.top;
  std::wstring text = Utf8ToWide(Caption);
  RECT measured{0, 0, w, h};
  DrawTextW(buffer, text.c_str(), static_cast<int>(text.size()), &measured,
            DT_CALCRECT | DT_CENTER | DT_EXPANDTABS | DT_NOCLIP);
  const int tw = measured.right - measured.left, th = measured.bottom - measured.top;
  RECT place{area.left + (w - tw) / 2, area.top + (h - th) / 2, area.left + (w - tw) / 2 + tw,
             area.top + (h - th) / 2 + th};
  DrawTextWide(buffer, text, place, DT_CENTER | DT_EXPANDTABS);
}

// ------------------------------------------------- check and radio buttons

void TSkinCheckBox::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case BM_SETCHECK:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case kCheckChanged:
    case kCheckClicked:
      Refresh();
      return;
    default:
      TSkinControl::AfterMessage(m);
      return;
  }
}

int TSkinCheckBox::GlyphIndex() const {
  bool checked = false;
  bool grayed = false;
  if (Control != nullptr && Control->HasProperty("Checked")) {
    std::string text = Control->GetPropertyText("Checked");
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    checked = text == "true";
  } else {
    const LRESULT state = SendMessageW(Handle, BM_GETSTATE, 0, 0);
    checked = (state & BST_CHECKED) != 0;
    grayed = (state & BST_INDETERMINATE) != 0;
  }
  if (!IsRadio() && Control != nullptr) {
    if (auto* box = dynamic_cast<TCustomCheckBox*>(Control)) grayed = box->State() == cbGrayed;
  }
  int index = checked ? 2 : 1;
  if (!IsRadio() && grayed) index = 4;
  if ((GetWindowLongPtrW(Handle, GWL_STYLE) & WS_DISABLED) != 0) index += 2;
  return index;
}

void TSkinCheckBox::Paint(HDC dc, const RECT& rect) {
  if (SkinData == nullptr || !SkinData->Buttons) return;
  const TDataSkinButton& e = *SkinData->Buttons;
  const TPixelImage& strip = IsRadio() ? e.RadioBitmap : e.CheckBitmap;
  const int count = std::max(1, IsRadio() ? e.RadioButtonFrame : e.CheckButtonFrame);
  TBitmap* image = SkinDeviceBitmap(*SkinData, strip);
  if (image == nullptr) return;
  const int gw = strip.Width / count, gh = strip.Height;
  const bool right = (GetWindowLongPtrW(Handle, GWL_STYLE) & BS_LEFTTEXT) != 0;
  const int column = GetSystemMetrics(SM_CXMENUCHECK) + 3;
  const int h = rect.bottom - rect.top;
  RECT area = right ? RECT{rect.right - column, rect.top, rect.right, rect.bottom}
                    : RECT{rect.left, rect.top, rect.left + column, rect.bottom};
  FillFace(dc, area);
  const int slot = gw < 15 ? 14 : gw;
  const int x = right ? area.right - slot + (slot - gw) / 2 : area.left + (slot - gw) / 2;
  const int y = rect.top + (h - gh) / 2;
  DrawSkinFrame(dc, {x, y, x + gw, y + gh}, *image, true, count, std::min(GlyphIndex(), count));
}

// ------------------------------------------------------------ group, box

void TSkinGroupBox::Paint(HDC dc, const RECT& rect) {
  if (SkinData == nullptr) return;
  RefreshState();
  // The library's windows do not answer WM_GETFONT: their font is the control's.
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(Handle, WM_GETFONT, 0, 0));
  if (font == nullptr && Control != nullptr) font = Control->Font().Handle();
  SelectGuard select(dc, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  // Where the control draws its own line, so the face covers all of it.
  const int top = rect.top + metrics.tmHeight / 2 - 1;
  if (HBRUSH face = FaceBrush(*SkinData)) {
    RECT outer{rect.left, top, rect.right, rect.bottom};
    FrameRect(dc, &outer, face);
    InflateRect(&outer, -1, -1);
    FrameRect(dc, &outer, face);
  }
  UniquePen pen(CreatePen(PS_SOLID, 1, ColorToRGB(SkinData->Colours.ButtonShadow)));
  SelectGuard penSelect(dc, pen.get());
  SelectGuard hollow(dc, GetStockObject(HOLLOW_BRUSH));
  RoundRect(dc, rect.left, top, rect.right, rect.bottom, 5, 5);
  if (!Caption.empty()) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ColorToRGB(SkinData->Colours.ButtonFace));
    SetTextColor(dc, ColorToRGB(SkinData->Colours.ButtonText));
    const std::wstring text = Utf8ToWide(Caption);
    TextOutW(dc, rect.left + 8, rect.top, text.c_str(), static_cast<int>(text.size()));
  }
}

void TSkinBox::InitControl(TSkinControlHost* form, TSkinData* skinData, bool recolor, TWinControl* control) {
  if (!Initialized) Adopt(form, skinData, recolor, control);
}

void TSkinBox::Restore() {
  if (State != scDestroyed) TSkinControl::Restore();
  State = scRestored;
}

// -------------------------------------------------------------------- edit

bool TSkinEdit::BeforeMessage(TMessage& m, const TWndMethod& passOn) {
  if (m.Msg == WM_PRINT) {
    passOn(m);
    PaintWindow(reinterpret_cast<HDC>(m.WParam));
    return false;
  }
  return TSkinControl::BeforeMessage(m, passOn);
}

void TSkinEdit::AfterMessage(TMessage& m) {
  if (m.Msg == WM_NCPAINT) {
    PaintWindow();
    return;
  }
  if (m.Msg == WM_PAINT) {
    SkinSpinButton();
    PaintWindow();
    return;
  }
  TSkinControl::AfterMessage(m);
}

void TSkinEdit::SkinSpinButton() {
  if (FUpDown != nullptr && FUpDown->State == scAttached) return;
  HWND arrows = FindWindowExW(Handle, nullptr, L"msctls_updown32", nullptr);
  if (arrows == nullptr) arrows = FindWindowExW(Handle, nullptr, L"TSpinButton", nullptr);
  if (arrows == nullptr || Form == nullptr) return;
  delete FUpDown;
  FUpDown = new TSkinUpDown(this);
  FUpDown->InSpinEdit = true;
  FUpDown->InitWindow(arrows, SkinData, Form);
}

void TSkinEdit::SkinChanged() {
  TSkinControl::SkinChanged();
  if (FUpDown != nullptr) FUpDown->SkinChanged();
}

void TSkinEdit::Paint(HDC dc, const RECT& rect) {
  RECT window, client;
  GetWindowRect(Handle, &window);
  GetClientRect(Handle, &client);
  // Only a bordered edit has a frame to draw.
  if (client.right >= window.right - window.left && client.bottom >= window.bottom - window.top) return;
  UniqueBrush shadow(CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonShadow)));
  RECT r = rect;
  FrameRect(dc, &r, shadow.get());
  InflateRect(&r, -1, -1);
  FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

}  // namespace pellamy
