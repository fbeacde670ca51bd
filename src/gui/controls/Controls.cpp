#include "gui/controls/Controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <set>

#include "base/Exceptions.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/WideText.h"
#include "gui/gdi/WindowClass.h"

namespace pellamy {

namespace {
TControlExceptionSink GExceptionSink = nullptr;
}  // namespace

TControlExceptionSink SetControlExceptionSink(TControlExceptionSink sink) {
  return std::exchange(GExceptionSink, sink);
}

void RecreateWnd(TWinControl& control) {
  if (!control.HandleAllocated()) return;
  const bool focused = control.Focused();
  control.DestroyHandle();
  control.HandleNeeded();
  if (focused) control.SetFocus();
}

bool TWinControl::SelectNext(TWinControl*, bool) {
  return false;
}

namespace {

constexpr UINT_PTR kLibrarySubclassId = 0x50454C31;  // "PEL1"
const wchar_t kControlProp[] = L"PellamyControl";

bool IsMouseMessage(UINT msg) {
  return (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) && msg != WM_MOUSEWHEEL && msg != WM_MOUSEHWHEEL;
}

}  // namespace

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner) : TComponent(owner), FFont(std::make_unique<TFont>()) {
  WindowProc = [this](TMessage& m) { WndProc(m); };
  FFont->OnChange = [this] {
    FParentFont = false;
    FontChanged();
  };
}

TControl::~TControl() {
  // Layers over the control come off now, while its hooks still stand.
  if (!FHooks.empty()) {
    try {
      Perform(CM_CONTROLGOING);
    } catch (...) {
    }
  }
  if (FParent != nullptr) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == FParent) return;
  if (FParent != nullptr) FParent->RemoveControl(this);
  FParent = parent;
  if (parent != nullptr) {
    parent->InsertControl(this);
    if (FParentColor) TakeColor(parent->Color());
    if (FParentFont) {
      auto saved = FFont->OnChange;
      FFont->OnChange = nullptr;
      FFont->Assign(parent->Font());
      FFont->OnChange = saved;
      FontChanged();
    }
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
  const RECT old = BoundsRect();
  FLeft = left, FTop = top, FWidth = std::max(0, width), FHeight = std::max(0, height);
  if (!IsWindowed() && FParent != nullptr && FParent->HandleAllocated()) {
    InvalidateRect(FParent->Handle(), &old, FALSE);
    Invalidate();
  }
  Resize();
  if (FParent != nullptr && FParent->HandleAllocated())
    FParent->Perform(CM_CONTROLCHANGE, reinterpret_cast<std::uintptr_t>(this));
}

void TControl::SetVisible(bool visible) {
  if (FVisible == visible) return;
  FVisible = visible;
  if (!IsWindowed() && FParent != nullptr && FParent->HandleAllocated()) {
    const RECT r = BoundsRect();
    InvalidateRect(FParent->Handle(), &r, FALSE);
  }
  Perform(CM_VISIBLECHANGED, visible ? 1 : 0);
  if (FParent != nullptr && FParent->HandleAllocated())
    FParent->Perform(CM_CONTROLCHANGE, reinterpret_cast<std::uintptr_t>(this));
}

