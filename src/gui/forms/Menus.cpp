#include "gui/forms/Menus.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>
#include <utility>

#include "base/Exceptions.h"
#include "gui/forms/Application.h"
#include "gui/forms/Forms.h"
#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/ImgList.h"
#include "gui/gdi/WideText.h"
#include "gui/gdi/WindowClass.h"

namespace pellamy {

namespace {

// Command ids stay below the system commands (0xF000) and the ids the MDI
// client gives its window list (0xFF00).
constexpr WORD kFirstCommand = 100;
constexpr WORD kLastCommand = 0xEFFF;

std::map<WORD, TMenuItem*>& Commands() {
  static std::map<WORD, TMenuItem*> commands;
  return commands;
}

std::set<const void*>& LiveItems() {
  static std::set<const void*> items;
  return items;
}

WORD AllocateCommand() {
  static WORD next = kFirstCommand;
  for (int tries = 0; tries <= kLastCommand - kFirstCommand; ++tries) {
    const WORD id = next;
    next = next >= kLastCommand ? kFirstCommand : static_cast<WORD>(next + 1);
    if (Commands().count(id) == 0) return id;
  }
  throw Exception("Too many menu items");
}

struct TKeyName {
  unsigned Key;
  const char* Name;
};

constexpr TKeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},        {VK_RETURN, "Enter"},   {VK_ESCAPE, "Esc"},   {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},      {VK_END, "End"},        {VK_HOME, "Home"},    {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"},    {VK_DOWN, "Down"},      {VK_INSERT, "Ins"},   {VK_DELETE, "Del"},
    {VK_ADD, "Num +"},  {VK_SUBTRACT, "Num -"}, {VK_MULTIPLY, "Num *"}, {VK_DIVIDE, "Num /"},
};

std::string KeyName(unsigned key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
  if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return "Num " + std::to_string(key - VK_NUMPAD0);
  for (const TKeyName& k : kKeyNames)
    if (k.Key == key) return k.Name;
  // Punctuation keys: the character the key types.
  const UINT ch = MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) & 0xFFFF;
  if (ch >= 0x21 && ch < 0x7F) return std::string(1, static_cast<char>(ch));
  return {};
}

std::string Lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

void AssignMenuFont(TFont& font) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    font.AssignLogFont(metrics.lfMenuFont);
}

// Takes every entry out of a menu without destroying the sub-menus, which
// belong to their items.
void EmptyMenu(HMENU menu) {
  while (GetMenuItemCount(menu) > 0)
    if (!RemoveMenu(menu, 0, MF_BYPOSITION)) break;
}

bool IsTopLevel(const TMenuItem* item) {
  const TMenuItem* parent = item->Parent();
  if (parent == nullptr || parent->Parent() != nullptr) return false;
  TMenu* menu = parent->GetParentMenu();
  return menu != nullptr && menu->IsMenuBar();
}

void GuardedClick(TMenuItem* item) {
  try {
    item->Click();
  } catch (...) {
    if (Application() != nullptr) Application()->HandleException(std::current_exception());
  }
}

}  // namespace

// ----------------------------------------------------------- shortcut text

std::string ShortCutToText(TShortCut shortCut) {
  const std::string name = KeyName(shortCut & 0xFF);
  if (name.empty()) return {};
  std::string text;
  if (shortCut & scShift) text += "Shift+";
  if (shortCut & scCtrl) text += "Ctrl+";
  if (shortCut & scAlt) text += "Alt+";
  return text + name;
}

TShortCut TextToShortCut(const std::string& text) {
  TShortCut shift = 0;
  std::string rest = text;
  const std::pair<const char*, TShortCut> prefixes[] = {{"shift+", scShift}, {"ctrl+", scCtrl}, {"alt+", scAlt}};
  for (bool found = true; found;) {
    found = false;
    for (const auto& [prefix, bit] : prefixes) {
      const std::string p = prefix;
      if (rest.size() > p.size() && Lowered(rest.substr(0, p.size())) == p) {
        shift |= bit;
        rest = rest.substr(p.size());
        found = true;
      }
    }
  }
  if (rest.empty()) return scNone;
  const std::string wanted = Lowered(rest);
  for (unsigned key = 1; key < 0xFF; ++key) {
    const std::string name = KeyName(key);
    if (!name.empty() && Lowered(name) == wanted) return ShortCut(key, shift);
  }
  return scNone;
}

