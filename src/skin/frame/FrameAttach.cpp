// The frame's life: attach to a window (or a library form), fit the window
// to the skin's frame, take a skin change, detach.
#include <algorithm>

#include "gui/controls/Grids.h"
#include "gui/forms/Forms.h"
#include "gui/forms/Menus.h"
#include "gui/gdi/WideText.h"
#include "skin/frame/FrameBits.h"
#include "skin/frame/WinSkinForm.h"
#include "skin/frame/WinSkinMenu.h"
#include "skin/model/SkinManager.h"

namespace pellamy {

std::string WindowText(HWND hwnd) {
  wchar_t buffer[1000];
  const int n = GetWindowTextW(hwnd, buffer, 1000);
  return WideToUtf8(std::wstring(buffer, static_cast<std::size_t>(std::max(n, 0))));
}

std::string WindowClass(HWND hwnd) {
  char buffer[100];
  const int n = GetClassNameA(hwnd, buffer, sizeof buffer);
  return std::string(buffer, static_cast<std::size_t>(std::max(n, 0)));
}

namespace {

// The frames whose layer is over their window now; a thread's windows, as
// the frames are.
std::vector<TWinSkinForm*>& LayeredFrames() {
  static std::vector<TWinSkinForm*> frames;
  return frames;
}

}  // namespace

TWinSkinForm* FrameOfWindow(HWND window) {
  for (TWinSkinForm* f : LayeredFrames())
    if (f->Window() == window) return f;
  return nullptr;
}

TWinSkinForm::TWinSkinForm(TComponent* owner, HWND window) : TComponent(owner), Handle(window) {
  DoubleClickTime = GetDoubleClickTime();
  ReadCaptionFont();
}

TWinSkinForm::~TWinSkinForm() {
  if (FSubclassed && IsWindow(Handle)) ReleaseHooks(false);
  std::erase(LayeredFrames(), this);
  FreeSkinControls();
  CaptionButtons.clear();
  HotItem = nullptr;
  if (SkinManager != nullptr) SkinManager->RemoveWindow(Handle);
}

void TWinSkinForm::ReadCaptionFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    CaptionFont.reset(CreateFontIndirectW(&metrics.lfCaptionFont));
}

void TWinSkinForm::SkinForm(TSkinData* skinData, TForm* form) {
  Form = form;
  if (InSet(skinData->SkinControls(), xcMainMenu)) {
    form->AddWindowHook(this, [this](TMessage& m, const TWndMethod& next) {
      FOldFormHandler = &next;
      FormHook(m);
      FOldFormHandler = nullptr;
    });
    FFormHooked = true;
  }
  SkinWindow(skinData);
  SkinPopupMenus(true);
  BuildSystemMenu();
  SavedFormColor = form->Color();
  form->SetColor(skinData->Colours.ButtonFace);
}

void TWinSkinForm::SkinWindow(TSkinData* skinData) {
  if (FSubclassed) return;
  SkinData = skinData;
  FrameSkinned = InSet(skinData->SkinControls(), xcMainMenu);
  Style = static_cast<std::uint32_t>(GetWindowLongPtrW(Handle, GWL_STYLE));
  const auto exStyle = static_cast<std::uint32_t>(GetWindowLongPtrW(Handle, GWL_EXSTYLE));
  RightToLeft = (exStyle & style::ExLeftScrollBar) != 0;
  SystemMenu = GetSystemMenu(Handle, FALSE);
  MakeCaptionIcon();
  Caption = WindowText(Handle);
  WindowClassName = WindowClass(Handle);
  OwnerWindow = GetWindow(Handle, GW_OWNER);
  RECT client, window;
  GetClientRect(Handle, &client);
  GetWindowRect(Handle, &window);
  ClientWidth = client.right, ClientHeight = client.bottom;
  SavedNcWidth = (window.right - window.left) - client.right;
  SavedNcHeight = (window.bottom - window.top) - client.bottom;
  Capabilities = CapabilitiesOf(Style, SystemMenu != nullptr);
  ReadShowState();
  MdiKind = TMdiRole::None;
  if (HWND client = FindWindowExW(Handle, nullptr, L"MDIClient", nullptr)) {
    MdiKind = TMdiRole::Frame;
    MdiClient = client;
    if (SkinManager != nullptr) SkinManager->MdiClient = client;
  }
  if ((exStyle & style::ExMdiChild) != 0) {
    // A child asks the client it lives in whether a child is maximised.
    MdiKind = TMdiRole::Child;
    MdiClient = GetParent(Handle);
  }
  BorderKind = BorderKindOf(Style, exStyle);
  if (MdiKind == TMdiRole::Frame) {
    FSavedMenuUpdate = skinData->MenuUpdate();
    FClientSubclassed =
        SetWindowSubclass(MdiClient, &ClientSubclassProc, kClientSubclassId, reinterpret_cast<DWORD_PTR>(this)) != 0;
  }
  if (FrameSkinned) {
    // The bar is drawn by the frame below the skinned caption, from the
    // window's menu, which it keeps until the frame goes.
    MenuHandle = GetMenu(Handle);
    if (MenuHandle != nullptr && MdiKind != TMdiRole::Child) {
      SkinMenuBar = std::make_unique<TWinSkinMenu>(this, skinData);
      SkinMenuBar->TakeWindowMenu();
      MenuHeight = GetSystemMetrics(SM_CYMENU);
    }
    if (ShowState != TShowState::Minimized) SetCaptionStyles(false);
    LoadFrameMetrics();
  }
  FSubclassed = SetWindowSubclass(Handle, &FrameSubclassProc, kFrameSubclassId, reinterpret_cast<DWORD_PTR>(this)) != 0;
  if (FSubclassed) LayeredFrames().push_back(this);
  if (Form != nullptr)
    SkinChildControls(Form);
  else
    SkinChildWindows();
  InvalidateRect(Handle, nullptr, TRUE);
}

