#include "skin/frame/WinSkinForm.h"

#include <commctrl.h>

#include <algorithm>

#include "gui/controls/Buttons.h"
#include "gui/controls/ComCtrls.h"
#include "gui/controls/Controls.h"
#include "gui/controls/ExtCtrls.h"
#include "gui/controls/Frames.h"
#include "gui/controls/Grids.h"
#include "gui/controls/StdCtrls.h"
#include "gui/controls/ToolBar.h"
#include "gui/forms/Forms.h"
#include "gui/forms/Menus.h"
#include "gui/gdi/WideText.h"
#include "skin/controls/SkinBars.h"
#include "skin/controls/SkinButtons.h"
#include "skin/controls/SkinComBox.h"
#include "skin/controls/SkinScroll.h"
#include "skin/controls/SkinTabs.h"
#include "skin/controls/SkinToolBar.h"
#include "skin/controls/SkinUpDown.h"
#include "skin/draw/SkinDraw.h"
#include "skin/frame/MenuLoopHook.h"
#include "skin/frame/WinSkinMenu.h"
#include "skin/layout/ControlChoice.h"
#include "skin/model/SkinDeviceObjects_win32.h"
#include "skin/model/SkinManager.h"
#include "skin/pixels/SkinPixels.h"

namespace pellamy {

namespace {

// Signed, as a point left of or above the primary monitor has them.
int PointX(LPARAM l) {
  return static_cast<short>(LOWORD(l));
}
int PointY(LPARAM l) {
  return static_cast<short>(HIWORD(l));
}

constexpr UINT_PTR kFrameSubclassId = 0x534B4652;   // the frame's layer over the window
constexpr UINT_PTR kClientSubclassId = 0x534B4D43;  // the frame's layer over an MDI client
// The library's notifications the frame listens to.
constexpr UINT kMenuChanged = 0xB015;

LRESULT CALLBACK ClientSubclassProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  return reinterpret_cast<TWinSkinForm*>(data)->ClientProc(hwnd, msg, wparam, lparam);
}

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

RECT ToRect(const TSkinRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}

RECT MarginsOf(const TDataSkinObject& e) {
  return {e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight};
}

bool IsIconAction(int action) {
  return action == 3 || action == 11;
}

bool Usable(const TDataSkinBorder* piece) {
  return piece != nullptr && piece->Bitmap.Width > 0 && piece->Bitmap.Height > 0;
}

}  // namespace

LRESULT CALLBACK SkinFrameSubclassProc(HWND, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  return reinterpret_cast<TWinSkinForm*>(data)->FrameProc(msg, wparam, lparam);
}

// ------------------------------------------------------------- TNCObject

void TNCObject::MouseDown() {
  if (Owner->HotItem != nullptr && Owner->HotItem != this) Owner->HotItem->MouseLeave();
  if (!Visible) return;
  Owner->HotItem = this;
  State = 2;
  Paint();
}

void TNCObject::MouseUp() {
  if (!Visible) return;
  State = 3;
  Paint();
}

void TNCObject::MouseMove() {
  if (Owner->HotItem != nullptr && Owner->HotItem != this) Owner->HotItem->MouseLeave();
  if (Owner->HotItem == this || !Visible) return;
  Owner->HotItem = this;
  State = 3;
  Paint();
}

void TNCObject::MouseLeave() {
  if (!Visible) return;
  Owner->HotItem = nullptr;
  State = 1;
  Paint();
}

void TWinSysButton::Paint() {
  Owner->PaintCaptionButton(*this);
}

// ---------------------------------------------------------- TWinSkinForm

TWinSkinForm::TWinSkinForm(TComponent* owner) : TComponent(owner) {
  DoubleClickTime = GetDoubleClickTime();
  ReadCaptionFont();
}

TWinSkinForm::~TWinSkinForm() {
  if (FSubclassed && IsWindow(Handle)) ReleaseHooks(false);
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

TBitmap* TWinSkinForm::DeviceImage(const TPixelImage& image) const {
  return SkinData != nullptr ? SkinDeviceBitmap(*SkinData, image) : nullptr;
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
  MdiKind = mkNone;
  if (HWND client = FindWindowExW(Handle, nullptr, L"MDIClient", nullptr)) {
    MdiKind = mkFrame;
    MdiClient = client;
    if (SkinManager != nullptr) SkinManager->MdiClient = client;
  }
  if ((exStyle & style::ExMdiChild) != 0) MdiKind = mkChild;
  BorderKind = BorderKindOf(Style, exStyle);
  if (MdiKind == mkFrame) {
    FSavedMenuUpdate = skinData->MenuUpdate();
    FClientSubclassed =
        SetWindowSubclass(MdiClient, &ClientSubclassProc, kClientSubclassId, reinterpret_cast<DWORD_PTR>(this)) != 0;
  }
  if (FrameSkinned) {
    // The bar is drawn by the frame below the skinned caption, from the
    // window's menu, which it keeps until the frame goes.
    MenuHandle = GetMenu(Handle);
    if (MenuHandle != nullptr && MdiKind != mkChild) {
      SkinMenuBar = std::make_unique<TWinSkinMenu>(this, skinData);
      SkinMenuBar->TakeWindowMenu();
      MenuHeight = GetSystemMetrics(SM_CYMENU);
    }
    const bool maximisedChild = MdiKind == mkChild && SkinManager != nullptr && SkinManager->MdiMaximized;
    if (!maximisedChild && ShowState != ssMinimized) SetCaptionStyles(false);
    LoadFrameMetrics();
  }
  FSubclassed =
      SetWindowSubclass(Handle, &SkinFrameSubclassProc, kFrameSubclassId, reinterpret_cast<DWORD_PTR>(this)) != 0;
  if (Form != nullptr)
    SkinChildControls(Form);
  else
    SkinChildWindows();
  InvalidateRect(Handle, nullptr, TRUE);
}

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return text;
}

