// The skinned frame's menus: its owner-drawn system menu, the form's popup
// menus drawn by the skin, the items of the window's own menu, and Alt with
// a bar button's letter.
#include <algorithm>

#include "gui/forms/Forms.h"
#include "gui/forms/Menus.h"
#include "gui/gdi/WideText.h"
#include "skin/frame/MenuLoopHook.h"
#include "skin/frame/SkinMenuItems.h"
#include "skin/frame/WinSkinForm.h"
#include "skin/frame/WinSkinMenu.h"
#include "skin/layout/MenuLoopRules.h"
#include "skin/model/SkinDeviceObjects_win32.h"

namespace pellamy {

namespace {

constexpr std::intptr_t kSystemMenuTag = 33333;
constexpr std::intptr_t kSeparatorTag = 100;
constexpr int kMaxDepth = 16;

bool IsAltOnly() {
  return (GetKeyState(VK_MENU) & 0x8000) != 0 && (GetKeyState(VK_CONTROL) & 0x8000) == 0 &&
         (GetKeyState(VK_SHIFT) & 0x8000) == 0;
}

// The position of the entry with that identifier in menu, or -1.
int PositionOf(HMENU menu, UINT id) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i)
    if (GetMenuItemID(menu, i) == id) return i;
  // A sub-menu's entry is known by its sub-menu.
  for (int i = 0; i < count; ++i)
    if (HMENU sub = GetSubMenu(menu, i); sub != nullptr && reinterpret_cast<UINT_PTR>(sub) == id) return i;
  return -1;
}

// The text of the entry with that identifier, in menu or its sub-menus.
bool EntryText(HMENU menu, UINT id, std::wstring& text, int depth = 0) {
  if (menu == nullptr || depth > kMaxDepth) return false;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t buffer[81] = {};
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    mii.dwTypeData = buffer;
    mii.cch = 80;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
    if (mii.hSubMenu == nullptr && mii.wID == id) {
      text = buffer;
      return true;
    }
    if (mii.hSubMenu != nullptr && EntryText(mii.hSubMenu, id, text, depth + 1)) return true;
  }
  return false;
}

void SkinItems(TMenuItem* item, const TAdvancedMenuDrawItemEvent& draw, const TMenuMeasureItemEvent& measure, bool on,
               int depth = 0) {
  if (depth > kMaxDepth) return;
  for (int i = 0; i < item->Count(); ++i) {
    TMenuItem* child = item->Items(i);
    if (on) {
      // An item the application draws keeps its own handlers.
      if (!child->OnAdvancedDrawItem) {
        child->OnSkinDrawItem = draw;
        child->OnSkinMeasureItem = measure;
      }
    } else {
      child->OnSkinDrawItem = nullptr;
      child->OnSkinMeasureItem = nullptr;
    }
    SkinItems(child, draw, measure, on, depth + 1);
  }
}

}  // namespace

void TWinSkinForm::SkinPopupMenus(bool on) {
  if (Form == nullptr || SkinData == nullptr) return;
  const TAdvancedMenuDrawItemEvent draw = [this](TMenuItem* sender, TCanvas& canvas, RECT rect, TOwnerDrawState state) {
    if (SkinData == nullptr) return;
    TMenuItemLook look = LookOfItem(*sender);
    look.RightToLeft = RightToLeft;
    HMENU parent = sender->Parent() != nullptr ? sender->Parent()->Handle() : nullptr;
    PaintMenuItem(*SkinData, canvas.Handle(), rect, (state & odSelected) != 0, look, parent);
  };
  const TMenuMeasureItemEvent measure = [this](TMenuItem* sender, TCanvas&, int& width, int& height) {
    if (SkinData != nullptr) MeasureSkinMenuItem(*SkinData, *sender, width, height);
  };
  const bool allowed = InSet(SkinData->SkinControls(), xcPopupMenu);
  for (int i = 0; i < Form->ComponentCount(); ++i) {
    auto* popup = dynamic_cast<TPopupMenu*>(Form->Components(i));
    if (popup == nullptr) continue;
    const auto known = std::find_if(FSkinnedPopups.begin(), FSkinnedPopups.end(),
                                    [popup](const auto& entry) { return entry.first == popup; });
    if (on) {
      if (!allowed || popup->Tag() % 100 == SkinData->DisableTag() || known != FSkinnedPopups.end()) continue;
      FSkinnedPopups.emplace_back(popup, popup->OwnerDraw());
      SkinItems(popup->Items(), draw, measure, true);
      popup->SetOwnerDraw(true);
    } else if (known != FSkinnedPopups.end()) {
      SkinItems(popup->Items(), draw, measure, false);
      // The application's own choice of owner drawing comes back.
      popup->SetOwnerDraw(known->second);
    }
  }
  if (!on) FSkinnedPopups.clear();
}