void TWinSkinForm::SetStyle(std::uint32_t newStyle) {
  FOwnStyleChange = true;
  SetWindowLongPtrW(Handle, GWL_STYLE, static_cast<LONG_PTR>(newStyle));
  FOwnStyleChange = false;
  Style = static_cast<std::uint32_t>(GetWindowLongPtrW(Handle, GWL_STYLE));
}

void TWinSkinForm::SetCaptionStyles(bool restore) {
  // While a child is maximised every child keeps the system's caption.
  if (!restore && MdiKind == TMdiRole::Child && MdiChildMaximized()) return;
  const auto current = static_cast<std::uint32_t>(GetWindowLongPtrW(Handle, GWL_STYLE));
  const std::uint32_t wanted = CaptionStyle(current, restore, OwnerWindow != nullptr, Capabilities);
  if (wanted != current) SetStyle(wanted);
}

void TWinSkinForm::ReadShowState() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(Handle, &placement)) ShowState = ShowStateOf(static_cast<int>(placement.showCmd));
  if (IsIconic(Handle)) ShowState = TShowState::Minimized;
}

void TWinSkinForm::MakeCaptionIcon() {
  const int w = GetSystemMetrics(SM_CXSMICON), h = GetSystemMetrics(SM_CYSMICON);
  CaptionIcon.SetPixelFormat(pf24bit);
  CaptionIcon.SetSize(w, h);
  {
    UniqueBrush magenta(CreateSolidBrush(RGB(255, 0, 255)));
    RECT all{0, 0, w, h};
    FillRect(CaptionIcon.Canvas().Handle(), &all, magenta.get());
  }
  auto icon = reinterpret_cast<HICON>(SendMessageW(Handle, WM_GETICON, ICON_SMALL, 0));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(SendMessageW(Handle, WM_GETICON, ICON_BIG, 0));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrW(Handle, GCLP_HICONSM));
  if (icon != nullptr) {
    UniqueIcon scaled(static_cast<HICON>(CopyImage(icon, IMAGE_ICON, w, h, LR_COPYFROMRESOURCE)));
    if (!scaled) scaled.reset(static_cast<HICON>(CopyImage(icon, IMAGE_ICON, w, h, 0)));
    DrawIconEx(CaptionIcon.Canvas().Handle(), 0, 0, scaled ? scaled.get() : icon, w, h, 0, nullptr, DI_NORMAL);
    CaptionIcon.Modified();
    CaptionIconPixels = CaptionIcon.ToPixels();
    return;
  }
  // No icon of its own: the main skin's caption icon, so dialogs look like
  // the program they belong to.
  const TPixelImage* fallback = SkinData != nullptr && SkinData->IconBitmap.Width > 0 ? &SkinData->IconBitmap : nullptr;
  if (fallback == nullptr && SkinManager != nullptr)
    for (TSkinData* s : SkinManager->SkinDatas())
      if (s->SkinFormtype() == TSkinFormType::sfMainform && s->IconBitmap.Width > 0) fallback = &s->IconBitmap;
  if (fallback != nullptr) CaptionIcon.LoadFromPixels(*fallback);
  CaptionIconPixels = CaptionIcon.ToPixels();
}