void TControl::SetEnabled(bool enabled) {
  if (FEnabled == enabled) return;
  FEnabled = enabled;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetText(const std::string& text) {
  if (FText == text) return;
  FText = text;
  Perform(CM_TEXTCHANGED);
  TextChanged();
  AdjustSize();
  Invalidate();
}

void TControl::SetColor(TColor color) {
  FParentColor = false;
  TakeColor(color);
}

void TControl::TakeColor(TColor color) {
  if (FColor == color) return;
  FColor = color;
  Perform(CM_COLORCHANGED);
  ColorChanged();
  Invalidate();
}

void TControl::ColorChanged() {}

void TControl::SetParentColor(bool value) {
  FParentColor = value;
  if (value && FParent != nullptr) TakeColor(FParent->Color());
}

void TWinControl::ColorChanged() {
  for (TControl* c : FControls)
    if (c->ParentColor()) c->TakeColor(Color());
}

void TControl::SetParentFont(bool value) {
  FParentFont = value;
  if (value && FParent != nullptr) {
    FFont->Assign(FParent->Font());
    FParentFont = true;
  }
}

void TControl::SetAlign(TAlign align) {
  FAlign = align;
  if (FParent != nullptr) FParent->AlignControls();
}

void TControl::SetAutoSize(bool value) {
  FAutoSize = value;
  if (value) AdjustSize();
}

void TControl::FontChanged() {
  Perform(CM_FONTCHANGED);
  AdjustSize();
  Invalidate();
}

std::intptr_t TControl::Perform(unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) {
  TMessage m{msg, wparam, lparam, 0};
  Deliver(m);
  return m.Result;
}

void TControl::AddWindowHook(const void* key, TWndHook hook) {
  FHooks.push_back(std::make_shared<THookLayer>(THookLayer{key, std::move(hook)}));
}

void TControl::RemoveWindowHook(const void* key) {
  for (auto it = FHooks.end(); it != FHooks.begin();) {
    --it;
    if ((*it)->Key == key) {
      FHooks.erase(it);
      return;
    }
  }
}

void TControl::CallLayer(TControl& control, const std::vector<std::shared_ptr<THookLayer>>& layers, std::size_t count,
                         TMessage& m) {
  if (count == 0) {
    control.WindowProc(m);
    return;
  }
  const TWndMethod next = [&control, &layers, count](TMessage& message) {
    CallLayer(control, layers, count - 1, message);
  };
  layers[count - 1]->Hook(m, next);
}

void TControl::Deliver(TMessage& m) {
  if (FHooks.empty()) {
    WindowProc(m);
    return;
  }
  // A layer may come off while a message passes through it.
  const std::vector<std::shared_ptr<THookLayer>> layers = FHooks;
  CallLayer(*this, layers, layers.size(), m);
}

void TControl::WndProc(TMessage& m) {
  if (!IsWindowed()) {
    const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
    switch (m.Msg) {
      case WM_LBUTTONDOWN:
        MouseDown(0, x, y);
        return;
      case WM_RBUTTONDOWN:
        MouseDown(1, x, y);
        return;
      case WM_MBUTTONDOWN:
        MouseDown(2, x, y);
        return;
      case WM_LBUTTONUP:
        MouseUp(0, x, y);
        return;
      case WM_RBUTTONUP:
        MouseUp(1, x, y);
        return;
      case WM_MBUTTONUP:
        MouseUp(2, x, y);
        return;
      case WM_MOUSEMOVE:
        MouseMove(x, y);
        return;
      case WM_LBUTTONDBLCLK:
        DblClick();
        MouseDown(0, x, y);
        return;
      case WM_PAINT:
        // From the parent's paint, with the DC set up for this control.
        if (m.WParam != 0) {
          TCanvas canvas(reinterpret_cast<HDC>(m.WParam));
          PaintControl(canvas);
        }
        return;
      default:
        break;
    }
  }
  switch (m.Msg) {
    case CM_MOUSEENTER:
      FMouseInControl = true;
      if (OnMouseEnter) OnMouseEnter(this);
      return;
    case CM_MOUSELEAVE:
      FMouseInControl = false;
      if (OnMouseLeave) OnMouseLeave(this);
      return;
    default:
      DefaultHandler(m);
  }
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::MouseDown(int button, int, int) {
  if (button == 0) FPressed = true;
}

void TControl::MouseUp(int button, int x, int y) {
  if (button != 0 || !FPressed) return;
  FPressed = false;
  if (x >= 0 && y >= 0 && x < FWidth && y < FHeight) Click();
}

void TControl::MouseMove(int, int) {}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::Invalidate() {
  if (FParent != nullptr && FParent->HandleAllocated()) {
    const RECT r = BoundsRect();
    InvalidateRect(FParent->Handle(), &r, FALSE);
  }
}

void TControl::Repaint() {
  Invalidate();
  if (FParent != nullptr && FParent->HandleAllocated()) UpdateWindow(FParent->Handle());
}

void TControl::BringToFront() {
  if (FParent == nullptr) return;
  auto& list = FParent->FControls;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.push_back(this);
  if (IsWindowed() && static_cast<TWinControl*>(this)->HandleAllocated())
    SetWindowPos(static_cast<TWinControl*>(this)->Handle(), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

POINT TControl::ClientToScreen(POINT p) const {
  if (IsWindowed()) {
    auto* self = const_cast<TWinControl*>(static_cast<const TWinControl*>(this));
    ::ClientToScreen(self->Handle(), &p);
    return p;
  }
  if (FParent == nullptr) return p;
  return FParent->ClientToScreen({p.x + FLeft, p.y + FTop});
}

POINT TControl::ScreenToClient(POINT p) const {
  if (IsWindowed()) {
    auto* self = const_cast<TWinControl*>(static_cast<const TWinControl*>(this));
    ::ScreenToClient(self->Handle(), &p);
    return p;
  }
  if (FParent == nullptr) return p;
  POINT q = FParent->ScreenToClient(p);
  return {q.x - FLeft, q.y - FTop};
}

void TControl::DefineProperties(TPropertyTable& table) const {
  TComponent::DefineProperties(table);
  auto* self = const_cast<TControl*>(this);
  table["Left"] = IntProp([self] { return self->FLeft; },
                          [self](std::int64_t v) { self->SetBounds(int(v), self->FTop, self->FWidth, self->FHeight); });
  table["Top"] = IntProp([self] { return self->FTop; },
                         [self](std::int64_t v) { self->SetBounds(self->FLeft, int(v), self->FWidth, self->FHeight); });
  table["Width"] = IntProp([self] { return self->FWidth; },
                           [self](std::int64_t v) { self->SetBounds(self->FLeft, self->FTop, int(v), self->FHeight); });
  table["Height"] = IntProp([self] { return self->FHeight; },
                            [self](std::int64_t v) { self->SetBounds(self->FLeft, self->FTop, self->FWidth, int(v)); });
  table["Visible"] = BoolProp([self] { return self->FVisible; }, [self](bool v) { self->SetVisible(v); });
  table["Enabled"] = BoolProp([self] { return self->FEnabled; }, [self](bool v) { self->SetEnabled(v); });
  table["Caption"] = StringProp([self] { return self->Text(); }, [self](const std::string& v) { self->SetText(v); });
  table["Color"] = IntProp([self] { return self->FColor; }, [self](std::int64_t v) { self->SetColor(TColor(v)); });
  table["ParentColor"] = BoolProp([self] { return self->FParentColor; }, [self](bool v) { self->SetParentColor(v); });
  table["ParentFont"] = BoolProp([self] { return self->FParentFont; }, [self](bool v) { self->SetParentFont(v); });
  table["Cursor"] = IntProp([self] { return self->FCursor; }, [self](std::int64_t v) { self->FCursor = int(v); });
  table["AutoSize"] = BoolProp([self] { return self->FAutoSize; }, [self](bool v) { self->SetAutoSize(v); });
  table["Align"] = EnumProp(
      {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}, [self] { return int(self->FAlign); },
      [self](int v) { self->SetAlign(TAlign(v)); });
}

// ------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  *FAlive = false;
  // Children that are not owned by this control leave its list first.
  for (TControl* c : std::vector<TControl*>(FControls)) c->SetParent(nullptr);
  DestroyHandle();
}

void TWinControl::DestroyHandle() {
  if (FHandle == nullptr) return;
  HWND h = FHandle;
  DestroyWindow(h);  // WM_NCDESTROY clears FHandle
  FHandle = nullptr;
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
  return hwnd != nullptr ? static_cast<TWinControl*>(GetPropW(hwnd, kControlProp)) : nullptr;
}

void TWinControl::InsertControl(TControl* control) {
  FControls.push_back(control);
  if (control->IsWindowed()) {
    auto* win = static_cast<TWinControl*>(control);
    if (win->FTabOrder < 0) {
      int count = 0;
      for (TControl* c : FControls)
        if (c != control && c->IsWindowed()) ++count;
      win->FTabOrder = count;
    }
    if (HandleAllocated()) win->Handle();
  } else {
    control->Invalidate();
  }
  if (control->Align() != alNone) AlignControls();
  if (HandleAllocated()) Perform(CM_CONTROLCHANGE, reinterpret_cast<std::uintptr_t>(control));
}

void TWinControl::RemoveControl(TControl* control) {
  if (FMouseControl == control) FMouseControl = nullptr;
  if (FCaptureControl == control) FCaptureControl = nullptr;
  FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
  if (control->IsWindowed()) {
    auto* win = static_cast<TWinControl*>(control);
    if (win->HandleAllocated() && !IsDestroying()) win->DestroyHandle();
  } else if (HandleAllocated()) {
    const RECT r = control->BoundsRect();
    InvalidateRect(FHandle, &r, FALSE);
  }
  // Not from this control's own destructor: hooks of the parts already
  // gone must not run.
  if (*FAlive && HandleAllocated()) Perform(CM_CONTROLCHANGE, reinterpret_cast<std::uintptr_t>(control));
}

void TWinControl::SetTabOrder(int order) {
  FTabOrder = order;
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = FText;
  p.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (Visible()) p.Style |= WS_VISIBLE;
  if (!Enabled()) p.Style |= WS_DISABLED;
  if (FTabStop) p.Style |= WS_TABSTOP;
  p.X = Left(), p.Y = Top(), p.Width = Width(), p.Height = Height();
  p.WndParent = Parent() != nullptr ? Parent()->Handle() : nullptr;
  p.WinClassName = ClassName();
}

HWND TWinControl::Handle() {
  if (FHandle == nullptr && Parent() != nullptr && !Parent()->HandleAllocated()) {
    // The parent's window comes first and makes ours with it; making ours
    // while the parent makes its own would leave a second window behind.
    Parent()->Handle();
    if (FHandle != nullptr) return FHandle;
  }
  if (FHandle == nullptr) {
    CreateWnd();
    // Children get their windows in creation order; each new one goes on top
    // so later controls lie over earlier ones.
    for (TControl* c : std::vector<TControl*>(FControls))
      if (c->IsWindowed()) static_cast<TWinControl*>(c)->Handle();
    CreateHandleDone();
    Perform(CM_HANDLECREATED);
  }
  return FHandle;
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  std::wstring caption = Utf8ToWide(p.Caption);
  if (!p.SystemClassName.empty()) {
    FOwnPaint = false;
    std::wstring cls = Utf8ToWide(p.SystemClassName);
    HWND h = CreateWindowExW(p.ExStyle, cls.c_str(), caption.c_str(), p.Style, p.X, p.Y, p.Width, p.Height, p.WndParent,
                             p.Id, instance, nullptr);
    if (h == nullptr) throw Exception("Error creating window of class " + p.SystemClassName);
    FHandle = h;
    SetPropW(h, kControlProp, this);
    SetWindowSubclass(h, &TWinControl::SubclassProc, kLibrarySubclassId, reinterpret_cast<DWORD_PTR>(this));
    FSubclassed = true;
  } else {
    std::wstring cls = Utf8ToWide(p.WinClassName);
    RegisterWindowClass(cls, &TWinControl::OwnWndProc, p.ClassStyle);
    HWND h = CreateWindowExW(p.ExStyle, cls.c_str(), caption.c_str(), p.Style, p.X, p.Y, p.Width, p.Height, p.WndParent,
                             p.Id, instance, this);
    if (h == nullptr) throw Exception("Error creating window of class " + p.WinClassName);
  }
  if (p.WndParent != nullptr) SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ApplyFont();
}

void TWinControl::ApplyFont() {
  if (FHandle != nullptr) SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
}

LRESULT CALLBACK TWinControl::OwnWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<TWinControl*>(cs->lpCreateParams);
    if (self != nullptr) {
      self->FHandle = hwnd;
      SetPropW(hwnd, kControlProp, self);
    }
  }
  TWinControl* self = FromHandle(hwnd);
  if (self == nullptr) return DefWindowProcW(hwnd, msg, wparam, lparam);
  return self->Dispatch(hwnd, msg, wparam, lparam);
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                           DWORD_PTR refData) {
  auto* self = reinterpret_cast<TWinControl*>(refData);
  return self->Dispatch(hwnd, msg, wparam, lparam);
}

LRESULT TWinControl::Dispatch(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  TMessage m{msg, wparam, lparam, 0};
  std::shared_ptr<bool> alive = FAlive;
  try {
    Deliver(m);
  } catch (...) {
    if (GExceptionSink != nullptr) GExceptionSink(std::current_exception());
  }
  if (msg == WM_NCDESTROY) {
    RemovePropW(hwnd, kControlProp);
    if (*alive) {
      if (FSubclassed) RemoveWindowSubclass(hwnd, &TWinControl::SubclassProc, kLibrarySubclassId);
      FSubclassed = false;
      FHandle = nullptr;
    }
  }
  return m.Result;
}

bool TWinControl::AnswerControlColour(TMessage& m) {
  // A system-class control asks its parent for colours; without an answer
  // it keeps the system's whatever Color says.
  auto dc = reinterpret_cast<HDC>(m.WParam);
  if (dc == nullptr) return false;
  const COLORREF colour = ColorToRGB(Color());
  if (!FColourBrush || FColourBrushColour != colour) {
    FColourBrush.reset(CreateSolidBrush(colour));
    FColourBrushColour = colour;
  }
  if (!FColourBrush) return false;
  SetTextColor(dc, ColorToRGB(Font().Color()));
  SetBkColor(dc, colour);
  m.Result = reinterpret_cast<LRESULT>(FColourBrush.get());
  return true;
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (FHandle == nullptr) return;
  if (FSubclassed)
    m.Result = DefSubclassProc(FHandle, m.Msg, m.WParam, m.LParam);
  else
    m.Result = DefWindowProcW(FHandle, m.Msg, m.WParam, m.LParam);
}

void TWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      if (m.LParam != 0) {
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(m.LParam)); child != nullptr && child != this) {
          m.Result = child->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
          return;
        }
      }
      break;
    case CN_CTLCOLORBTN:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORLISTBOX:
      if (AnswerControlColour(m)) return;
      break;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam);
      if (TWinControl* child = FromHandle(hdr->hwndFrom); child != nullptr && child != this) {
        m.Result = child->Perform(CN_NOTIFY, m.WParam, m.LParam);
        return;
      }
      break;
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM: {
      HWND item = m.Msg == WM_DRAWITEM ? reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam)->hwndItem : nullptr;
      if (TWinControl* child = FromHandle(item); child != nullptr && child != this) {
        m.Result = child->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
        return;
      }
      break;
    }
    case WM_ERASEBKGND:
      if (FOwnPaint) {
        // Our own paint fills the ground; a transparent child (a flat tool
        // bar) asking for the ground under it gets our colour here.
        auto dc = reinterpret_cast<HDC>(m.WParam);
        if (dc != nullptr && WindowFromDC(dc) != FHandle) {
          RECT box;
          if (GetClipBox(dc, &box) != ERROR) {
            TCanvas canvas(dc);
            canvas.Brush().SetColor(Color());
            canvas.FillRect(box);
          }
        }
        m.Result = 1;
        return;
      }
      break;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      if (FOwnPaint) {
        PaintHandler(m);
        return;
      }
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(m.WParam) == FHandle && LOWORD(m.LParam) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ::ScreenToClient(FHandle, &p);
        TControl* target = ControlAtPos(p);
        const int cursor = target != nullptr ? target->Cursor() : Cursor();
        if (cursor == crHandPoint) {
          ::SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
          m.Result = TRUE;
          return;
        }
      }
      break;
    case WM_MOUSELEAVE:
      FTrackingLeave = false;
      if (FMouseControl != nullptr) {
        TControl* old = FMouseControl;
        FMouseControl = nullptr;
        old->Perform(CM_MOUSELEAVE);
      }
      Perform(CM_MOUSELEAVE);
      break;
    case WM_SIZE:
      AlignControls();
      break;
    case CM_ENABLEDCHANGED:
      if (FHandle != nullptr) EnableWindow(FHandle, Enabled());
      break;
    case CM_VISIBLECHANGED:
      if (FHandle != nullptr) ShowWindow(FHandle, Visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case CM_FONTCHANGED:
      ApplyFont();
      for (TControl* c : FControls)
        if (c->ParentFont()) {
          auto saved = c->Font().OnChange;
          c->Font().OnChange = nullptr;
          c->Font().Assign(Font());
          c->Font().OnChange = saved;
          c->FontChanged();
        }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // Ancestors see a key first (a page control's Ctrl+Tab).
      for (TWinControl* p = Parent(); p != nullptr; p = p->Parent())
        if (p->Perform(CM_CHILDKEY, m.WParam, reinterpret_cast<std::intptr_t>(this)) != 0) {
          m.Result = 0;
          return;
        }
      break;
    case WM_SETFOCUS:
      if (OnEnter) OnEnter(this);
      break;
    case WM_KILLFOCUS:
      if (OnExit) OnExit(this);
      break;
    default:
      break;
  }
  if (IsMouseMessage(m.Msg)) {
    RouteMouse(m);
    return;
  }
  TControl::WndProc(m);
}