void TWinSkinForm::BuildSystemMenu() {
  SkinSysMenu.reset();
  if (SkinData == nullptr) return;
  auto menu = std::make_unique<TPopupMenu>(nullptr);
  menu->SetTag(kSystemMenuTag);
  menu->SetImages(MenuGlyphs(*SkinData));
  menu->SetOwnerDraw(true);
  struct TEntry {
    const char* Caption;
    int Tag;
    bool Present;
    TShortCut ShortCut;
  };
  // Closing is Alt+F4 wherever the system takes keys.
  const TEntry entries[] = {{" Restore ", 0, true, scNone},
                            {" Maximize ", 1, (Capabilities & fcMaximize) != 0, scNone},
                            {" Minimize ", 2, (Capabilities & fcMinimize) != 0, scNone},
                            {"-", kSeparatorTag, true, scNone},
                            {" Close ", 3, true, ShortCut(VK_F4, scAlt)}};
  for (const TEntry& e : entries) {
    if (!e.Present) continue;
    auto* item = new TMenuItem(menu.get());
    item->SetCaption(e.Caption);
    item->SetTag(e.Tag);
    if (e.Tag != kSeparatorTag) item->SetImageIndex(e.Tag);
    // Shown as its text only: the key itself reaches the window as ever.
    item->SetShortCut(e.ShortCut);
    const int tag = e.Tag;
    item->OnClick = [this, tag](TComponent*) { SystemMenuClick(tag); };
    menu->Items()->Add(item);
  }
  const TAdvancedMenuDrawItemEvent draw = [this](TMenuItem* sender, TCanvas& canvas, RECT rect, TOwnerDrawState state) {
    if (SkinData == nullptr) return;
    TMenuItemLook look = LookOfItem(*sender);
    look.RightToLeft = RightToLeft;
    PaintMenuItem(*SkinData, canvas.Handle(), rect, (state & odSelected) != 0, look,
                  sender->Parent() != nullptr ? sender->Parent()->Handle() : nullptr);
  };
  const TMenuMeasureItemEvent measure = [this](TMenuItem* sender, TCanvas&, int& width, int& height) {
    if (SkinData != nullptr) MeasureSkinMenuItem(*SkinData, *sender, width, height);
  };
  SkinItems(menu->Items(), draw, measure, true);
  SkinSysMenu = std::move(menu);
}

void TWinSkinForm::SystemMenuClick(int tag) {
  switch (tag) {
    case 0:
      Restore();
      break;
    case 1:
      Maximize();
      break;
    case 2:
      Minimize();
      break;
    case 3:
      CloseWindow();
      break;
    default:
      break;
  }
}

void TWinSkinForm::ShowSystemMenu(int x, int y, bool fromIcon) {
  const DWORD now = GetTickCount();
  if (fromIcon && IsSecondIconClick(now, LastIconClick, DoubleClickTime)) {
    // The second click of a double click on the icon closes the window.
    LastIconClick = 0;
    CloseWindow();
    return;
  }
  if (fromIcon) LastIconClick = now;
  if (SkinSysMenu && SkinData != nullptr && InSet(SkinData->SkinControls(), xcSystemMenu) &&
      MdiKind != TMdiRole::Child) {
    TMenuItem* root = SkinSysMenu->Items();
    for (int i = 0; i < root->Count(); ++i) {
      TMenuItem* item = root->Items(i);
      if (item->Tag() >= 0 && item->Tag() <= 2)
        item->SetEnabled(SystemMenuItemEnabled(static_cast<int>(item->Tag()), ShowState));
    }
    SkinSysMenu->Popup(x, y);
    return;
  }
  HMENU menu = SystemMenu != nullptr ? SystemMenu : GetSystemMenu(Handle, FALSE);
  if (menu == nullptr) return;
  const auto enable = [menu](UINT command, bool on) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  enable(SC_RESTORE, ShowState != TShowState::Normal);
  enable(SC_MAXIMIZE, ShowState != TShowState::Maximized && (Capabilities & fcMaximize) != 0);
  enable(SC_MINIMIZE, ShowState != TShowState::Minimized && (Capabilities & fcMinimize) != 0);
  // Its commands come back as WM_COMMAND, which the frame turns into system
  // commands.
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y, 0, Handle, nullptr);
}

bool TWinSkinForm::KeyMenu(LPARAM key, LRESULT& result) {
  // Inside a menu loop or a drag the system goes on; Alt with the minus
  // sign, or the space bar on an MDI child (the minus sign comes to it so),
  // is the child's own window menu.
  if (Tracking || key == '-' || GetCapture() != nullptr) return false;
  if (MdiKind == TMdiRole::Child) {
    if (key == ' ') return false;
    // The bar is the MDI frame's.
    HWND frame = GetAncestor(Handle, GA_ROOT);
    if (frame == nullptr || frame == Handle) return false;
    result = SendMessageW(frame, WM_SYSCOMMAND, SC_KEYMENU, key);
    return true;
  }
  if (key == ' ') {
    if (!WearsFrame()) return false;
    // Below the caption's icon, as a click on it shows it.
    RECT window;
    GetWindowRect(Handle, &window);
    POINT at{window.left + Metrics.Left, window.top + Metrics.Top};
    for (const auto& button : CaptionButtons)
      if (button->Visible && CaptionActionOf(button->ButtonData->Action) == TCaptionAction::SystemMenu) {
        at = {window.left + button->Bounds.left, window.top + button->Bounds.bottom};
        break;
      }
    ShowSystemMenu(at.x, at.y, false);
    result = 0;
    return true;
  }
  if (key != 0 && SkinMenuBar)
    if (TMenuBtn* button = SkinMenuBar->ButtonByAccelerator(static_cast<wchar_t>(key)))
      SkinMenuBar->OpenButtonMenu(*button);
  // Alt alone, or a letter no enabled bar button has (a disabled one's among
  // them): the system would track its own bar or system menu, unskinned,
  // over the skinned frame.
  result = 1;
  return true;
}

