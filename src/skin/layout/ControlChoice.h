// Which skinned-control class a form's frame attaches to a component, portable:
//   TSkinClass         the skinned-control classes that can be chosen
//   TControlFacts      what the skin reads of one component (name, kinds, style, tag)
//   TControlChoice     the class chosen and what goes with attaching it
//   ChooseSkinControl  the choice for one component of a form
//   DisabledByTag, Skin3rdKind, ChoosePlainChild
// The window side fills the facts from the class library's controls and
// carries the choice out; the handle creation and the application's own
// veto come before it and are not decided here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "skin/model/WinSkinData.h"

namespace pellamy {

enum class TSkinClass {
  None,
  Tab,
  Tab31,
  CheckBox,
  RadioButton,
  TrackBar,
  UpDown,
  GroupBox,
  Box,
  StatusBar,
  Progress,
  ScControl,
  ComBox,
  Edit,
  ScrollSkin,
  ListView,
  BitButton,
  SpeedButton,
  Button,
  Sizer,
  Header,  // a header control on its own
};

// Each kind test is true for the class and its descendants, as a
// dynamic_cast would answer.
struct TControlFacts {
  std::string ClassName;  // as ClassName() returns it, e.g. "TButton"
  bool IsWindowed = false;
  bool IsPageControl = false;
  bool IsTabControl = false;  // the class library's tab control kind
  bool IsCheckBox = false;    // custom check box kind
  bool IsRadioGroup = false;
  bool IsGroupBox = false;
  bool IsRadioButton = false;
  bool IsToolBar = false;
  bool IsStatusBar = false;
  bool IsProgressBar = false;
  bool IsScrollBar = false;
  bool IsComboBox = false;
  bool IsBitButton = false;
  bool IsSpeedButton = false;
  bool IsPanel = false;
  bool IsListView = false;
  bool IsMemo = false;
  bool IsGrid = false;
  bool IsPushButton = false;
  bool IsEdit = false;
  bool IsFrame = false;
  bool IsForm = false;
  bool IsListBox = false;
  bool IsCustomListBox = false;
  bool IsTreeView = false;
  bool IsScrollBox = false;
  bool DateTimeUpDown = false;  // a date-time picker in up-down date mode
  std::uint32_t Style = 0;      // window style; the scroll-bar bits are read
  std::intptr_t Tag = 0;
};

struct TControlChoice {
  TSkinClass Class = TSkinClass::None;
  bool ByHandle = false;      // the window attach operation instead of the control one
  bool Boxed = false;         // recolour; for scroll skin, its own thumb dragging
  bool ScrollAttach = false;  // the scroll attach operation
  bool Recurse = false;       // skin the component's own children afterwards
  bool SetFlat = false;       // set its "Flat" property to "True"
  bool SetTransparent = false;
  bool ToolBarPainter = false;  // the frame's tool-bar button painter as custom-draw handler
  bool SizeGripOff = false;
  TSkinClass ChildrenClass = TSkinClass::None;  // attach this to each child control first (radio/check groups)
  bool GridFixedColour = false;                 // the grid's fixed colour := ButtonFace
  bool Skip = false;                            // opted out by tag or by class name
  bool FromSkin3rd = false;                     // a Skin3rd line handled it, attached or not

  bool operator==(const TControlChoice&) const = default;
};

// Whether the component is already skinned is the caller's to know; this
// answers the rest of the choice.
TControlChoice ChooseSkinControl(const TControlFacts& facts, const TSkinData& skin);

// Tag mod 100 equals disableTag, the remainder keeping the tag's sign.
bool DisabledByTag(std::intptr_t tag, std::int32_t disableTag);

// The lower-case kind the first matching "ClassName=kind" line gives (at
// most 50 characters); "" when no line matches.
std::string Skin3rdKind(const std::vector<std::string>& lines, const std::string& className);

// The class for a plain (non class-library) child window, by its window
// class and style; onChild tells that it goes on the window's child window.
TSkinClass ChoosePlainChild(const std::string& windowClass, std::uint32_t style, bool hasChildWindow, bool& onChild);

}  // namespace pellamy