void TWinControl::TrackLeave() {
  if (FTrackingLeave || FHandle == nullptr) return;
  TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, FHandle, 0};
  if (TrackMouseEvent(&tme)) FTrackingLeave = true;
  Perform(CM_MOUSEENTER);
}

void TWinControl::RouteMouse(TMessage& m) {
  const POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  if (m.Msg == WM_MOUSEMOVE) TrackLeave();
  TControl* target = FCaptureControl != nullptr ? FCaptureControl : ControlAtPos(p);
  if (m.Msg == WM_MOUSEMOVE) {
    TControl* under = ControlAtPos(p);
    if (under != FMouseControl) {
      TControl* old = FMouseControl;
      FMouseControl = under;
      if (old != nullptr) old->Perform(CM_MOUSELEAVE);
      if (under != nullptr) under->Perform(CM_MOUSEENTER);
    }
  }
  if (target != nullptr) {
    if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) {
      FCaptureControl = target;
      SetCapture(FHandle);
    }
    std::shared_ptr<bool> alive = FAlive;
    const LPARAM local = MAKELPARAM(p.x - target->Left(), p.y - target->Top());
    const UINT msg = m.Msg;
    m.Result = target->Perform(msg, m.WParam, local);
    if (*alive && msg == WM_LBUTTONUP && FCaptureControl != nullptr) {
      FCaptureControl = nullptr;
      ReleaseCapture();
    }
    return;
  }
  // Own windows turn a left press and release into a click; system
  // controls report clicks through their notifications.
  if (FOwnPaint) {
    if (m.Msg == WM_LBUTTONDOWN) {
      FPressed = true;
    } else if (m.Msg == WM_LBUTTONDBLCLK) {
      DblClick();
    } else if (m.Msg == WM_LBUTTONUP && FPressed) {
      FPressed = false;
      RECT r = ClientRect();
      std::shared_ptr<bool> alive = FAlive;
      if (PtInRect(&r, p)) Click();
      if (!*alive) return;
    }
  }
  DefaultHandler(m);
}