bool TWinSkinForm::DialogChar(TMessage& m) {
  if (!SkinMenuBar || !IsAltOnly()) return false;
  const auto key = static_cast<wchar_t>(m.WParam);
  TMenuBtn* button = SkinMenuBar->ButtonByAccelerator(key);
  if (button == nullptr && SkinMenuBar->ButtonByAccelerator(key, true) != nullptr) {
    // A disabled bar button's letter: a control's may still take it, the
    // system's bar tracking may not.
    (*FOldFormHandler)(m);
    if (m.Result == 0) m.Result = 1;
    return true;
  }
  if (button == nullptr) return false;
  RECT window;
  GetWindowRect(Handle, &window);
  const POINT p{window.left + button->Bounds.left + 1, window.top + button->Bounds.top + 1};
  PostMessageW(Handle, WM_NCLBUTTONDOWN, HTCLIENT, MAKELPARAM(p.x, p.y));
  m.Result = 1;
  return true;
}

bool TWinSkinForm::MenuItemMessage(UINT msg, WPARAM, LPARAM lparam, LRESULT& result) {
  if (SkinData == nullptr || lparam == 0) return false;
  TMainMenu* mainMenu = Form != nullptr ? Form->Menu() : nullptr;
  const auto libraryItem = [mainMenu](ULONG_PTR data, UINT id) -> TMenuItem* {
    if (TMenuItem::IsLiveItem(reinterpret_cast<void*>(data))) return reinterpret_cast<TMenuItem*>(data);
    return mainMenu != nullptr ? mainMenu->FindItem(id, fkCommand) : nullptr;
  };
  const int left = MenuItemLeft(*SkinData);
  if (msg == WM_MEASUREITEM) {
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
    if (mis->CtlType != ODT_MENU) return false;
    WindowDc dc(Handle);
    if (TMenuItem* item = libraryItem(mis->itemData, mis->itemID)) {
      TCanvas canvas(dc.get());
      canvas.Font().AssignLogFont([] {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        return metrics.lfMenuFont;
      }());
      int width = static_cast<int>(mis->itemWidth), height = static_cast<int>(mis->itemHeight);
      // Measured as the item measures itself, the skin's share added once.
      auto draw = std::move(item->OnSkinDrawItem);
      auto measure = std::move(item->OnSkinMeasureItem);
      item->OnSkinDrawItem = nullptr;
      item->OnSkinMeasureItem = nullptr;
      item->MeasureItem(canvas, width, height);
      item->OnSkinDrawItem = std::move(draw);
      item->OnSkinMeasureItem = std::move(measure);
      TMenu* menu = item->GetParentMenu();
      width = WindowItemWidth(width, left, menu != nullptr && menu->Images() != nullptr);
      mis->itemWidth = static_cast<UINT>(std::max(0, width));
      mis->itemHeight = static_cast<UINT>(std::max(0, height));
    } else {
      std::wstring text;
      EntryText(CurrentPopupMenu != nullptr ? CurrentPopupMenu : MenuHandle, mis->itemID, text);
      if (const auto tab = text.find(L'\t'); tab != std::wstring::npos) text[tab] = L' ';
      UniqueFont font = MenuFont(false);
      SelectGuard fontIn(dc.get(), font ? static_cast<HGDIOBJ>(font.get()) : GetStockObject(DEFAULT_GUI_FONT));
      SIZE extent{};
      GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
      // The system may propose no height at all; the text's is the least.
      const int proposed = std::max(static_cast<int>(mis->itemHeight), static_cast<int>(extent.cy) + 2);
      const TItemSize size = RawItemSize(extent.cx, proposed, !text.empty(), left, false);
      mis->itemWidth = static_cast<UINT>(size.Width);
      mis->itemHeight = static_cast<UINT>(size.Height);
    }
    result = TRUE;
    return true;
  }
  if (msg != WM_DRAWITEM) return false;
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
  if (dis->CtlType != ODT_MENU) return false;
  auto menu = reinterpret_cast<HMENU>(dis->hwndItem);
  TMenuItemLook look;
  if (TMenuItem* item = libraryItem(dis->itemData, dis->itemID)) {
    look = LookOfItem(*item);
  } else {
    const int position = PositionOf(menu, dis->itemID);
    if (position < 0) return false;
    look = LookOfEntry(menu, static_cast<UINT>(position));
  }
  look.RightToLeft = look.RightToLeft || RightToLeft;
  PaintMenuItem(*SkinData, dis->hDC, dis->rcItem, (dis->itemState & ODS_SELECTED) != 0, look, menu);
  result = TRUE;
  return true;
}

}  // namespace pellamy
