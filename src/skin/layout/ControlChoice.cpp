#include "skin/layout/ControlChoice.h"

#include <algorithm>
#include <cctype>

namespace pellamy {

namespace {

constexpr std::uint32_t kVertScrollStyle = 0x200000;
constexpr std::uint32_t kHorzScrollStyle = 0x100000;
constexpr std::intptr_t kScrollSkinTag = 55;
constexpr std::size_t kMaxKindLength = 50;
constexpr std::uint32_t kTabOwnerDrawFixed = 0x2000;

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

TControlChoice Attach(TSkinClass cls) {
  TControlChoice c;
  c.Class = cls;
  return c;
}

TControlChoice ByHandle(TSkinClass cls) {
  TControlChoice c = Attach(cls);
  c.ByHandle = true;
  return c;
}

TControlChoice Boxed(TSkinClass cls, bool recurse = false) {
  TControlChoice c = Attach(cls);
  c.Boxed = true;
  c.Recurse = recurse;
  return c;
}

TControlChoice ScrollSkin(bool boxed, TSkinClass cls = TSkinClass::ScrollSkin) {
  TControlChoice c = Attach(cls);
  c.ScrollAttach = true;
  c.Boxed = boxed;
  return c;
}

TControlChoice Group(TSkinClass children) {
  TControlChoice c = Boxed(TSkinClass::GroupBox);
  c.ChildrenClass = children;
  return c;
}

bool NeedsScrollSkin(const TControlFacts& f) {
  return (f.IsWindowed && (f.Style & (kVertScrollStyle | kHorzScrollStyle)) != 0) || f.IsListBox || f.IsMemo ||
         f.IsCustomListBox || f.IsTreeView || f.IsScrollBox || f.Tag == kScrollSkinTag;
}

// A matching line handles the component even when its kind is unknown or
// its bit is off: the built-in rows are not tried after it.
TControlChoice FromSkin3rdKind(const std::string& kind, const TSkinData& skin) {
  const TSkinControlTypes set = skin.SkinControls();
  TControlChoice c;
  if (kind == "combobox") {
    if (InSet(set, xcCombo)) c = Attach(TSkinClass::ComBox);
  } else if (kind == "edit") {
    if (InSet(set, xcEdit)) c = ByHandle(TSkinClass::Edit);
  } else if (kind == "radiobutton") {
    if (InSet(set, xcRadioButton)) c = Attach(TSkinClass::RadioButton);
  } else if (kind == "panel") {
    if (InSet(set, xcPanel)) {
      c = Boxed(TSkinClass::Box);
      c.SetTransparent = true;
    }
  } else if (kind == "trackbar") {
    if (InSet(set, xcButton)) {
      c = Attach(TSkinClass::TrackBar);
      c.SetTransparent = true;
    }
  } else if (kind == "button") {
    if (InSet(set, xcButton)) c = Attach(TSkinClass::Button);
  } else if (kind == "tab") {
    if (InSet(set, xcTab) && skin.Tabs) c = ByHandle(TSkinClass::Tab);
  } else if (kind == "progress") {
    if (InSet(set, xcProgress)) c = Attach(TSkinClass::Progress);
  } else if (kind == "scrollbar") {
    if (InSet(set, xcScrollbar)) c = ScrollSkin(true);
  } else if (kind == "radiogroup" || kind == "checkgroup") {
    // Both kinds skin their children only with the radio-button bit.
    if (InSet(set, xcPanel)) {
      const TSkinClass children = kind == "radiogroup" ? TSkinClass::RadioButton : TSkinClass::CheckBox;
      c = Group(InSet(set, xcRadioButton) ? children : TSkinClass::None);
    }
  } else if (kind == "checkbox") {
    if (InSet(set, xcCheckBox)) c = Attach(TSkinClass::CheckBox);
  }
  c.FromSkin3rd = true;
  return c;
}

// The built-in rows, first match wins; a row whose bit is off does not
// match, so the component falls on to the later rows.
TControlChoice FromBuiltInRows(const TControlFacts& f, const std::string& name, const TSkinData& skin) {
  const TSkinControlTypes set = skin.SkinControls();
  const bool tabs = InSet(set, xcTab) && skin.Tabs;
  const bool scroll = InSet(set, xcScrollbar);

  if (f.IsPageControl && tabs) return ByHandle(TSkinClass::Tab);
  if (f.IsCheckBox && InSet(set, xcCheckBox)) return Attach(TSkinClass::CheckBox);
  if (name == "TTRACKBAR" && InSet(set, xcButton)) return Attach(TSkinClass::TrackBar);
  if (name == "TUPDOWN" && InSet(set, xcButton)) return Attach(TSkinClass::UpDown);
  if (f.IsRadioGroup && InSet(set, xcRadioButton)) return Group(TSkinClass::RadioButton);
  if (name == "TDBNAVIGATOR" && InSet(set, xcPanel)) {
    TControlChoice c = Boxed(TSkinClass::Box);
    c.SetFlat = true;
    return c;
  }
  if (f.IsGroupBox && InSet(set, xcPanel)) return Boxed(TSkinClass::GroupBox, true);
  if (f.IsRadioButton && InSet(set, xcRadioButton)) return Attach(TSkinClass::RadioButton);
  if (f.IsToolBar && InSet(set, xcToolbar)) {
    TControlChoice c = Boxed(TSkinClass::Box);
    c.SetFlat = true;
    c.SetTransparent = true;
    c.ToolBarPainter = true;
    return c;
  }
  if (f.IsStatusBar && InSet(set, xcStatusBar)) {
    TControlChoice c = Attach(TSkinClass::StatusBar);
    c.SizeGripOff = true;
    return c;
  }
  if (f.IsProgressBar && InSet(set, xcProgress)) return Attach(TSkinClass::Progress);
  if (f.IsScrollBar && scroll) return Attach(TSkinClass::ScControl);
  if (f.IsComboBox && InSet(set, xcCombo)) return Attach(TSkinClass::ComBox);
  if (name == "TDATETIMEPICKER" && InSet(set, xcEdit))
    return Attach(f.DateTimeUpDown ? TSkinClass::Edit : TSkinClass::ComBox);
  if ((name == "TRICHEDIT" || name == "TWWDBRICHEDIT" || name == "TDXDBMEMO") && scroll) return ScrollSkin(true);
  if (f.IsBitButton) {
    // A bit button is a push button too; without its own bit it gets nothing.
    return InSet(set, xcBitBtn) ? Attach(TSkinClass::BitButton) : TControlChoice{};
  }
  if (f.IsSpeedButton && InSet(set, xcSpeedButton)) return Attach(TSkinClass::SpeedButton);
  if (f.IsPanel && InSet(set, xcPanel)) return Boxed(TSkinClass::Box, true);
  if ((name == "TDXTREELIST" || name == "TDXDBTREELIST" || name == "TDXDBGRID") && scroll) return ScrollSkin(false);
  if (f.IsListView && scroll) return ScrollSkin(false, TSkinClass::ListView);
  if (f.IsMemo && scroll) return ScrollSkin(true);
  if (f.IsGrid && scroll) {
    TControlChoice c = ScrollSkin(true);
    c.GridFixedColour = true;
    return c;
  }
  if (NeedsScrollSkin(f) && scroll) return ScrollSkin(true);
  if (f.IsPushButton && InSet(set, xcButton)) return Attach(TSkinClass::Button);
  if (f.IsEdit && InSet(set, xcEdit)) return ByHandle(TSkinClass::Edit);
  if (name == "THEADERCONTROL" && scroll) return Attach(TSkinClass::Header);
  // Containers painted in the control's colour: the system's face would
  // show as grey patches, and skinned check boxes on them as stripes.
  if ((f.IsFrame || name == "TTABSHEET") && InSet(set, xcPanel)) return Boxed(TSkinClass::Box, true);
  if (f.IsFrame) {
    TControlChoice c;
    c.Recurse = true;
    return c;
  }
  if (f.IsForm) return Boxed(TSkinClass::Box, true);
  return {};
}

}  // namespace

bool DisabledByTag(std::intptr_t tag, std::int32_t disableTag) {
  return tag % 100 == disableTag;
}

std::string Skin3rdKind(const std::vector<std::string>& lines, const std::string& className) {
  const std::string key = Lower(className) + "=";
  for (const std::string& line : lines) {
    const std::string text = Lower(line);
    if (text.compare(0, key.size(), key) != 0) continue;
    return text.substr(text.find('=') + 1, kMaxKindLength);
  }
  return "";
}

TControlChoice ChooseSkinControl(const TControlFacts& facts, const TSkinData& skin) {
  TControlChoice skip;
  skip.Skip = true;
  if (DisabledByTag(facts.Tag, skin.DisableTag())) return skip;

  const std::string name = Upper(facts.ClassName);
  if (name == "TDBCOMBOBOXEH" || name == "TQRPREVIEW" || name == "TFRDESIGNERPAGE" || name == "TFRPBOX") return skip;

  const TSkinControlTypes set = skin.SkinControls();
  const bool tabs = InSet(set, xcTab) && skin.Tabs;
  if (facts.IsTabControl && tabs) return ByHandle(TSkinClass::Tab);

  const std::string kind = Skin3rdKind(skin.Skin3rd(), facts.ClassName);
  if (!kind.empty()) return FromSkin3rdKind(kind, skin);

  if (name == "TTABSET" && tabs) return Attach(TSkinClass::Tab31);
  if (name == "TTABBEDNOTEBOOK" && tabs) return ByHandle(TSkinClass::Tab);
  if (name == "TMVCPANEL") {
    TControlChoice c;
    c.Recurse = true;
    return c;
  }
  return FromBuiltInRows(facts, name, skin);
}

TSkinClass ChoosePlainChild(const std::string& windowClass, std::uint32_t style, bool hasChildWindow, bool& onChild) {
  onChild = false;
  const std::string cls = Lower(windowClass);
  const auto has = [style](std::uint32_t mask) { return (style & mask) == mask; };
  if (cls == "button") {
    if (has(7)) return TSkinClass::None;  // group box
    if (has(3) || has(2) || has(5)) return TSkinClass::CheckBox;
    if (has(9) || has(4)) return TSkinClass::RadioButton;
    return TSkinClass::Button;
  }
  if (cls == "combobox") return (style & 3) == 1 ? TSkinClass::None : TSkinClass::ComBox;
  if (cls == "comboboxex32") {
    if (!hasChildWindow) return TSkinClass::None;
    onChild = true;
    return TSkinClass::ComBox;
  }
  if (cls == "scrollbar") return TSkinClass::Sizer;
  if (cls == "systabcontrol32") return (style & kTabOwnerDrawFixed) == 0 ? TSkinClass::Tab : TSkinClass::None;
  if (cls == "edit") return TSkinClass::Edit;
  return TSkinClass::None;
}

}  // namespace pellamy