TControl* TWinControl::ControlAtPos(POINT p) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (c->IsWindowed() || !c->Visible()) continue;
    const RECT r = c->BoundsRect();
    if (PtInRect(&r, p)) return c;
  }
  return nullptr;
}

void TWinControl::PaintHandler(TMessage& m) {
  RECT client;
  GetClientRect(FHandle, &client);
  if (m.Msg == WM_PRINTCLIENT) {
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    SavedDc saved(dc);
    PaintAll(dc, client, nullptr);
    return;
  }
  PaintDc paint(FHandle);
  const RECT& area = paint.PaintRect();
  const int w = client.right, h = client.bottom;
  if (FDoubleBuffered && w > 0 && h > 0) {
    // Without a back buffer (no memory left for it) the window is painted
    // directly: a flicker rather than a hole.
    UniqueMemDc mem;
    UniqueBitmap bmp(CreateCompatibleBitmap(paint.get(), w, h));
    if (bmp) {
      try {
        mem = UniqueMemDc::CompatibleWith(paint.get());
      } catch (const Exception&) {
      }
    }
    if (mem) {
      SelectGuard select(mem.get(), bmp.get());
      PaintAll(mem.get(), client, &area);
      BitBlt(paint.get(), area.left, area.top, area.right - area.left, area.bottom - area.top, mem.get(), area.left,
             area.top, SRCCOPY);
      return;
    }
  }
  SavedDc saved(paint.get());
  PaintAll(paint.get(), client, &area);
}