TControlFacts FactsOf(TComponent* c) {
  TControlFacts f;
  f.ClassName = c->ClassName();
  f.Tag = c->Tag();
  auto* wc = dynamic_cast<TWinControl*>(c);
  f.IsWindowed = wc != nullptr;
  if (wc != nullptr && wc->HandleAllocated())
    f.Style = static_cast<std::uint32_t>(GetWindowLongPtrW(wc->Handle(), GWL_STYLE));
  f.IsPageControl = dynamic_cast<TPageControl*>(c) != nullptr;
  f.IsTabControl = dynamic_cast<TCustomTabControl*>(c) != nullptr;
  f.IsCheckBox = dynamic_cast<TCustomCheckBox*>(c) != nullptr;
  f.IsRadioGroup = dynamic_cast<TCustomRadioGroup*>(c) != nullptr;
  f.IsGroupBox = dynamic_cast<TCustomGroupBox*>(c) != nullptr;
  f.IsRadioButton = dynamic_cast<TRadioButton*>(c) != nullptr;
  f.IsToolBar = dynamic_cast<TToolBar*>(c) != nullptr;
  f.IsStatusBar = dynamic_cast<TStatusBar*>(c) != nullptr;
  f.IsProgressBar = dynamic_cast<TProgressBar*>(c) != nullptr;
  f.IsScrollBar = dynamic_cast<TScrollBar*>(c) != nullptr;
  f.IsComboBox = dynamic_cast<TCustomComboBox*>(c) != nullptr;
  f.IsBitButton = dynamic_cast<TBitBtn*>(c) != nullptr;
  f.IsSpeedButton = dynamic_cast<TSpeedButton*>(c) != nullptr;
  f.IsPanel = dynamic_cast<TCustomPanel*>(c) != nullptr;
  f.IsListView = dynamic_cast<TCustomListView*>(c) != nullptr;
  f.IsMemo = dynamic_cast<TCustomMemo*>(c) != nullptr;
  f.IsGrid = dynamic_cast<TCustomGrid*>(c) != nullptr;
  f.IsPushButton = dynamic_cast<TButton*>(c) != nullptr;
  f.IsEdit = dynamic_cast<TCustomEdit*>(c) != nullptr;
  f.IsFrame = dynamic_cast<TCustomFrame*>(c) != nullptr;
  f.IsForm = dynamic_cast<TForm*>(c) != nullptr;
  f.IsListBox = dynamic_cast<TListBox*>(c) != nullptr;
  f.IsCustomListBox = dynamic_cast<TCustomListBox*>(c) != nullptr;
  f.IsTreeView = dynamic_cast<TCustomTreeView*>(c) != nullptr;
  f.IsScrollBox = dynamic_cast<TScrollBox*>(c) != nullptr;
  if (auto* picker = dynamic_cast<TDateTimePicker*>(c)) f.DateTimeUpDown = picker->DateMode() == dmUpDown;
  return f;
}

}  // namespace

TSkinControl* TWinSkinForm::MakeSkinControl(int kind) {
  switch (static_cast<TSkinClass>(kind)) {
    case TSkinClass::Button:
      return new TSkinButton(this);
    case TSkinClass::BitButton:
      return new TSkinBitButton(this);
    case TSkinClass::SpeedButton:
      return new TSkinSpeedButton(this);
    case TSkinClass::StatusBar:
      return new TSkinStatusBar(this);
    case TSkinClass::Progress:
      return new TSkinProgress(this);
    case TSkinClass::TrackBar:
      return new TSkinTrackBar(this);
    case TSkinClass::UpDown:
      return new TSkinUpDown(this);
    case TSkinClass::Tab:
      return new TSkinTab(this);
    case TSkinClass::Tab31:
      return new TSkinTab31(this);
    case TSkinClass::CheckBox:
      return new TSkinCheckBox(this);
    case TSkinClass::RadioButton:
      return new TSkinRadioButton(this);
    case TSkinClass::GroupBox:
      return new TSkinGroupBox(this);
    case TSkinClass::Box:
      return new TSkinBox(this);
    case TSkinClass::Edit:
      return new TSkinEdit(this);
    case TSkinClass::ScrollSkin:
      return new TSkinScrollbar(this);
    case TSkinClass::ListView:
      return new TSkinListView(this);
    case TSkinClass::ScControl:
      return new TSkinScControl(this);
    case TSkinClass::Sizer:
      return new TSkinSizer(this);
    case TSkinClass::ComBox:
      return new TSkinComBox(this);
    case TSkinClass::Header:
      return new TSkinHeader(this);
    default:
      // None: the control keeps its own look.
      return nullptr;
  }
}

bool TWinSkinForm::AddSkinControl(TSkinControl* control) {
  if (std::find(Controls.begin(), Controls.end(), control) != Controls.end()) return true;
  Controls.push_back(control);
  return false;
}