TShortCut ShortCutFromKey(unsigned key, bool altDown) {
  TShortCut shortCut = ShortCut(key, 0);
  if (GetKeyState(VK_SHIFT) < 0) shortCut |= scShift;
  if (GetKeyState(VK_CONTROL) < 0) shortCut |= scCtrl;
  if (altDown) shortCut |= scAlt;
  return shortCut;
}

std::string StripHotkey(const std::string& caption) {
  std::string out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') out += '&';
      ++i;
      if (i < caption.size() && caption[i] != '&') out += caption[i];
      continue;
    }
    out += caption[i];
  }
  return out;
}

wchar_t HotkeyOf(const std::string& caption) {
  const std::wstring w = Utf8ToWide(caption);
  for (std::size_t i = 0; i + 1 < w.size(); ++i) {
    if (w[i] != L'&') continue;
    if (w[i + 1] == L'&') {
      ++i;
      continue;
    }
    return static_cast<wchar_t>(std::towlower(w[i + 1]));
  }
  return 0;
}

TOwnerDrawState OwnerDrawStateOf(UINT s) {
  TOwnerDrawState state = 0;
  if (s & ODS_SELECTED) state |= odSelected;
  if (s & ODS_GRAYED) state |= odGrayed;
  if (s & ODS_DISABLED) state |= odDisabled;
  if (s & ODS_CHECKED) state |= odChecked;
  if (s & ODS_FOCUS) state |= odFocused;
  if (s & ODS_DEFAULT) state |= odDefault;
  if (s & ODS_HOTLIGHT) state |= odHotLight;
  if (s & ODS_INACTIVE) state |= odInactive;
  if (s & ODS_NOACCEL) state |= odNoAccel;
  if (s & ODS_NOFOCUSRECT) state |= odNoFocusRect;
  if (s & ODS_COMBOBOXEDIT) state |= odComboBoxEdit;
  return state;
}

// --------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), FCommand(AllocateCommand()) {
  Commands()[FCommand] = this;
  LiveItems().insert(this);
}

TMenuItem::~TMenuItem() {
  // Our entries first, so no sub-menu of ours is listed once it is gone.
  if (FHandle) EmptyMenu(FHandle.get());
  while (!FItems.empty()) {
    TMenuItem* child = FItems.back();
    FItems.pop_back();
    child->FParent = nullptr;
    delete child;
  }
  if (FParent != nullptr) FParent->Remove(this);
  FreeHandle();
  Commands().erase(FCommand);
  LiveItems().erase(this);
}

TMenuItem* TMenuItem::FromCommand(WORD command) {
  auto it = Commands().find(command);
  return it != Commands().end() ? it->second : nullptr;
}

TMenuItem* TMenuItem::FromHandle(HMENU menu) {
  if (menu == nullptr) return nullptr;
  for (const auto& [id, item] : Commands())
    if (item->FHandle.get() == menu) return item;
  return nullptr;
}

bool TMenuItem::IsLiveItem(const void* item) {
  return item != nullptr && LiveItems().count(item) != 0;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->FParent != nullptr) item = item->FParent;
  return item->FMenu;
}

bool TMenuItem::IsOwnerDraw() const {
  if (OnAdvancedDrawItem || OnMeasureItem || OnSkinDrawItem) return true;
  TMenu* menu = GetParentMenu();
  return menu != nullptr && menu->OwnerDraw();
}

void TMenuItem::Changed() {
  if (FParent != nullptr) FParent->RebuildHandle();
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged(this);
}

void TMenuItem::SetCaption(const std::string& caption) {
  if (FCaption == caption) return;
  FCaption = caption;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut shortCut) {
  if (FShortCut == shortCut) return;
  FShortCut = shortCut;
  Changed();
}

void TMenuItem::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  Changed();
}

void TMenuItem::UncheckSiblings() {
  if (FParent == nullptr) return;
  for (TMenuItem* other : FParent->FItems)
    if (other != this && other->FRadioItem && other->FGroupIndex == FGroupIndex) other->FChecked = false;
}

void TMenuItem::SetChecked(bool value) {
  if (FChecked == value) return;
  FChecked = value;
  if (value && FRadioItem) UncheckSiblings();
  Changed();
}

void TMenuItem::SetRadioItem(bool value) {
  if (FRadioItem == value) return;
  FRadioItem = value;
  if (FRadioItem && FChecked) UncheckSiblings();
  Changed();
}

void TMenuItem::SetGroupIndex(int value) {
  if (FGroupIndex == value) return;
  FGroupIndex = value;
  if (FRadioItem && FChecked) UncheckSiblings();
  Changed();
}