void TWinControl::PaintAll(HDC dc, const RECT& client, const RECT* clip) {
  {
    TCanvas canvas(dc);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(client);
    Paint(canvas);
  }
  PaintControls(dc, clip);
}

void TWinControl::PaintControls(HDC dc, const RECT* clip) {
  for (TControl* c : FControls) {
    if (c->IsWindowed() || !c->Visible() || c->Width() <= 0 || c->Height() <= 0) continue;
    RECT r = c->BoundsRect(), overlap;
    if (clip != nullptr && !IntersectRect(&overlap, &r, clip)) continue;
    SavedDc saved(dc);
    POINT origin;
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x + r.left, origin.y + r.top, nullptr);
    IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
    // As a message, so that a layer over the control can paint it instead.
    TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    c->Deliver(paint);
  }
}

void TWinControl::AlignControls() {
  RECT area = ClientRect();
  for (TControl* c : FControls) {
    if (!c->Visible() || c->Align() == alNone) continue;
    const int w = c->Width(), h = c->Height();
    switch (c->Align()) {
      case alTop:
        c->SetBounds(area.left, area.top, area.right - area.left, h);
        area.top += h;
        break;
      case alBottom:
        c->SetBounds(area.left, area.bottom - h, area.right - area.left, h);
        area.bottom -= h;
        break;
      case alLeft:
        c->SetBounds(area.left, area.top, w, area.bottom - area.top);
        area.left += w;
        break;
      case alRight:
        c->SetBounds(area.right - w, area.top, w, area.bottom - area.top);
        area.right -= w;
        break;
      case alClient:
        c->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
        break;
      default:
        break;
    }
  }
}