void TWinSkinForm::RemoveSkinControl(TSkinControl* control) {
  for (std::size_t i = Controls.size(); i-- > 0;)
    if (Controls[i] == control) {
      Controls.erase(Controls.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  if (DialogHotButton == control) DialogHotButton = nullptr;
}

TSkinControl* TWinSkinForm::FindSkinControl(HWND window) const {
  for (TSkinControl* c : Controls)
    if (c->Handle == window) return c;
  return nullptr;
}

bool TWinSkinForm::IsSkinned(TComponent* component) const {
  auto* wc = dynamic_cast<TWinControl*>(component);
  for (TSkinControl* c : Controls) {
    if (c->Control == component || (c->Component != nullptr && c->Component == component)) return true;
    if (c->Control == nullptr && wc != nullptr && wc->HandleAllocated() && c->Handle == wc->Handle()) return true;
  }
  return false;
}

void TWinSkinForm::SkinChildControls(TComponent* container) {
  if (SkinData == nullptr || container == nullptr) return;
  for (std::size_t i = Controls.size(); i-- > 0;)
    if (i < Controls.size() && Controls[i]->State == scDestroyed) delete Controls[i];
  std::vector<TComponent*> owned;
  for (int i = 0; i < container->ComponentCount(); ++i) owned.push_back(container->Components(i));
  for (TComponent* c : owned) SkinControl(c, container);
}

void TWinSkinForm::SkinControl(TComponent* component, TComponent* container) {
  if (dynamic_cast<TSkinControl*>(component) != nullptr || component == this) return;
  if (DisabledByTag(component->Tag(), SkinData->DisableTag()) || IsSkinned(component)) return;
  auto* wc = dynamic_cast<TWinControl*>(component);
  if (wc != nullptr && !wc->HandleAllocated()) {
    try {
      wc->HandleNeeded();
    } catch (...) {
      SkinFault("SkinControl: a control without a window");
      return;
    }
  }
  if (SkinData->OnSkinControl) {
    TComponent* given = nullptr;
    SkinData->OnSkinControl(this, SkinData, container, component, Upper(component->ClassName()), given);
    if (auto* chosen = dynamic_cast<TSkinControl*>(given)) {
      if (std::find(Controls.begin(), Controls.end(), chosen) == Controls.end() && wc != nullptr)
        chosen->InitControl(this, SkinData, chosen->Recolor, wc);
      if (dynamic_cast<TCustomPanel*>(component) != nullptr) SkinChildControls(component);
      return;
    }
  }
  const TControlChoice choice = ChooseSkinControl(FactsOf(component), *SkinData);
  if (choice.Skip) return;
  if (choice.SetFlat) SetEnumPropertyByName(component, "Flat", "True");
  if (choice.SetTransparent) SetEnumPropertyByName(component, "Transparent", "True");
  if (auto* bar = choice.ToolBarPainter ? dynamic_cast<TToolBar*>(component) : nullptr)
    InstallToolBarPainter(*bar, [this] { return Phase == phActive ? SkinData : nullptr; });
  if (choice.SizeGripOff)
    if (auto* bar = dynamic_cast<TStatusBar*>(component)) bar->SetSizeGrip(false);
  if (choice.GridFixedColour)
    if (auto* grid = dynamic_cast<TCustomGrid*>(component)) grid->SetFixedColor(SkinData->Colours.ButtonFace);
  if (choice.ChildrenClass != TSkinClass::None && wc != nullptr) {
    for (int i = 0; i < wc->ControlCount(); ++i) {
      auto* child = dynamic_cast<TWinControl*>(wc->Controls(i));
      if (child == nullptr || IsSkinned(child)) continue;
      if (TSkinControl* object = MakeSkinControl(static_cast<int>(choice.ChildrenClass)))
        object->InitControl(this, SkinData, false, child);
    }
  }
  if (choice.Class == TSkinClass::SpeedButton && wc == nullptr) {
    if (auto* speed = dynamic_cast<TSpeedButton*>(component))
      (new TSkinSpeedButton(this))->InitSpeedButton(this, SkinData, speed);
    return;
  }
  if (choice.Class != TSkinClass::None && wc != nullptr) {
    if (TSkinControl* object = MakeSkinControl(static_cast<int>(choice.Class))) {
      auto* scroll = dynamic_cast<TSkinScrollbar*>(object);
      if (choice.ByHandle)
        object->InitWindow(wc->Handle(), SkinData, this);
      else if (choice.ScrollAttach && scroll != nullptr)
        scroll->InitScroll(this, SkinData, choice.Boxed, wc);
      else
        object->InitControl(this, SkinData, choice.Boxed, wc);
    }
  }
  if (choice.Recurse) SkinChildControls(component);
}

void TWinSkinForm::SkinChildWindows() {
  if (SkinData == nullptr) return;
  for (HWND child = GetWindow(Handle, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const auto style = static_cast<std::uint32_t>(GetWindowLongPtrW(child, GWL_STYLE));
    if ((style & WS_CHILD) == 0 || FindSkinControl(child) != nullptr) continue;
    bool onChild = false;
    const TSkinClass kind =
        ChoosePlainChild(Lower(WindowClass(child)), style, GetWindow(child, GW_CHILD) != nullptr, onChild);
    HWND target = onChild ? GetWindow(child, GW_CHILD) : child;
    if (TSkinControl* object = MakeSkinControl(static_cast<int>(kind))) object->InitWindow(target, SkinData, this);
  }
}

void TWinSkinForm::FreeSkinControls() {
  while (!Controls.empty()) {
    TSkinControl* c = Controls.front();
    if (c->State != scDestroyed) {
      if (auto* bar = dynamic_cast<TToolBar*>(c->Control)) RemoveToolBarPainter(*bar);
      c->Restore();
    }
    delete c;  // leaves the list
    if (!Controls.empty() && Controls.front() == c) Controls.erase(Controls.begin());
  }
  DialogHotButton = nullptr;
}

void TWinSkinForm::SetStyle(std::uint32_t newStyle) {
  FOwnStyleChange = true;
  SetWindowLongPtrW(Handle, GWL_STYLE, static_cast<LONG_PTR>(newStyle));
  FOwnStyleChange = false;
  Style = static_cast<std::uint32_t>(GetWindowLongPtrW(Handle, GWL_STYLE));
}

void TWinSkinForm::SetCaptionStyles(bool restore) {
  if (!restore && MdiKind == mkChild && SkinManager != nullptr && SkinManager->MdiMaximized) return;
  const auto current = static_cast<std::uint32_t>(GetWindowLongPtrW(Handle, GWL_STYLE));
  const std::uint32_t wanted = CaptionStyle(current, restore, OwnerWindow != nullptr, Capabilities);
  if (wanted != current) SetStyle(wanted);
}

void TWinSkinForm::ReadShowState() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(Handle, &placement)) ShowState = ShowStateOf(static_cast<int>(placement.showCmd));
  if (IsIconic(Handle)) ShowState = ssMinimized;
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
  if (MdiKind == mkFrame && MdiClient != nullptr) {
    BOOL maximised = FALSE;
    SendMessageW(MdiClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised));
    c.ActiveMdiChildMaximized = maximised != FALSE;
  }
  return c;
}

// -------------------------------------------------------------- geometry