void TWinSkinForm::ClearCaptionButtons() {
  HotItem = nullptr;
  PressedItem = nullptr;
  CaptionButtons.clear();
}

void TWinSkinForm::LoadFrameMetrics() {
  if (SkinData == nullptr || SkinData->SkinEmpty) return;
  Metrics = FrameMetricsOf(*SkinData, BorderKind);
  if (BorderKind == bkPopup) MenuHeight = 0;
  ClearCaptionButtons();
  const TPixelImage icon = CaptionIcon.Empty() ? TPixelImage{} : CaptionIcon.ToPixels();
  for (auto& entry : SkinData->SysButtons) {
    if (!entry) continue;
    CaptionButtons.push_back(std::make_unique<TWinSysButton>(this, entry.get()));
    if (IsIconAction(entry->Action)) {
      if (entry->Bitmap.Width <= 0) entry->Bitmap = icon;
      if (SkinData->IconBitmap.Width <= 0) SkinData->IconBitmap = icon;
      entry->FrameCount = 1;
    }
  }
}

bool TWinSkinForm::FrameTaken() const {
  // A plain child window skinned by force keeps the system's frame.
  return FrameSkinned && !((Style & style::Child) != 0 && MdiKind != TMdiRole::Child);
}

bool TWinSkinForm::WearsFrame() const {
  if (!FrameTaken() || Phase == TFramePhase::Attached || Phase == TFramePhase::Destroyed) return false;
  if (MdiKind == TMdiRole::Child && ShowState != TShowState::Normal) return false;
  return !IsIconic(Handle);
}

TCaptionContext TWinSkinForm::CaptionContext() const {
  TCaptionContext c;
  c.BorderKind = BorderKind;
  c.Capabilities = Capabilities;
  c.ShowState = ShowState;
  c.Active = Active;
  c.MenuHeight = MenuHeight;
  c.RightToLeft = RightToLeft;
  c.FrameWidth = FrameWidth;
  c.Metrics = Metrics;
  c.TextRect = TextRect;
  c.MenuBarEndWidth = SkinData != nullptr && SkinData->MenuBar ? SkinData->MenuBar->RightWidth : -1;
  c.ActiveMdiChildMaximized = MdiKind == TMdiRole::Frame && MdiChildMaximized();
  return c;
}

TFrameQuery::TButton TFrameQuery::Button(int action) const {
  for (const TButton& b : Buttons)
    if (b.Action == action && b.Visible) return b;
  return {};
}

TFrameQuery TWinSkinForm::Query() const {
  TFrameQuery q;
  q.Phase = Phase;
  q.Role = MdiKind;
  q.ShowState = ShowState;
  q.Active = Active;
  q.WearsFrame = WearsFrame();
  q.Metrics = Metrics;
  q.MenuHeight = MenuHeight;
  q.FrameWidth = FrameWidth;
  q.TextRect = TextRect;
  for (const auto& b : CaptionButtons)
    q.Buttons.push_back({b->ButtonData, b->ButtonData->Action, b->Bounds, b->Visible, b->State, HotItem == b.get()});
  return q;
}