RECT TWinControl::ClientRect() const {
  if (FHandle != nullptr) {
    RECT r;
    GetClientRect(FHandle, &r);
    return r;
  }
  return TControl::ClientRect();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height);
  if (FHandle != nullptr) {
    RECT r;
    GetWindowRect(FHandle, &r);
    if (Parent() != nullptr) MapWindowPoints(HWND_DESKTOP, Parent()->Handle(), reinterpret_cast<POINT*>(&r), 2);
    if (r.left != left || r.top != top || r.right - r.left != width || r.bottom - r.top != height)
      SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TWinControl::SetText(const std::string& text) {
  FText = text;
  if (FHandle != nullptr) SetWindowTextW(FHandle, Utf8ToWide(text).c_str());
  Perform(CM_TEXTCHANGED);
  TextChanged();
  AdjustSize();
}

std::string TWinControl::Text() const {
  if (FHandle == nullptr) return FText;
  const int n = GetWindowTextLengthW(FHandle);
  std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
  GetWindowTextW(FHandle, w.data(), n + 1);
  w.resize(static_cast<std::size_t>(n));
  return WideToUtf8(w);
}

void TWinControl::Invalidate() {
  if (FHandle != nullptr) InvalidateRect(FHandle, nullptr, FALSE);
}

bool TWinControl::Focused() const {
  return FHandle != nullptr && GetFocus() == FHandle;
}

void TWinControl::SetFocus() {
  ::SetFocus(Handle());
}

// --------------------------------------------------------- TGraphicControl

void TGraphicControl::PaintControl(TCanvas& canvas) {
  FCanvas = &canvas;
  canvas.Font().Assign(Font());
  Paint();
  FCanvas = nullptr;
}

}  // namespace pellamy
