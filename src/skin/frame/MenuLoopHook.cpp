#include "skin/frame/MenuLoopHook.h"

#include "gui/forms/Menus.h"
#include "skin/frame/WinSkinForm.h"
#include "skin/frame/WinSkinMenu.h"

namespace pellamy {

namespace {

struct TMenuTracking {
  TWinSkinForm* Frame = nullptr;
  TWinSkinMenu* Bar = nullptr;
  TOwnerDrawnEntries* Entries = nullptr;
  int Index = -1;
  HMENU DropDown = nullptr;
  TMenuCursor Cursor;
  POINT Start{};
  bool FirstSeen = false;
  bool Switching = false;
  int Next = -1;
};

TMenuTracking gTracking;

constexpr int kMaxDepth = 16;  // menus can be made to contain themselves

std::vector<bool> EnabledButtons(const TWinSkinMenu& bar) {
  std::vector<bool> enabled;
  for (const auto& b : bar.Buttons) enabled.push_back(b->Enabled);
  return enabled;
}

void SwitchTo(int index) {
  gTracking.Switching = true;
  gTracking.Next = index;
  // The loop ends; the bar opens the next drop-down once it has.
  EndMenu();
}

LRESULT CALLBACK MenuFilter(int code, WPARAM wparam, LPARAM lparam) {
  auto* msg = reinterpret_cast<MSG*>(lparam);
  TMenuTracking& t = gTracking;
  if (code == MSGF_MENU && msg != nullptr && t.Frame != nullptr && msg->message == WM_KEYDOWN)
    msg->wParam = ArrowForDirection(static_cast<unsigned>(msg->wParam), t.Frame->ReadsRightToLeft());
  const LRESULT next = CallNextHookEx(nullptr, code, wparam, lparam);
  if (next != 0 || code != MSGF_MENU || msg == nullptr || t.Frame == nullptr || t.Bar == nullptr) return next;
  if (!t.FirstSeen) {
    t.FirstSeen = true;
    PostMessageW(msg->hwnd, WM_KEYDOWN, VK_DOWN, 0);
  }
  if (t.Next >= 0) return 0;
  int target = -1;
  switch (msg->message) {
    case WM_KEYDOWN:
      if (msg->wParam == kKeyReturn || msg->wParam == kKeyEscape)
        t.Switching = false;
      else
        target = BarButtonForKey(static_cast<unsigned>(msg->wParam), t.Index, EnabledButtons(*t.Bar), t.Cursor);
      if (target >= 0 && target != t.Index) {
        SwitchTo(target);
        return 1;
      }
      return 0;
    case WM_SYSKEYDOWN:
      if (msg->wParam == kKeyMenu) t.Frame->Tracking = false;
      return 0;
    case WM_MOUSEMOVE: {
      if (msg->pt.x == t.Start.x && msg->pt.y == t.Start.y) return 0;
      RECT window;
      GetWindowRect(t.Frame->Window(), &window);
      const POINT p{msg->pt.x - window.left, msg->pt.y - window.top};
      if (TMenuBtn* b = t.Bar->ButtonAt(p)) target = b->Index;
      if (target >= 0 && target != t.Index) SwitchTo(target);
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace

TOwnerDrawnEntries::~TOwnerDrawnEntries() {
  if (gTracking.Entries == this) gTracking.Entries = nullptr;
  for (const auto& [menu, position] : FChanged) {
    if (!IsMenu(menu)) continue;
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_DATA;
    if (!GetMenuItemInfoW(menu, position, TRUE, &mii) || (mii.fType & MFT_OWNERDRAW) == 0) continue;
    // An entry its library item draws stays so.
    if (TMenuItem::IsLiveItem(reinterpret_cast<void*>(mii.dwItemData)) &&
        reinterpret_cast<TMenuItem*>(mii.dwItemData)->IsOwnerDraw())
      continue;
    mii.fMask = MIIM_FTYPE;
    mii.fType &= ~static_cast<UINT>(MFT_OWNERDRAW);
    SetMenuItemInfoW(menu, position, TRUE, &mii);
  }
}

void TOwnerDrawnEntries::Add(HMENU menu, int depth) {
  if (menu == nullptr || depth > kMaxDepth) return;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
    if ((mii.fType & (MFT_OWNERDRAW | MFT_BITMAP)) == 0) {
      mii.fMask = MIIM_FTYPE;
      mii.fType |= MFT_OWNERDRAW;
      if (SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii)) FChanged.emplace_back(menu, static_cast<UINT>(i));
    }
    if (mii.hSubMenu != nullptr) Add(mii.hSubMenu, depth + 1);
  }
}

TMenuLoopHook::TMenuLoopHook(TWinSkinForm& frame, TWinSkinMenu& bar, int index, HMENU dropDown,
                             TOwnerDrawnEntries* entries) {
  gTracking = TMenuTracking{};
  gTracking.Frame = &frame;
  gTracking.Bar = &bar;
  gTracking.Entries = entries;
  gTracking.Index = index;
  gTracking.DropDown = dropDown;
  GetCursorPos(&gTracking.Start);
  FHook = SetWindowsHookExW(WH_MSGFILTER, &MenuFilter, nullptr, GetCurrentThreadId());
}

TMenuLoopHook::~TMenuLoopHook() {
  if (FHook != nullptr) UnhookWindowsHookEx(FHook);
  gTracking = TMenuTracking{};
}

int TMenuLoopHook::NextButton() const {
  return gTracking.Next;
}

void MenuLoopSelect(WPARAM wparam, LPARAM lparam) {
  TMenuTracking& t = gTracking;
  if (t.Frame == nullptr) return;
  const UINT flags = HIWORD(wparam);
  auto menu = reinterpret_cast<HMENU>(lparam);
  if (flags == 0xFFFF && menu == nullptr) {
    // The loop closed: unless it closed to open the neighbour.
    if (!t.Switching) t.Frame->Tracking = false;
    t.Cursor = TMenuCursor{};
    return;
  }
  t.Cursor.Known = true;
  t.Cursor.InBarDropDown = menu == t.DropDown;
  t.Cursor.HasSubItems = (flags & MF_POPUP) != 0;
}

void MenuLoopInitPopup(HMENU popup) {
  if (gTracking.Entries != nullptr) gTracking.Entries->Add(popup, 0);
}

TWinSkinForm* MenuLoopFrame() {
  return gTracking.Frame;
}

}  // namespace pellamy