void TWinSkinForm::FitWindowToFrame(bool keepClient) {
  if (IsIconic(Handle)) {
    FrameChanged(Handle);
    return;
  }
  RECT window;
  GetWindowRect(Handle, &window);
  if (keepClient) {
    RECT client;
    GetClientRect(Handle, &client);
    ClientWidth = client.right, ClientHeight = client.bottom;
  } else {
    // The client size the window had before it was skinned, whatever its
    // border: the system's non-client height was saved at attach time.
    ClientHeight = (window.bottom - window.top) - SavedNcHeight;
  }
  int height = ClientHeight + Metrics.Top + Metrics.Bottom + MenuHeight;
  int width = ClientWidth + Metrics.Left + Metrics.Right;
  if (!keepClient && IsMessageBoxClass(WindowClassName) && SkinData != nullptr) {
    WindowDc dc(Handle);
    SelectGuard font(dc.get(), CaptionFont ? static_cast<HGDIOBJ>(CaptionFont.get()) : GetStockObject(SYSTEM_FONT));
    SIZE space{};
    GetTextExtentPoint32W(dc.get(), L" ", 1, &space);
    SpaceWidth = space.cx;
    const int wanted =
        MessageBoxWidth(width, static_cast<int>(Utf8ToWide(Caption).size()), SpaceWidth, Metrics, *SkinData->Title);
    if (wanted > width) {
      const int shift = (wanted - width) / 2;
      for (HWND child = GetWindow(Handle, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(HWND_DESKTOP, Handle, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(child, nullptr, r.left + shift, r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING | SWP_NOOWNERZORDER);
      }
      width = wanted;
      ClientWidth = width - Metrics.Left - Metrics.Right;
    }
  }
  SetWindowPos(Handle, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TWinSkinForm::Activate() {
  if (Phase == TFramePhase::Attached) {
    if (MdiKind == TMdiRole::Child && MdiChildMaximized()) {
      WearSystemCaption();
    } else if (ShowState != TShowState::Minimized && BorderKind != bkPopup) {
      Phase = TFramePhase::Fitting;
      FitWindowToFrame(false);
      Phase = TFramePhase::Active;
      UpdateWindowRegion();
    }
  }
  Phase = TFramePhase::Active;
  Active =
      GetActiveWindow() == Handle || (MdiKind == TMdiRole::Child && GetParent(GetParent(Handle)) == GetActiveWindow());
  StartHover(Active);
  PaintFrame();
}

void TWinSkinForm::ApplySkinChange() {
  if (SkinData == nullptr) return;
  if (Form != nullptr) {
    Form->SetColor(SkinData->Colours.ButtonFace);
    for (int i = 0; i < Form->ComponentCount(); ++i) {
      TComponent* c = Form->Components(i);
      if (auto* embedded = dynamic_cast<TForm*>(c)) embedded->SetColor(SkinData->Colours.ButtonFace);
      if (auto* grid = dynamic_cast<TCustomGrid*>(c)) grid->SetFixedColor(SkinData->Colours.ButtonFace);
    }
  }
  for (TSkinControl* c : std::vector<TSkinControl*>(Controls)) c->SkinChanged();
  Phase = TFramePhase::ApplyingSkin;
  // The new skin's shape, even at the same size.
  RegionWidth = RegionHeight = 0;
  if (FrameSkinned) {
    FitWindowToFrame(true);
    Phase = TFramePhase::Active;
    UpdateWindowRegion();
  }
  Phase = TFramePhase::Active;
  PaintFrame();
}

void TWinSkinForm::ReleaseHooks(bool full) {
  StartHover(false);
  if (FFormHooked && Form != nullptr) Form->RemoveWindowHook(this);
  FFormHooked = false;
  if (FSubclassed) RemoveWindowSubclass(Handle, &FrameSubclassProc, kFrameSubclassId);
  FSubclassed = false;
  std::erase(LayeredFrames(), this);
  if (FClientSubclassed && MdiClient != nullptr)
    RemoveWindowSubclass(MdiClient, &ClientSubclassProc, kClientSubclassId);
  FClientSubclassed = false;
  FreeSkinControls();
  if (Form != nullptr && full && Phase != TFramePhase::Destroying) Form->SetColor(SavedFormColor);
  if (Phase != TFramePhase::Destroying) SkinPopupMenus(false);
  FSkinnedPopups.clear();
  SkinSysMenu.reset();
  if (HotItem != nullptr && dynamic_cast<TMenuBtn*>(HotItem) != nullptr) HotItem = nullptr;
  if (SkinMenuBar) SkinMenuBar->GiveBack(Phase == TFramePhase::Destroying);
  SkinMenuBar.reset();
  CaptionBitmap.SetSize(0, 0);
}

void TWinSkinForm::UnskinForm() {
  if (!FrameSkinned) {
    ReleaseHooks(true);
    if (Form != nullptr && Phase != TFramePhase::Destroying) Form->Invalidate();
    return;
  }
  StartHover(false);
  if (!FSubclassed) return;
  ReleaseHooks(true);
  SetCaptionStyles(true);
  if (Phase != TFramePhase::Destroying && (MdiKind == TMdiRole::Child || (Style & style::Child) == 0) &&
      IsWindow(Handle)) {
    RECT window;
    GetWindowRect(Handle, &window);
    const int w = (window.right - window.left) + SavedNcWidth - Metrics.Left - Metrics.Right;
    const int h = (window.bottom - window.top) + SavedNcHeight - Metrics.Top - MenuHeight - Metrics.Bottom;
    SetWindowPos(Handle, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  if (OwnsRegion && IsWindow(Handle)) SetWindowRgn(Handle, nullptr, TRUE);
  OwnsRegion = false;
}

}  // namespace pellamy