void TWinSkinForm::FitWindowToFrame(bool keepClient) {
  if (IsIconic(Handle)) {
    SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
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

void TWinSkinForm::UpdateWindowRegion() {
  if (SkinData == nullptr || SkinData->SkinEmpty) return;
  RECT window;
  GetWindowRect(Handle, &window);
  const int w = window.right - window.left, h = window.bottom - window.top;
  if (w <= 0 || h <= 0) return;
  if (!WearsFrame()) return;
  if (BorderKind == bkPopup) {
    // A window without a caption keeps its own shape.
    if (OwnsRegion) SetWindowRgn(Handle, nullptr, TRUE);
    OwnsRegion = false;
    return;
  }
  if (w == RegionWidth && h == RegionHeight && OwnsRegion) return;
  RegionWidth = w, RegionHeight = h;
  const TDataSkinBorder* left = SkinData->FrameLeft.get();
  const TDataSkinBorder* right = SkinData->FrameRight.get();
  const TDataSkinBorder* top = SkinData->FrameTop.get();
  const TDataSkinBorder* bottom = SkinData->FrameBottom.get();
  const auto trans = [](const TDataSkinBorder* p) { return p != nullptr && p->Trans == 1 && Usable(p); };
  UniqueRgn region(CreateRectRgn(0, 0, w, h));
  if (trans(left) || trans(right) || trans(top)) {
    region.reset(CreateRectRgn(Metrics.Left, Metrics.Top, w - Metrics.Right, h - Metrics.Bottom));
    const auto add = [&](UniqueRgn part) {
      if (part) CombineRgn(region.get(), region.get(), part.get(), RGN_OR);
    };
    const auto piece = [&](const TDataSkinBorder* p, const RECT& r, bool vertical, bool useTrans) {
      if (r.right <= r.left || r.bottom <= r.top) return UniqueRgn();
      if (!useTrans || p == nullptr || p->Bitmap.Width <= 0) return UniqueRgn(CreateRectRgnIndirect(&r));
      // Built from the model's pixels: the same picture as painted, with no
      // device bitmap to make and read back.
      const TPixelImage built = BuildNineGridPixels(p->Bitmap, r.right - r.left, r.bottom - r.top,
                                                    {p->LeftWidth, p->TopHeight, p->RightWidth, p->BottomHeight},
                                                    vertical, p->Tile != 1, std::max(1, p->FrameCount), 1);
      return RegionFromPixels(built, r.left, r.top, 1, 1, 1, static_cast<TColor>(kSkinTransparentColor));
    };
    if (BorderKind != bkPopup) {
      add(piece(left, {0, 0, Metrics.Left, h}, false, trans(left) && h > 1));
      add(piece(right, {w - Metrics.Right, 0, w, h}, false, trans(right) && h > 1));
      add(piece(bottom, {Metrics.Left, h - Metrics.Bottom, w - Metrics.Right, h}, true,
                bottom != nullptr && bottom->Trans == 1 && Metrics.Bottom >= 2));
      // From the piece, never from the composed caption: that was read back
      // from the screen, where the region had already cut the corners.
      const RECT caption{Metrics.Left, 0, w - Metrics.Right, Metrics.Top};
      add(piece(top, caption, true, trans(top) && Metrics.Top > 1));
    }
  }
  // The window owns the region from here and frees the one it had.
  SetWindowRgn(Handle, region.release(), TRUE);
  OwnsRegion = true;
}

// -------------------------------------------------------------- painting

void TWinSkinForm::PaintBorderPiece(const TDataSkinBorder& piece, const RECT& rect, HDC dc, bool vertical) {
  if (rect.right < rect.left || rect.bottom < rect.top) return;
  TBitmap* image = DeviceImage(piece.Bitmap);
  if (image == nullptr) return;
  const int count = std::max(1, piece.FrameCount);
  const int index = Active || count == 1 ? 1 : 2;
  DrawNineGrid(dc, rect, *image, vertical, piece.Tile != 1, false, count, index, MarginsOf(piece));
}

void TWinSkinForm::PaintFrame(HDC dc) {
  if (Phase != phActive && Phase != phApplyingSkin) return;
  if (BorderKind == bkPopup || !WearsFrame()) return;
  if (SkinData == nullptr || SkinData->SkinEmpty) return;
  try {
    WindowDc own;
    if (dc == nullptr) {
      own = WindowDc(Handle, WindowDc::TArea::Window);
      dc = own.get();
    }
    GetWindowRect(Handle, &WindowRect);
    FrameWidth = WindowRect.right - WindowRect.left;
    FrameHeight = WindowRect.bottom - WindowRect.top;
    Caption = WindowText(Handle);
    if (SkinData->FrameLeft) PaintBorderPiece(*SkinData->FrameLeft, {0, 0, Metrics.Left, FrameHeight}, dc, false);
    if (SkinData->FrameRight)
      PaintBorderPiece(*SkinData->FrameRight, {FrameWidth - Metrics.Right, 0, FrameWidth, FrameHeight}, dc, false);
    if (SkinData->FrameBottom)
      PaintBorderPiece(*SkinData->FrameBottom,
                       {Metrics.Left, FrameHeight - Metrics.Bottom, FrameWidth - Metrics.Right, FrameHeight}, dc, true);
    if (Metrics.Top > 0 && FrameWidth > 0) {
      // The caption is composed off-screen and copied in one blit, so the
      // text and buttons never flicker over a bare caption.
      if (CaptionBitmap.Width() != FrameWidth || CaptionBitmap.Height() != Metrics.Top) {
        CaptionBitmap.SetPixelFormat(pf32bit);
        CaptionBitmap.SetSize(FrameWidth, Metrics.Top);
      }
      HDC caption = CaptionBitmap.Canvas().Handle();
      BitBlt(caption, 0, 0, FrameWidth, Metrics.Top, dc, 0, 0, SRCCOPY);
      if (SkinData->FrameTop)
        PaintBorderPiece(*SkinData->FrameTop, {Metrics.Left, 0, FrameWidth - Metrics.Right, Metrics.Top}, caption,
                         true);
      // Twice: the title ends left of the right-anchored buttons, and the
      // buttons beside the title follow where it went.
      LayoutCaptionButtons();
      PaintCaptionText(CaptionBitmap.Canvas(), {Metrics.Left, 0, FrameWidth - Metrics.Right, Metrics.Top});
      LayoutCaptionButtons();
      PaintCaptionButtons(caption);
      GdiFlush();
      BitBlt(dc, 0, 0, FrameWidth, Metrics.Top, caption, 0, 0, SRCCOPY);
    }
    if (SkinMenuBar && MenuHeight > 0)
      SkinMenuBar->PaintBar(dc, {Metrics.Left, Metrics.Top, FrameWidth - Metrics.Right, Metrics.Top + MenuHeight});
  } catch (...) {
    // A frame that cannot be painted now is painted at the next message.
    SkinFault("PaintFrame");
  }
  HotItem = nullptr;
}

void TWinSkinForm::PaintCaptionText(TCanvas& canvas, const TSkinRect& titleRect) {
  HDC dc = canvas.Handle();
  const TDataSkinTitle& title = *SkinData->Title;
  SelectGuard font(dc, CaptionFont ? static_cast<HGDIOBJ>(CaptionFont.get()) : GetStockObject(SYSTEM_FONT));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour =
      SetTextColor(dc, ColorToRGB(Active ? SkinData->Colours.TitleTextActive : SkinData->Colours.TitleTextNoActive));
  const std::wstring measured = Utf8ToWide(TitlePrefix + " " + Caption);
  RECT size{0, 0, 0, 0};
  DrawTextW(dc, measured.c_str(), static_cast<int>(measured.size()), &size, DT_CALCRECT | DT_SINGLELINE | DT_NOCLIP);
  const bool popup = (Style & style::Popup) != 0;
  TextRect = TitleTextPlacement(title, titleRect, size.right - size.left, size.bottom - size.top, RightToLeft, popup,
                                RightButtonsLeft);
  if (!title.Bitmap.Pixels.empty() && TextRect.Right > TextRect.Left) {
    if (TBitmap* back = DeviceImage(title.Bitmap))
      DrawThreePart(canvas, {TextRect.Left, titleRect.Top, TextRect.Right, titleRect.Bottom}, *back, true, true, 2,
                    Active ? 1 : 2, {title.TXTBackleft, 0, title.TXTBackRight, 0});
  }
  RECT text = ToRect(TextRect);
  text.left += title.TXTBackleft;
  text.right -= title.TXTBackRight;
  DrawTextWide(dc, Utf8ToWide(TitlePrefix + Caption), text, RightToLeft ? 0x8022 : 0x8020);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}

void TWinSkinForm::LayoutCaptionButtons() {
  RightButtonsLeft = 0;
  const TCaptionContext context = CaptionContext();
  for (auto& button : CaptionButtons) {
    button->Visible = IsCaptionButtonVisible(*button->ButtonData, context);
    TSkinRect r;
    if (button->Visible && CaptionButtonRect(*button->ButtonData, context, r, RightButtonsLeft))
      button->Bounds = ToRect(r);
    else
      button->Bounds = {};
  }
}

void TWinSkinForm::DrawButtonImage(HDC dc, TWinSysButton& button, int image) {
  const TDataSkinSysButton& data = *button.ButtonData;
  if (IsIconAction(data.Action)) {
    if (!CaptionIcon.Empty())
      TransparentBlit(dc, button.Bounds, CaptionIcon, static_cast<TColor>(kSkinTransparentColor));
    return;
  }
  if (TBitmap* bitmap = DeviceImage(data.Bitmap))
    DrawSkinFrame(dc, button.Bounds, *bitmap, true, std::max(1, data.FrameCount),
                  std::min(image, std::max(1, data.FrameCount)));
}

namespace {

// Copies state image index of a strip of count images into a 32-bit DIB at
// (x, y), leaving the magenta pixels out: the caption is composed in memory,
// where this costs far less than a masked copy per button and paint.
void BlendKeyed(TBitmap& target, int x, int y, const TPixelImage& strip, int count, int index) {
  count = std::max(1, count);
  index = std::clamp(index, 1, count);
  const int w = strip.Width / count, h = strip.Height;
  const int sx = (index - 1) * w;
  for (int row = 0; row < h; ++row) {
    const int ty = y + row;
    if (ty < 0 || ty >= target.Height()) continue;
    auto* line = reinterpret_cast<std::uint32_t*>(target.ScanLine(ty));
    for (int col = 0; col < w; ++col) {
      const int tx = x + col;
      if (tx < 0 || tx >= target.Width()) continue;
      const std::uint32_t pixel = strip.Pixels[static_cast<std::size_t>(row) * strip.Width + sx + col] & 0xFFFFFF;
      if (pixel != kSkinTransparentColor) line[tx] = pixel;
    }
  }
  target.Modified();
}

}  // namespace

void TWinSkinForm::PaintCaptionButtons(HDC dc) {
  const bool direct = CaptionBitmap.PixelFormat() == pf32bit && CaptionBitmap.Canvas().Handle() == dc;
  if (direct) GdiFlush();
  for (auto& button : CaptionButtons) {
    const TDataSkinSysButton& data = *button->ButtonData;
    if (!button->Visible || data.Bitmap.Width <= 0 || data.Visibility == 100) continue;
    button->State = 1;
    const int image = CaptionButtonImage(data, Active);
    if (!direct) {
      DrawButtonImage(dc, *button, image);
    } else if (IsIconAction(data.Action)) {
      if (CaptionIconPixels.Width > 0)
        BlendKeyed(CaptionBitmap, button->Bounds.left, button->Bounds.top, CaptionIconPixels, 1, 1);
    } else {
      BlendKeyed(CaptionBitmap, button->Bounds.left, button->Bounds.top, data.Bitmap, data.FrameCount, image);
    }
  }
}

void TWinSkinForm::PaintCaptionButton(TWinSysButton& button) {
  if (!button.Visible || button.ButtonData->Bitmap.Width <= 0) return;
  int image = button.State;
  if (button.ButtonData->Visibility == 100 && button.State == 3) image = 4;
  try {
    WindowDc dc(Handle, WindowDc::TArea::Window);
    DrawButtonImage(dc.get(), button, image);
  } catch (...) {
    SkinFault("PaintCaptionButton");
  }
}

// ----------------------------------------------------------------- mouse

POINT TWinSkinForm::FramePoint(LPARAM screenPoint) const {
  // Signed: a monitor left of or above the primary has negative points.
  POINT p{PointX(screenPoint), PointY(screenPoint)};
  ScreenToClient(Handle, &p);
  if (!IsIconic(Handle)) {
    p.x += Metrics.Left;
    p.y += Metrics.Top + MenuHeight;
  }
  return p;
}

TNCObject* TWinSkinForm::ItemAt(POINT p) const {
  for (const auto& button : CaptionButtons)
    if (button->Visible && button->ButtonData->Action >= 0 && PtInRect(&button->Bounds, p)) return button.get();
  return SkinMenuBar ? SkinMenuBar->ButtonAt(p) : nullptr;
}

bool TWinSkinForm::NcMouse(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  const POINT p = FramePoint(lparam);
  TNCObject* item = ItemAt(p);
  switch (msg) {
    case WM_NCMOUSEMOVE:
      if (!Active) return false;
      if (item != nullptr) {
        item->MouseMove();
        result = 0;
        return true;
      }
      if (HotItem != nullptr) HotItem->MouseLeave();
      return false;
    case WM_NCLBUTTONDOWN:
      if (item != nullptr) {
        if (!Active) SetForegroundWindow(Handle);
        item->MouseDown();
        PressedItem = dynamic_cast<TWinSysButton*>(item);
        if (auto* menuButton = dynamic_cast<TMenuBtn*>(item)) SkinMenuBar->OpenButtonMenu(*menuButton);
        result = 0;
        return true;
      }
      PressedItem = nullptr;
      if (wparam == HTMENU && SkinMenuBar) {
        // The system would track its own bar, which it laid out elsewhere.
        result = 0;
        return true;
      }
      if (ShowState == ssMaximized && Active && wparam == HTCAPTION) {
        // A maximised window is not dragged by its caption.
        result = 0;
        return true;
      }
      return false;
    case WM_NCLBUTTONUP: {
      const bool pressedHere = item != nullptr && item == PressedItem;
      PressedItem = nullptr;
      if (item != nullptr) {
        auto* button = dynamic_cast<TWinSysButton*>(item);
        if (pressedHere && button != nullptr) {
          item->MouseUp();
          ButtonAction(*button, {PointX(lparam), PointY(lparam)});
        }
        result = 0;
        return true;
      }
      return false;
    }
    case WM_NCLBUTTONDBLCLK:
      if (item != nullptr) {
        // The second press of a double click on a button is a press.
        item->MouseDown();
        PressedItem = dynamic_cast<TWinSysButton*>(item);
        result = 0;
        return true;
      }
      if (wparam != HTCAPTION) {
        // Only the caption maximises; the system's bar is not ours to track.
        result = 0;
        return wparam == HTMENU && SkinMenuBar;
      }
      if (ShowState == ssMaximized || ShowState == ssMinimized) {
        Restore();
      } else if (Capabilities & fcMaximize) {
        Maximize();
      } else {
        return false;
      }
      result = 0;
      return true;
    case WM_NCRBUTTONDOWN:
      if (wparam == HTCAPTION && MdiKind != mkChild) {
        ShowSystemMenu(PointX(lparam), PointY(lparam), false);
        result = 0;
        return true;
      }
      return false;
    default:
      return false;
  }
}

void TWinSkinForm::StartHover(bool on) {
  if (!on && DialogHotButton != nullptr) {
    DialogHotButton->MouseLeave();
    DialogHotButton = nullptr;
  }
  if (on == FHoverRunning) return;
  FHoverRunning = on;
  if (on) {
    SetTimer(Handle, kHoverTimer, 250, nullptr);
  } else {
    KillTimer(Handle, kHoverTimer);
  }
}

void TWinSkinForm::HoverCheck() {
  if (Form == nullptr && DialogHotButton != nullptr) {
    POINT cursor;
    GetCursorPos(&cursor);
    RECT r;
    GetWindowRect(DialogHotButton->Handle, &r);
    if (!PtInRect(&r, cursor)) {
      DialogHotButton->MouseLeave();
      DialogHotButton = nullptr;
    }
  }
  if (Tracking || HotItem == nullptr) return;
  POINT cursor;
  GetCursorPos(&cursor);
  const POINT p = FramePoint(MAKELPARAM(cursor.x, cursor.y));
  if (!PtInRect(&HotItem->Bounds, p)) HotItem->MouseLeave();
}

// --------------------------------------------------------------- actions

void TWinSkinForm::CloseWindow() {
  StartHover(false);
  PostMessageW(Handle, WM_CLOSE, 0, 0);
}

void TWinSkinForm::Restore() {
  ShowState = ssNormal;
  PostMessageW(Handle, WM_SYSCOMMAND, SC_RESTORE, 0);
}

void TWinSkinForm::Maximize() {
  if (ShowState == ssMaximized) return Restore();
  ShowState = ssMaximized;
  PostMessageW(Handle, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  HotItem = nullptr;
}

void TWinSkinForm::Minimize() {
  if (ShowState == ssMinimized) return Restore();
  ShowState = ssMinimized;
  PostMessageW(Handle, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void TWinSkinForm::MdiChildCommand(UINT command) {
  if (MdiKind != mkFrame || MdiClient == nullptr) return;
  BOOL maximised = FALSE;
  auto child =
      reinterpret_cast<HWND>(SendMessageW(MdiClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised)));
  if (child == nullptr) return;
  SendMessageW(child, WM_SYSCOMMAND, command, 0);
  if (SkinManager != nullptr && SkinManager->MdiMaximized && !IsZoomed(child)) SkinManager->MdiMaximized = false;
}

void TWinSkinForm::ButtonAction(TWinSysButton& button, POINT screenPoint) {
  switch (CaptionActionOf(button.ButtonData->Action)) {
    case TCaptionAction::Close:
      CloseWindow();
      break;
    case TCaptionAction::Maximize:
      Maximize();
      break;
    case TCaptionAction::Minimize:
      Minimize();
      break;
    case TCaptionAction::SystemMenu:
      ShowSystemMenu(screenPoint.x + 1, screenPoint.y + 1, true);
      break;
    case TCaptionAction::MdiMinimize:
      MdiChildCommand(SC_MINIMIZE);
      break;
    case TCaptionAction::MdiRestore:
      MdiChildCommand(SC_RESTORE);
      break;
    case TCaptionAction::MdiClose:
      MdiChildCommand(SC_CLOSE);
      break;
    case TCaptionAction::Other:
      PostMessageW(Handle, kSkinnedQuery, static_cast<WPARAM>(button.ButtonData->Action), 0);
      break;
  }
}

// -------------------------------------------------------------- messages

LRESULT TWinSkinForm::PassOn(UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefSubclassProc(Handle, msg, wparam, lparam);
}

void TWinSkinForm::Activate() {
  if (Phase == phAttached) {
    if (MdiKind == mkChild && SkinManager != nullptr && SkinManager->MdiMaximized) {
      SetCaptionStyles(true);
      SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    } else if (ShowState != ssMinimized && BorderKind != bkPopup) {
      Phase = phFitting;
      FitWindowToFrame(false);
      Phase = phActive;
      UpdateWindowRegion();
    }
  }
  Phase = phActive;
  Active = GetActiveWindow() == Handle || (MdiKind == mkChild && GetParent(GetParent(Handle)) == GetActiveWindow());
  StartHover(Active);
  PaintFrame();
}

void TWinSkinForm::PaintAfterChange() {
  SetWindowPos(Handle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

LRESULT TWinSkinForm::FrameProc(UINT msg, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  // First stage: always.
  switch (msg) {
    case kSkinnedQuery:
      // A caption button's action the frame has no use for: the window's.
      if (lparam == 0 && wparam != 0) return PassOn(msg, wparam, lparam);
      return 1;
    case WM_ERASEBKGND: {
      result = PassOn(msg, wparam, lparam);
      if (Form == nullptr && SkinData != nullptr) {
        if (HBRUSH face = FaceBrush(*SkinData)) {
          RECT client;
          GetClientRect(Handle, &client);
          FillRect(reinterpret_cast<HDC>(wparam), &client, face);
          return 1;
        }
      }
      return result;
    }
    case WM_STYLECHANGING:
      // Whoever rewrites the styles (a form's border setters among them)
      // does not put back the caption the frame took over; the boxes it asks
      // for still count.
      if (wparam == static_cast<WPARAM>(GWL_STYLE) && !FOwnStyleChange && (Capabilities & fcCaptionRemoved) != 0 &&
          Phase != phDestroying) {
        auto* change = reinterpret_cast<STYLESTRUCT*>(lparam);
        Capabilities = (Capabilities & fcCaptionRemoved) | CapabilitiesOf(change->styleNew, SystemMenu != nullptr);
        change->styleNew &= ~(style::Caption | style::SystemMenu | style::MinimizeBox | style::MaximizeBox);
      }
      return PassOn(msg, wparam, lparam);
    case WM_STYLECHANGED:
      if (wparam == static_cast<WPARAM>(GWL_STYLE))
        Style = static_cast<std::uint32_t>(reinterpret_cast<STYLESTRUCT*>(lparam)->styleNew);
      return PassOn(msg, wparam, lparam);
    case WM_NCDESTROY: {
      Phase = phDestroying;
      ReleaseHooks(false);
      HWND window = Handle;
      result = DefSubclassProc(window, msg, wparam, lparam);
      Phase = phDestroyed;
      return result;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      result = PassOn(msg, wparam, lparam);
      if (Form == nullptr && SkinData != nullptr) {
        SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
        if (msg == WM_CTLCOLORSTATIC)
          if (HBRUSH face = FaceBrush(*SkinData)) return reinterpret_cast<LRESULT>(face);
      }
      return result;
    case WM_SETTEXT:
      // Forms repaint from their hook; a plain window's caption is ours.
      result = PassOn(msg, wparam, lparam);
      if (Form == nullptr && FrameSkinned) PaintAfterChange();
      return result;
    case WM_INITMENUPOPUP:
      // The library may have filled the sub-menu anew: the bar's drop-down
      // entries stay the frame's to draw.
      result = PassOn(msg, wparam, lparam);
      if (MenuLoopFrame() == this) MenuLoopInitPopup(reinterpret_cast<HMENU>(wparam));
      return result;
    case WM_MENUSELECT:
      if (MenuLoopFrame() == this) MenuLoopSelect(wparam, lparam);
      break;
    case WM_TIMER:
      if (wparam == kHoverTimer) {
        HoverCheck();
        return 0;
      }
      break;
    default:
      break;
  }
  if (!FrameSkinned) return PassOn(msg, wparam, lparam);
  // Second stage.
  if ((Style & style::Child) != 0 && MdiKind != mkChild) return PassOn(msg, wparam, lparam);
  bool handled = SecondStage(msg, wparam, lparam, result);
  // Third stage: only once activated, and not while minimised.
  const bool third = !IsIconic(Handle) && WearsFrame() && Phase != phAttached;
  if (third) {
    LRESULT thirdResult = 0;
    if (ThirdStage(msg, wparam, lparam, thirdResult)) return thirdResult;
  }
  if (handled) return result;
  return PassOn(msg, wparam, lparam);
}

bool TWinSkinForm::SecondStage(UINT msg, WPARAM wparam, LPARAM& lparam, LRESULT& result) {
  switch (msg) {
    case WM_SIZE:
      result = PassOn(msg, wparam, lparam);
      ShowState = wparam == SIZE_MINIMIZED ? ssMinimized : wparam == SIZE_MAXIMIZED ? ssMaximized : ssNormal;
      // A maximised window wears the shape of its new size too.
      if (ShowState != ssMinimized && !(MdiKind == mkChild && SkinManager != nullptr && SkinManager->MdiMaximized) &&
          (Phase == phActive || Phase == phApplyingSkin))
        UpdateWindowRegion();
      return true;
    case WM_ACTIVATE:
      Active = LOWORD(wparam) != WA_INACTIVE;
      return false;
    case WM_NCACTIVATE:
      Active = wparam != FALSE;
      return false;
    case WM_GETMINMAXINFO: {
      result = PassOn(msg, wparam, lparam);
      ReadShowState();
      const bool mdiMax = SkinManager != nullptr && SkinManager->MdiMaximized;
      if (ShowState == ssMinimized) {
        SetCaptionStyles(true);
      } else if (MdiKind != mkChild) {
        SetCaptionStyles(false);
      } else if (ShowState == ssNormal && !mdiMax) {
        // While a child is maximised the show state read here is the one
        // before the change: the captions stay until the frame ends it.
        SetCaptionStyles(false);
      } else {
        SetCaptionStyles(true);
      }
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
      return true;
    }
    case WM_WINDOWPOSCHANGED:
      ReadShowState();
      result = PassOn(msg, wparam, lparam);
      if (SkinMenuBar) SkinMenuBar->RetakeWindowMenu();
      return true;
    case WM_COMMAND: {
      const UINT code = LOWORD(wparam);
      if (code == SC_SIZE || code == SC_MOVE || code == SC_MINIMIZE || code == SC_MAXIMIZE || code == SC_NEXTWINDOW ||
          code == SC_PREVWINDOW || code == SC_CLOSE || code == SC_RESTORE) {
        PostMessageW(Handle, WM_SYSCOMMAND, code, 0);
        result = 0;
        return true;
      }
      return false;
    }
    case WM_SYSCOMMAND: {
      const UINT command = static_cast<UINT>(wparam & 0xFFF0);
      if (command == SC_KEYMENU) return KeyMenu(lparam, result);
      if (command == SC_MINIMIZE) {
        ShowState = ssMinimized;
        if (MdiKind == mkChild) SetCaptionStyles(true);
      } else if (command == SC_MAXIMIZE) {
        ShowState = ssMaximized;
        // The children get their own captions back before the system sizes
        // this one: a maximised child's caption then lies outside the
        // client, under the frame's bar, and the child fills the client.
        if (MdiKind == mkChild && SkinManager != nullptr) SkinManager->SetMdiMax(true);
      } else if (command == SC_RESTORE) {
        ShowState = ssNormal;
        if (MdiKind == mkChild) SetCaptionStyles(false);
      }
      result = PassOn(msg, wparam, lparam);
      if (command == SC_RESTORE && MdiKind == mkChild && SkinManager != nullptr && SkinManager->MdiMaximized &&
          !IsZoomed(Handle))
        SkinManager->SetMdiMax(false);
      return true;
    }
    case kActivateSkinned:
      Activate();
      result = 0;
      return true;
    case kMenuChanged: {
      // The library rebuilds the bar; the system must not paint its own
      // frame meanwhile.
      const bool enabled = SkinData->NCPaintEnabled;
      SkinData->NCPaintEnabled = false;
      result = PassOn(msg, wparam, lparam);
      SkinData->NCPaintEnabled = enabled;
      if (SkinMenuBar) {
        SkinMenuBar->TakeWindowMenu();
        PaintFrame();
      }
      return true;
    }
    default:
      return false;
  }
}

bool TWinSkinForm::ThirdStage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (msg) {
    case WM_NCCALCSIZE: {
      // The default handling rewrites the rectangle; the proposed window
      // rectangle is what the skin's frame is taken from.
      RECT proposed{};
      if (wparam != 0) proposed = reinterpret_cast<NCCALCSIZE_PARAMS*>(lparam)->rgrc[0];
      result = PassOn(msg, wparam, lparam);
      if (wparam == 0) {
        result = 0;
        return true;
      }
      auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lparam);
      if (!WearsFrame() || BorderKind == bkPopup) {
        params->rgrc[1] = params->rgrc[0];
        result = WVR_REDRAW;
        return true;
      }
      const TSkinRect client = FrameClientRect(proposed.left, proposed.top, proposed.right - proposed.left,
                                               proposed.bottom - proposed.top, Metrics, MenuHeight);
      params->rgrc[0] = ToRect(client);
      if (params->rgrc[0].right < params->rgrc[0].left) params->rgrc[0].right = params->rgrc[0].left;
      if (params->rgrc[0].bottom < params->rgrc[0].top) params->rgrc[0].bottom = params->rgrc[0].top;
      params->rgrc[1] = params->rgrc[0];
      result = WVR_REDRAW;
      return true;
    }
    case WM_NCHITTEST: {
      result = PassOn(msg, wparam, lparam);
      // Without a caption the system finds nothing above the client.
      if (result == HTNOWHERE || (result == HTMENU && SkinMenuBar))
        result = FrameHitCode(FramePoint(lparam).y, Metrics.Top);
      return true;
    }
    case WM_NCPAINT:
      if (SkinData == nullptr || !SkinData->NCPaintEnabled) return false;
      if (!WearsFrame() || BorderKind == bkPopup) return false;
      PaintFrame();
      result = 0;
      return true;
    case WM_NCACTIVATE:
      Active = wparam != FALSE;
      StartHover(Active);
      if (WearsFrame()) PaintFrame();
      result = 1;
      return true;
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
      return NcMouse(msg, wparam, lparam, result);
    case kRepaintFrame:
      PaintFrame();
      result = 0;
      return true;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      return MenuItemMessage(msg, wparam, lparam, result);
    default:
      return false;
  }
}

void TWinSkinForm::FormHook(TMessage& m) {
  switch (m.Msg) {
    case WM_SETTEXT:
      (*FOldFormHandler)(m);
      if (FrameSkinned && Phase == phActive) PaintAfterChange();
      return;
    case kSkinChangedNotice:
      ApplySkinChange();
      return;
    case CM_DIALOGCHAR:
      if (!DialogChar(m)) (*FOldFormHandler)(m);
      return;
    default:
      (*FOldFormHandler)(m);
      return;
  }
}

LRESULT TWinSkinForm::ClientProc(HWND client, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_NCDESTROY: {
      const LRESULT result = DefSubclassProc(client, msg, wparam, lparam);
      RemoveWindowSubclass(client, &ClientSubclassProc, kClientSubclassId);
      FClientSubclassed = false;
      return result;
    }
    case WM_NCCALCSIZE:
      if (FrameSkinned) {
        const auto s = static_cast<DWORD>(GetWindowLongPtrW(client, GWL_STYLE));
        if (s & (WS_HSCROLL | WS_VSCROLL)) SetWindowLongPtrW(client, GWL_STYLE, s & ~(WS_HSCROLL | WS_VSCROLL));
      }
      return DefSubclassProc(client, msg, wparam, lparam);
    case WM_MDICREATE: {
      if (SkinData != nullptr) SkinData->SetMenuUpdate(false);
      const LRESULT result = DefSubclassProc(client, msg, wparam, lparam);
      NewMdiChild = reinterpret_cast<HWND>(result);
      return result;
    }
    case WM_MDIDESTROY: {
      const LRESULT result = DefSubclassProc(client, msg, wparam, lparam);
      if (FrameSkinned && SkinManager != nullptr) {
        BOOL maximised = FALSE;
        SendMessageW(client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised));
        SkinManager->MdiMaximized = maximised != FALSE;
        if (!SkinManager->MdiMaximized && SkinData != nullptr) SkinData->SetMenuUpdate(FSavedMenuUpdate);
      }
      return result;
    }
    case WM_MDISETMENU: {
      const LRESULT result = DefSubclassProc(client, msg, wparam, lparam);
      if (FrameSkinned && SkinMenuBar && wparam != 0) SkinMenuBar->TakeWindowMenu();
      return result;
    }
    case WM_MDITILE:
    case WM_MDICASCADE:
      if (FrameSkinned && SkinManager != nullptr && SkinManager->MdiMaximized) SkinManager->MdiMaximized = false;
      return DefSubclassProc(client, msg, wparam, lparam);
    case WM_MDIREFRESHMENU: {
      const LRESULT result = DefSubclassProc(client, msg, wparam, lparam);
      if (NewMdiChild != nullptr) {
        if (SkinManager != nullptr) SkinManager->AddWindow(NewMdiChild);
        PostMessageW(Handle, kRepaintFrame, 0, 0);
        NewMdiChild = nullptr;
      }
      return result;
    }
    default:
      return DefSubclassProc(client, msg, wparam, lparam);
  }
}

// ------------------------------------------------------- changes, detach

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
  Phase = phApplyingSkin;
  // The new skin's shape, even at the same size.
  RegionWidth = RegionHeight = 0;
  if (FrameSkinned) {
    FitWindowToFrame(true);
    Phase = phActive;
    UpdateWindowRegion();
  }
  Phase = phActive;
  PaintFrame();
}

void TWinSkinForm::ReleaseHooks(bool full) {
  StartHover(false);
  if (FFormHooked && Form != nullptr) Form->RemoveWindowHook(this);
  FFormHooked = false;
  if (FSubclassed) RemoveWindowSubclass(Handle, &SkinFrameSubclassProc, kFrameSubclassId);
  FSubclassed = false;
  if (FClientSubclassed && MdiClient != nullptr)
    RemoveWindowSubclass(MdiClient, &ClientSubclassProc, kClientSubclassId);
  FClientSubclassed = false;
  FreeSkinControls();
  if (Form != nullptr && full && Phase != phDestroying) Form->SetColor(SavedFormColor);
  if (Phase != phDestroying) SkinPopupMenus(false);
  FSkinnedPopups.clear();
  SkinSysMenu.reset();
  if (HotItem != nullptr && dynamic_cast<TMenuBtn*>(HotItem) != nullptr) HotItem = nullptr;
  if (SkinMenuBar) SkinMenuBar->GiveBack(Phase == phDestroying);
  SkinMenuBar.reset();
  CaptionBitmap.SetSize(0, 0);
}

void TWinSkinForm::UnskinForm() {
  if (!FrameSkinned) {
    ReleaseHooks(true);
    if (Form != nullptr && Phase != phDestroying) Form->Invalidate();
    return;
  }
  StartHover(false);
  if (!FSubclassed) return;
  ReleaseHooks(true);
  SetCaptionStyles(true);
  if (Phase != phDestroying && (MdiKind == mkChild || (Style & style::Child) == 0) && IsWindow(Handle)) {
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