void TMenuItem::SetDefault(bool value) {
  if (FDefault == value) return;
  FDefault = value;
  Changed();
}

void TMenuItem::SetVisible(bool value) {
  if (FVisible == value) return;
  FVisible = value;
  Changed();
}

void TMenuItem::SetImageIndex(int index) {
  if (FImageIndex == index) return;
  FImageIndex = index;
  Changed();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TMenuItem::Add(TMenuItem* item) {
  Insert(Count() - (item != nullptr && item->FParent == this ? 1 : 0), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (item == nullptr) throw Exception("Cannot insert a missing menu item");
  for (const TMenuItem* p = this; p != nullptr; p = p->FParent)
    if (p == item) throw Exception("A menu item cannot hold itself");
  if (item->FParent != nullptr) item->FParent->Remove(item);
  index = std::clamp(index, 0, Count());
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
  if (item->FRadioItem && item->FChecked) item->UncheckSiblings();
  if (FHandle) RebuildHandle();
  if (FItems.size() == 1 && FParent != nullptr) FParent->RebuildHandle();  // the entry opens a sub-menu now
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged(item);
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  item->FParent = nullptr;
  if (FItems.empty() && FMenu == nullptr) {
    // No sub-menu any more: the parent lists a plain entry before ours goes.
    auto old = std::exchange(FHandle, {});
    if (FParent != nullptr) FParent->RebuildHandle();
  } else if (FHandle) {
    RebuildHandle();
  }
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged(this);
}

void TMenuItem::Delete(int index) {
  delete Items(index);
}

void TMenuItem::Clear() {
  while (!FItems.empty()) delete FItems.back();
}

TMenuItem* TMenuItem::Find(const std::string& caption) const {
  const std::string wanted = Lowered(StripHotkey(caption));
  for (TMenuItem* item : FItems)
    if (Lowered(StripHotkey(item->FCaption)) == wanted) return item;
  return nullptr;
}

int TMenuItem::MenuIndex() const {
  return FParent != nullptr ? FParent->IndexOf(this) : -1;
}

void TMenuItem::SetMenuIndex(int index) {
  if (FParent == nullptr) return;
  TMenuItem* parent = FParent;
  index = std::clamp(index, 0, parent->Count() - 1);
  if (index == MenuIndex()) return;
  auto& list = parent->FItems;
  list.erase(std::find(list.begin(), list.end(), this));
  list.insert(list.begin() + index, this);
  parent->RebuildHandle();
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged(this);
}

HMENU TMenuItem::Handle() {
  if (!FHandle) {
    if (FMenu == nullptr && FItems.empty()) return nullptr;
    FHandle.reset(FMenu != nullptr && FMenu->IsMenuBar() ? CreateMenu() : CreatePopupMenu());
    if (!FHandle) throw Exception("Cannot create a menu");
    RebuildHandle();
  }
  return FHandle.get();
}

void TMenuItem::TItemMenuTraits::Close(HMENU menu) {
  EmptyMenu(menu);
  DestroyMenu(menu);
}

void TMenuItem::FreeHandle() {
  FHandle.reset();
}

void TMenuItem::RebuildHandle() {
  if (!FHandle) return;
  const bool bar = FMenu != nullptr && FMenu->IsMenuBar();
  // A menu bar is built anew, so that its window takes it as a new menu
  // (an MDI frame then adds a maximised child's buttons to it again). The
  // new bar is owned from the start: an item that throws leaves no menu.
  UniqueHandle<TItemMenuTraits> fresh;
  HMENU target = FHandle.get();
  if (bar) {
    fresh.reset(CreateMenu());
    if (!fresh) throw Exception("Cannot create a menu");
    target = fresh.get();
  } else {
    EmptyMenu(target);
  }
  const std::vector<TMenuItem*> entries = FMenu != nullptr ? FMenu->RootEntries() : FItems;
  UINT position = 0;
  for (TMenuItem* item : entries) {
    if (!item->FVisible) continue;
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    mii.wID = item->FCommand;
    mii.dwItemData = reinterpret_cast<ULONG_PTR>(item);
    mii.hSubMenu = item->Count() > 0 ? item->Handle() : nullptr;
    std::wstring text;
    if (item->IsLine()) {
      mii.fType = MFT_SEPARATOR;
    } else {
      text = Utf8ToWide(item->FCaption);
      if (item->FShortCut != scNone && !bar) text += L"\t" + Utf8ToWide(ShortCutToText(item->FShortCut));
      mii.fMask |= MIIM_STRING;
      mii.dwTypeData = text.data();
      mii.cch = static_cast<UINT>(text.size());
      if (item->FRadioItem) mii.fType |= MFT_RADIOCHECK;
    }
    item->FEntryOwnerDraw = item->IsOwnerDraw();
    if (item->FEntryOwnerDraw) mii.fType |= MFT_OWNERDRAW;
    if (!item->FEnabled) mii.fState |= MFS_DISABLED | MFS_GRAYED;
    if (item->FChecked) mii.fState |= MFS_CHECKED;
    if (item->FDefault) mii.fState |= MFS_DEFAULT;
    InsertMenuItemW(target, position++, TRUE, &mii);
  }
  if (bar) {
    auto old = std::exchange(FHandle, std::move(fresh));
    FMenu->HandleReplaced();
  }
}

bool TMenuItem::EntriesStale() {
  if (!FHandle) return false;
  const int count = GetMenuItemCount(FHandle.get());
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_DATA;
    if (!GetMenuItemInfoW(FHandle.get(), static_cast<UINT>(i), TRUE, &mii)) continue;
    if (!IsLiveItem(reinterpret_cast<void*>(mii.dwItemData))) continue;
    // Against what was built, not the entry's bits now: a skin may draw
    // the entries of an open menu itself, and the entries the system added
    // (an MDI window list) would go with a rebuild.
    const auto* item = reinterpret_cast<TMenuItem*>(mii.dwItemData);
    if (item->FEntryOwnerDraw != item->IsOwnerDraw()) return true;
  }
  return false;
}

void TMenuItem::Click() {
  InitiateAction();
  // A command can still arrive for an item disabled since the menu opened.
  if (!FEnabled) return;
  if (FAutoCheck) SetChecked(FRadioItem ? true : !FChecked);
  if (OnClick) OnClick(this);
}

void TMenuItem::InitiateAction() {
  if (OnActionUpdate) OnActionUpdate(this);
}

void TMenuItem::MeasureItem(TCanvas& canvas, int& width, int& height) {
  const bool topLevel = IsTopLevel(this);
  TMenu* menu = GetParentMenu();
  TImageList* images = menu != nullptr ? menu->Images() : nullptr;
  const bool hasImage = images != nullptr && FImageIndex >= 0 && FImageIndex < images->Count();
  if (IsLine()) {
    width = topLevel ? 8 : 16;
    height = topLevel ? GetSystemMetrics(SM_CYMENU) : 8;
  } else {
    const TFontStyles saved = canvas.Font().Style();
    if (FDefault) canvas.Font().SetStyle(saved | fsBold);
    const SIZE text = canvas.TextExtent(StripHotkey(FCaption));
    const int shortCut = FShortCut != scNone && !topLevel ? canvas.TextWidth(ShortCutToText(FShortCut)) : 0;
    if (FDefault) canvas.Font().SetStyle(saved);
    if (topLevel) {
      width = text.cx + 12 + (hasImage ? images->Width() + 4 : 0);
      height = std::max<int>(text.cy + 4, GetSystemMetrics(SM_CYMENU));
    } else {
      const int gutter = std::max(hasImage ? images->Width() : 0, 16) + 8;
      width = gutter + text.cx + 16 + (shortCut > 0 ? shortCut + 24 : 0);
      height = std::max<int>(text.cy + 6, hasImage ? images->Height() + 4 : 0);
    }
  }
  if (SkinDrawn()) {
    if (OnSkinMeasureItem) OnSkinMeasureItem(this, canvas, width, height);
  } else if (OnMeasureItem) {
    OnMeasureItem(this, canvas, width, height);
  }
}

void TMenuItem::AdvancedDrawItem(TCanvas& canvas, const RECT& rect, TOwnerDrawState state, bool topLevel) {
  if (OnAdvancedDrawItem) {
    OnAdvancedDrawItem(this, canvas, rect, state);
    return;
  }
  if (OnSkinDrawItem) {
    OnSkinDrawItem(this, canvas, rect, state);
    return;
  }
  DrawDefault(canvas, rect, state, topLevel);
}

void TMenuItem::DrawDefault(TCanvas& canvas, const RECT& rect, TOwnerDrawState state, bool topLevel) {
  const bool selected = (state & (odSelected | odHotLight)) != 0;
  const bool disabled = !FEnabled || (state & (odDisabled | odGrayed)) != 0;
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(selected && !(disabled && topLevel) ? clHighlight : clMenu);
  canvas.FillRect(rect);
  if (IsLine()) {
    const int y = (rect.top + rect.bottom) / 2 - 1;
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetColor(clBtnShadow);
    canvas.MoveTo(rect.left + 2, y);
    canvas.LineTo(rect.right - 2, y);
    canvas.Pen().SetColor(clBtnHighlight);
    canvas.MoveTo(rect.left + 2, y + 1);
    canvas.LineTo(rect.right - 2, y + 1);
    return;
  }
  TMenu* menu = GetParentMenu();
  TImageList* images = menu != nullptr ? menu->Images() : nullptr;
  const bool hasImage = images != nullptr && FImageIndex >= 0 && FImageIndex < images->Count();
  const TColor textColor = disabled ? clGrayText : selected ? clHighlightText : clMenuText;
  const int middle = (rect.top + rect.bottom) / 2;
  RECT textRect = rect;
  if (topLevel) {
    if (hasImage) {
      images->Draw(canvas, rect.left + 4, middle - images->Height() / 2, FImageIndex, !disabled);
      textRect.left += images->Width() + 4;
    }
  } else {
    const int gutter = std::max(hasImage ? images->Width() : 0, 16) + 8;
    const RECT box{rect.left + 1, middle - (gutter - 6) / 2, rect.left + gutter - 3, middle + (gutter - 6) / 2};
    if (hasImage) {
      if (FChecked) {
        canvas.Brush().SetColor(selected ? clHighlight : cl3DLight);
        canvas.FillRect(box);
        RECT frame = box;
        DrawEdge(canvas.Handle(), &frame, BDR_SUNKENOUTER, BF_RECT);
      }
      images->Draw(canvas, rect.left + 4, middle - images->Height() / 2, FImageIndex, !disabled);
    } else if (FChecked) {
      canvas.Pen().SetStyle(psSolid);
      canvas.Pen().SetWidth(1);
      canvas.Pen().SetColor(textColor);
      canvas.Brush().SetStyle(bsSolid);
      canvas.Brush().SetColor(textColor);
      const int cx = (box.left + box.right) / 2, cy = middle;
      if (FRadioItem) {
        canvas.Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
      } else {
        // A tick, three pixels thick.
        for (int d = 0; d < 3; ++d) {
          canvas.MoveTo(cx - 4, cy - 1 + d);
          canvas.LineTo(cx - 2, cy + 1 + d);
          canvas.LineTo(cx + 3, cy - 4 + d);
        }
      }
    }
    textRect.left += gutter;
    textRect.right -= 8;
  }
  const TFontStyles saved = canvas.Font().Style();
  if (FDefault) canvas.Font().SetStyle(saved | fsBold);
  canvas.Brush().SetStyle(bsClear);
  const UINT flags = DT_SINGLELINE | DT_VCENTER | ((state & odNoAccel) ? DT_HIDEPREFIX : 0);
  const std::string shortCut = FShortCut != scNone && !topLevel ? ShortCutToText(FShortCut) : std::string();
  auto drawText = [&](RECT r, TColor color) {
    canvas.Font().SetColor(color);
    RECT t = r;
    canvas.TextRect(t, FCaption, flags | (topLevel ? DT_CENTER : DT_LEFT));
    if (!shortCut.empty()) {
      t = r;
      canvas.TextRect(t, shortCut, flags | DT_RIGHT | DT_NOPREFIX);
    }
  };
  if (disabled && !selected) {
    RECT shifted = textRect;
    OffsetRect(&shifted, 1, 1);
    drawText(shifted, clBtnHighlight);
    drawText(textRect, clBtnShadow);
  } else {
    drawText(textRect, textColor);
  }
  canvas.Font().SetStyle(saved);
  canvas.Brush().SetStyle(bsSolid);
}

void TMenuItem::DefineProperties(TPropertyTable& table) const {
  TComponent::DefineProperties(table);
  auto* self = const_cast<TMenuItem*>(this);
  table["Caption"] =
      StringProp([self] { return self->FCaption; }, [self](const std::string& v) { self->SetCaption(v); });
  table["ShortCut"] = IntProp([self] { return self->FShortCut; },
                              [self](std::int64_t v) { self->SetShortCut(static_cast<TShortCut>(v)); });
  table["Enabled"] = BoolProp([self] { return self->FEnabled; }, [self](bool v) { self->SetEnabled(v); });
  table["Checked"] = BoolProp([self] { return self->FChecked; }, [self](bool v) { self->SetChecked(v); });
  table["RadioItem"] = BoolProp([self] { return self->FRadioItem; }, [self](bool v) { self->SetRadioItem(v); });
  table["AutoCheck"] = BoolProp([self] { return self->FAutoCheck; }, [self](bool v) { self->SetAutoCheck(v); });
  table["GroupIndex"] =
      IntProp([self] { return self->FGroupIndex; }, [self](std::int64_t v) { self->SetGroupIndex(int(v)); });
  table["Default"] = BoolProp([self] { return self->FDefault; }, [self](bool v) { self->SetDefault(v); });
  table["Visible"] = BoolProp([self] { return self->FVisible; }, [self](bool v) { self->SetVisible(v); });
  table["ImageIndex"] =
      IntProp([self] { return self->FImageIndex; }, [self](std::int64_t v) { self->SetImageIndex(int(v)); });
  table["Hint"] = StringProp([self] { return self->FHint; }, [self](const std::string& v) { self->SetHint(v); });
}

// ------------------------------------------------------------------- TMenu

TMenu::TMenu(TComponent* owner) : TComponent(owner), FItems(std::make_unique<TMenuItem>(nullptr)) {
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  FItems.reset();
}

void TMenu::SetImages(TImageList* images) {
  if (FImages == images) return;
  FImages = images;
  if (images != nullptr) FreeNotification(images);
  if (FItems->HandleAllocated() && FOwnerDraw) RebuildAll(FItems.get());
  MenuChanged(nullptr);
}

void TMenu::SetOwnerDraw(bool value) {
  if (FOwnerDraw == value) return;
  FOwnerDraw = value;
  RebuildAll(FItems.get());
  MenuChanged(nullptr);
}

void TMenu::RebuildAll(TMenuItem* item) {
  for (TMenuItem* child : item->FItems) RebuildAll(child);
  item->RebuildHandle();
}

void TMenu::Notification(TComponent* component, bool removing) {
  TComponent::Notification(component, removing);
  if (removing && component == FImages) FImages = nullptr;
}

std::vector<TMenuItem*> TMenu::RootEntries() const {
  return FItems->FItems;
}

namespace {

TMenuItem* FindIn(TMenuItem* item, std::uintptr_t value, TFindItemKind kind) {
  for (int i = 0; i < item->Count(); ++i) {
    TMenuItem* child = item->Items(i);
    switch (kind) {
      case fkCommand:
        if (child->Command() == value) return child;
        break;
      case fkHandle:
        if (child->HandleAllocated() && reinterpret_cast<std::uintptr_t>(child->Handle()) == value) return child;
        break;
      case fkShortCut:
        if (child->ShortCut() != scNone && child->ShortCut() == value) return child;
        break;
    }
    if (TMenuItem* found = FindIn(child, value, kind)) return found;
  }
  return nullptr;
}

}  // namespace

TMenuItem* TMenu::FindItem(std::uintptr_t value, TFindItemKind kind) const {
  if (kind == fkHandle && FItems->HandleAllocated() && reinterpret_cast<std::uintptr_t>(FItems->FHandle.get()) == value)
    return FItems.get();
  return FindIn(FItems.get(), value, kind);
}

bool TMenu::IsShortCut(TShortCut shortCut) {
  if (shortCut == scNone) return false;
  TMenuItem* item = FindItem(shortCut, fkShortCut);
  if (item == nullptr) return false;
  // The item counts only when it and its parents can be used.
  item->InitiateAction();
  for (TMenuItem* p = item; p != nullptr && p->Parent() != nullptr; p = p->Parent())
    if (!p->Enabled() || !p->Visible()) return false;
  GuardedClick(item);
  return true;
}

bool TMenu::DispatchCommand(WORD command) {
  TMenuItem* item = FindItem(command, fkCommand);
  if (item == nullptr) return false;
  GuardedClick(item);
  return true;
}

bool TMenu::DispatchPopup(HMENU popup) {
  TMenuItem* item = FindItem(reinterpret_cast<std::uintptr_t>(popup), fkHandle);
  if (item == nullptr) return false;
  for (int i = 0; i < item->Count(); ++i) item->Items(i)->InitiateAction();
  if (item->EntriesStale()) item->RebuildHandle();
  return true;
}

void TMenu::MenuChanged(TMenuItem*) {}

void TMenu::HandleReplaced() {}

void TMenu::DefineProperties(TPropertyTable& table) const {
  TComponent::DefineProperties(table);
  auto* self = const_cast<TMenu*>(this);
  table["OwnerDraw"] = BoolProp([self] { return self->FOwnerDraw; }, [self](bool v) { self->SetOwnerDraw(v); });
}

// --------------------------------------------------------------- TMainMenu

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TMainMenu::~TMainMenu() {
  if (FMergedInto != nullptr) FMergedInto->Unmerge(this);
  if (FMerged != nullptr) Unmerge(FMerged);
  if (FForm != nullptr) FForm->SetMenu(nullptr);
}

void TMainMenu::Merge(TMainMenu* menu) {
  if (menu == FMerged || menu == this) return;
  if (FMerged != nullptr) FMerged->FMergedInto = nullptr;
  FMerged = menu;
  if (menu != nullptr) {
    if (menu->FMergedInto != nullptr) menu->FMergedInto->Unmerge(menu);
    menu->FMergedInto = this;
  }
  Items()->RebuildHandle();
  MenuChanged(nullptr);
}

void TMainMenu::Unmerge(TMainMenu* menu) {
  if (menu == nullptr || menu != FMerged) return;
  FMerged = nullptr;
  menu->FMergedInto = nullptr;
  Items()->RebuildHandle();
  MenuChanged(nullptr);
}

std::vector<TMenuItem*> TMainMenu::RootEntries() const {
  std::vector<TMenuItem*> own = TMenu::RootEntries();
  if (FMerged == nullptr) return own;
  const std::vector<TMenuItem*> theirs = FMerged->TMenu::RootEntries();
  std::vector<TMenuItem*> result;
  for (TMenuItem* item : own) {
    const bool replaced =
        std::any_of(theirs.begin(), theirs.end(), [&](TMenuItem* t) { return t->GroupIndex() == item->GroupIndex(); });
    if (!replaced) result.push_back(item);
  }
  for (TMenuItem* item : theirs) {
    auto at =
        std::find_if(result.begin(), result.end(), [&](TMenuItem* r) { return r->GroupIndex() > item->GroupIndex(); });
    result.insert(at, item);
  }
  return result;
}

TMenuItem* TMainMenu::FindItem(std::uintptr_t value, TFindItemKind kind) const {
  if (TMenuItem* item = TMenu::FindItem(value, kind)) return item;
  return FMerged != nullptr ? FMerged->FindItem(value, kind) : nullptr;
}

void TMainMenu::HandleReplaced() {
  if (FForm != nullptr) FForm->MenuHandleChanged();
}

void TMainMenu::MenuChanged(TMenuItem* item) {
  if (FForm != nullptr) FForm->MenuChanged();
  if (FMergedInto != nullptr) {
    FMergedInto->Items()->RebuildHandle();
    FMergedInto->MenuChanged(item);
  }
}

// -------------------------------------------------------------- TPopupMenu

namespace {

std::vector<TPopupMenu*>& LivePopups() {
  static std::vector<TPopupMenu*> popups;
  return popups;
}

LRESULT CALLBACK MenuWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_COMMAND && lparam == 0) {
    for (TPopupMenu* popup : std::vector<TPopupMenu*>(LivePopups()))
      if (popup->DispatchCommand(LOWORD(wparam))) return 0;
  }
  LRESULT result = 0;
  if (HandleMenuMessage(hwnd, msg, wparam, lparam, result)) return result;
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

// The hidden window of popup menus; it lives while popup menus do.
class TMenuWindow {
 public:
  TMenuWindow() {
    RegisterWindowClass(L"PellamyMenuWindow", &MenuWindowProc);
    FHandle = CreateWindowExW(0, L"PellamyMenuWindow", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (FHandle == nullptr) throw Exception("Cannot create the menu window");
  }
  TMenuWindow(const TMenuWindow&) = delete;
  TMenuWindow& operator=(const TMenuWindow&) = delete;
  ~TMenuWindow() { DestroyWindow(FHandle); }
  HWND Handle() const { return FHandle; }

 private:
  HWND FHandle;
};

std::unique_ptr<TMenuWindow>& MenuWindow() {
  static std::unique_ptr<TMenuWindow> window;
  return window;
}

}  // namespace

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {
  LivePopups().push_back(this);
}

TPopupMenu::~TPopupMenu() {
  auto& popups = LivePopups();
  popups.erase(std::remove(popups.begin(), popups.end(), this), popups.end());
  if (popups.empty()) MenuWindow().reset();
}

HWND TPopupMenu::Window() {
  if (!MenuWindow()) MenuWindow() = std::make_unique<TMenuWindow>();
  return MenuWindow()->Handle();
}

void TPopupMenu::Popup(int x, int y) {
  FPopupPoint = {x, y};
  if (OnPopup) OnPopup(this);
  TMenuItem* root = Items();
  for (int i = 0; i < root->Count(); ++i) root->Items(i)->InitiateAction();
  // The events decide owner drawing; the entries follow them.
  HMENU menu = root->Handle();
  if (root->EntriesStale()) root->RebuildHandle();
  static constexpr UINT kAlign[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
  TrackPopupMenuEx(menu, kAlign[FAlignment] | TPM_RIGHTBUTTON, x, y, Window(), nullptr);
}

void TPopupMenu::DefineProperties(TPropertyTable& table) const {
  TMenu::DefineProperties(table);
  auto* self = const_cast<TPopupMenu*>(this);
  table["AutoPopup"] = BoolProp([self] { return self->FAutoPopup; }, [self](bool v) { self->FAutoPopup = v; });
  table["Alignment"] = EnumProp(
      {"paLeft", "paRight", "paCenter"}, [self] { return int(self->FAlignment); },
      [self](int v) { self->FAlignment = TPopupAlignment(v); });
}

// ---------------------------------------------------------- menu messages

bool HandleMenuMessage(HWND window, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (msg) {
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      if (mis == nullptr || mis->CtlType != ODT_MENU) return false;
      TMenuItem* item = TMenuItem::IsLiveItem(reinterpret_cast<void*>(mis->itemData))
                            ? reinterpret_cast<TMenuItem*>(mis->itemData)
                            : TMenuItem::FromCommand(static_cast<WORD>(mis->itemID));
      if (item == nullptr) return false;
      WindowDc dc(window);
      TCanvas canvas(dc.get());
      AssignMenuFont(canvas.Font());
      int width = static_cast<int>(mis->itemWidth), height = static_cast<int>(mis->itemHeight);
      item->MeasureItem(canvas, width, height);
      mis->itemWidth = static_cast<UINT>(std::max(0, width));
      mis->itemHeight = static_cast<UINT>(std::max(0, height));
      result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
      if (dis == nullptr || dis->CtlType != ODT_MENU) return false;
      if (!TMenuItem::IsLiveItem(reinterpret_cast<void*>(dis->itemData))) return false;
      auto* item = reinterpret_cast<TMenuItem*>(dis->itemData);
      TCanvas canvas(dis->hDC);
      AssignMenuFont(canvas.Font());
      item->AdvancedDrawItem(canvas, dis->rcItem, OwnerDrawStateOf(dis->itemState), IsTopLevel(item));
      result = TRUE;
      return true;
    }
    case WM_INITMENUPOPUP: {
      TMenuItem* item = TMenuItem::FromHandle(reinterpret_cast<HMENU>(wparam));
      if (item == nullptr) return false;
      TMenu* menu = item->GetParentMenu();
      if (menu != nullptr) {
        menu->DispatchPopup(reinterpret_cast<HMENU>(wparam));
      } else {
        for (int i = 0; i < item->Count(); ++i) item->Items(i)->InitiateAction();
      }
      result = 0;
      return true;
    }
    case WM_MENUSELECT: {
      const UINT flags = HIWORD(wparam);
      TMenuItem* item = nullptr;
      if (flags == 0xFFFF && lparam == 0) {
        // The menu closed.
      } else if (flags & MF_POPUP) {
        item = TMenuItem::FromHandle(GetSubMenu(reinterpret_cast<HMENU>(lparam), LOWORD(wparam)));
      } else {
        item = TMenuItem::FromCommand(LOWORD(wparam));
      }
      if (Application() != nullptr) Application()->SetHint(item != nullptr ? item->Hint() : std::string());
      return false;
    }
    case WM_MENUCHAR: {
      auto menu = reinterpret_cast<HMENU>(lparam);
      const auto key = static_cast<wchar_t>(std::towlower(LOWORD(wparam)));
      const int count = GetMenuItemCount(menu);
      for (int i = 0; i < count; ++i) {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_DATA | MIIM_STATE | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
        if (!TMenuItem::IsLiveItem(reinterpret_cast<void*>(mii.dwItemData))) continue;
        const auto* item = reinterpret_cast<TMenuItem*>(mii.dwItemData);
        if (item->Enabled() && HotkeyOf(item->Caption()) == key) {
          result = MAKELRESULT(i, mii.hSubMenu != nullptr ? MNC_SELECT : MNC_EXECUTE);
          return true;
        }
      }
      return false;
    }
    default:
      return false;
  }
}

}  // namespace pellamy
