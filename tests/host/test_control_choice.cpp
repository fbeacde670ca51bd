// Which skinned-control class a component gets: the built-in rows by kind and
// by class name, the Skin3rd map before them, each SkinControls bit off, the
// tag opt-out, the scroll-skin rule and the plain child windows.
#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>

#include "skin/layout/ControlChoice.h"

namespace pellamy {

// Readable failures: gtest finds these by argument-dependent lookup.
void PrintTo(TSkinClass c, std::ostream* os) {
  *os << "class " << static_cast<int>(c);
}
void PrintTo(const TControlChoice& c, std::ostream* os) {
  *os << "{class " << static_cast<int>(c.Class) << (c.ByHandle ? " byHandle" : "") << (c.Boxed ? " boxed" : "")
      << (c.ScrollAttach ? " scroll" : "") << (c.Recurse ? " recurse" : "") << (c.SetFlat ? " flat" : "")
      << (c.SetTransparent ? " transparent" : "") << (c.ToolBarPainter ? " painter" : "")
      << (c.SizeGripOff ? " gripOff" : "") << " children " << static_cast<int>(c.ChildrenClass)
      << (c.GridFixedColour ? " fixedColour" : "") << (c.Skip ? " skip" : "") << (c.FromSkin3rd ? " skin3rd" : "")
      << "}";
}

namespace {

using K = bool TControlFacts::*;
using C = TSkinClass;

TControlFacts Facts(const std::string& name, std::initializer_list<K> kinds = {}, bool windowed = true) {
  TControlFacts f;
  f.ClassName = name;
  f.IsWindowed = windowed;
  for (K k : kinds) f.*k = true;
  return f;
}

const TControlChoice kNothing{};
const TControlChoice kSkip{.Skip = true};
const TControlChoice kScrollBoxed{.Class = C::ScrollSkin, .Boxed = true, .ScrollAttach = true};
const TControlChoice kEditByHandle{.Class = C::Edit, .ByHandle = true};
const TControlChoice kBoxRecurse{.Class = C::Box, .Boxed = true, .Recurse = true};
const TControlChoice kGroupRecurse{.Class = C::GroupBox, .Boxed = true, .Recurse = true};

struct Case {
  TControlFacts Facts;
  TControlChoice Want;
};

class ControlChoice : public ::testing::Test {
 protected:
  ControlChoice() : skin(nullptr) { skin.Tabs = std::make_unique<TDataSkinBorder>(); }

  void ExpectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(ChooseSkinControl(c.Facts, skin), c.Want) << c.Facts.ClassName;
  }
  void Without(TSkinControlType member) { skin.SetSkinControls(kDefaultSkinControls & ~(1u << member)); }

  TSkinData skin;
};

TEST_F(ControlChoice, BuiltInRowsByKindTheEarlierRowWinningForDescendants) {
  using F = TControlFacts;
  ExpectAll({
      {Facts("TPageControl", {&F::IsPageControl}), {.Class = C::Tab, .ByHandle = true}},
      {Facts("TTabControl", {&F::IsTabControl}), {.Class = C::Tab, .ByHandle = true}},
      {Facts("TCheckBox", {&F::IsCheckBox}), {.Class = C::CheckBox}},
      {Facts("TRadioGroup", {&F::IsRadioGroup, &F::IsGroupBox}),
       {.Class = C::GroupBox, .Boxed = true, .ChildrenClass = C::RadioButton}},
      {Facts("TGroupBox", {&F::IsGroupBox}), kGroupRecurse},
      {Facts("TRadioButton", {&F::IsRadioButton}), {.Class = C::RadioButton}},
      {Facts("TToolBar", {&F::IsToolBar}),
       {.Class = C::Box, .Boxed = true, .SetFlat = true, .SetTransparent = true, .ToolBarPainter = true}},
      {Facts("TStatusBar", {&F::IsStatusBar}), {.Class = C::StatusBar, .SizeGripOff = true}},
      {Facts("TProgressBar", {&F::IsProgressBar}), {.Class = C::Progress}},
      {Facts("TScrollBar", {&F::IsScrollBar}), {.Class = C::ScControl}},
      {Facts("TComboBox", {&F::IsComboBox}), {.Class = C::ComBox}},
      {Facts("TBitBtn", {&F::IsBitButton, &F::IsPushButton}), {.Class = C::BitButton}},
      {Facts("TSpeedButton", {&F::IsSpeedButton}, false), {.Class = C::SpeedButton}},
      {Facts("TPanel", {&F::IsPanel}), kBoxRecurse},
      {Facts("TListView", {&F::IsListView}), {.Class = C::ListView, .ScrollAttach = true}},
      {Facts("TMemo", {&F::IsMemo, &F::IsEdit}), kScrollBoxed},
      {Facts("TStringGrid", {&F::IsGrid}),
       {.Class = C::ScrollSkin, .Boxed = true, .ScrollAttach = true, .GridFixedColour = true}},
      {Facts("TButton", {&F::IsPushButton}), {.Class = C::Button}},
      {Facts("TEdit", {&F::IsEdit}), kEditByHandle},
      {Facts("TFrame", {&F::IsFrame}), kBoxRecurse},
      {Facts("TTabSheet"), kBoxRecurse},
      {Facts("THeaderControl"), {.Class = C::Header}},
      {Facts("TForm", {&F::IsForm}), kBoxRecurse},
      {Facts("TLabel", {}, false), kNothing},
  });
}

TEST_F(ControlChoice, BuiltInRowsByClassNameInAnyCase) {
  using F = TControlFacts;
  TControlFacts upDownPicker = Facts("TDateTimePicker");
  upDownPicker.DateTimeUpDown = true;
  const TControlChoice scrollSkin{.Class = C::ScrollSkin, .ScrollAttach = true};
  ExpectAll({
      {Facts("TTrackBar"), {.Class = C::TrackBar}},
      {Facts("TUpDown"), {.Class = C::UpDown}},
      {Facts("TDBNavigator", {&F::IsPanel}), {.Class = C::Box, .Boxed = true, .SetFlat = true}},
      {upDownPicker, {.Class = C::Edit}},
      {Facts("TDateTimePicker"), {.Class = C::ComBox}},
      {Facts("TRichEdit", {&F::IsMemo, &F::IsEdit}), kScrollBoxed},
      {Facts("TwwDBRichEdit"), kScrollBoxed},
      {Facts("TdxDBMemo"), kScrollBoxed},
      {Facts("TdxTreeList"), scrollSkin},
      {Facts("TdxDBTreeList"), scrollSkin},
      {Facts("TdxDBGrid"), scrollSkin},
      {Facts("TTabSet"), {.Class = C::Tab31}},
      {Facts("TTabbedNotebook"), {.Class = C::Tab, .ByHandle = true}},
      {Facts("TMVCPanel", {&F::IsPanel}), {.Recurse = true}},
      {Facts("TDBComboBoxEh", {&F::IsComboBox}), kSkip},
      {Facts("TQRPreview", {&F::IsScrollBox}), kSkip},
      {Facts("TfrDesignerPage"), kSkip},
      {Facts("tfrpbox", {&F::IsPanel}), kSkip},
  });
}

TEST_F(ControlChoice, DefaultSkin3rdLinesHandleTheForeignClasses) {
  using F = TControlFacts;
  ExpectAll({
      {Facts("TLMDEdit", {&F::IsEdit}), {.Class = C::Edit, .ByHandle = true, .FromSkin3rd = true}},
      {Facts("TLMDListCombobox"), {.Class = C::ComBox, .FromSkin3rd = true}},
      {Facts("TRzRadioButton"), {.Class = C::RadioButton, .FromSkin3rd = true}},
      {Facts("TRzCheckBox"), {.Class = C::CheckBox, .FromSkin3rd = true}},
      {Facts("TTBDock", {&F::IsPanel}), {.Class = C::Box, .Boxed = true, .SetTransparent = true, .FromSkin3rd = true}},
      {Facts("TLMDTrackbar"), {.Class = C::TrackBar, .SetTransparent = true, .FromSkin3rd = true}},
      {Facts("TRzButton", {&F::IsPushButton}), {.Class = C::Button, .FromSkin3rd = true}},
      {Facts("TImageEnView"), {.Class = C::ScrollSkin, .Boxed = true, .ScrollAttach = true, .FromSkin3rd = true}},
      {Facts("TRzRadioGroup", {&F::IsRadioGroup, &F::IsGroupBox}),
       {.Class = C::GroupBox, .Boxed = true, .ChildrenClass = C::RadioButton, .FromSkin3rd = true}},
      {Facts("TLMDCheckGroup"),
       {.Class = C::GroupBox, .Boxed = true, .ChildrenClass = C::CheckBox, .FromSkin3rd = true}},
  });
  Without(xcRadioButton);
  EXPECT_EQ(ChooseSkinControl(Facts("TLMDCheckGroup"), skin),
            (TControlChoice{.Class = C::GroupBox, .Boxed = true, .FromSkin3rd = true}))
      << "a check group skins its children only with the radio-button bit";
}

TEST_F(ControlChoice, ASkin3rdLineWinsOverTheBuiltInRowsAttachedOrNot) {
  using F = TControlFacts;
  skin.SetSkin3rd({"TMyButton=Panel", "TMyButton=button", "TMyTabs=TAB", "TMyBar=progress", "TOdd=whatever",
                   "TTabControl=panel", "TTabSet=panel"});
  const TControlChoice panel{.Class = C::Box, .Boxed = true, .SetTransparent = true, .FromSkin3rd = true};
  ExpectAll({
      {Facts("TMyButton", {&F::IsPushButton}), panel},
      {Facts("TMyTabs"), {.Class = C::Tab, .ByHandle = true, .FromSkin3rd = true}},
      {Facts("TMyBar"), {.Class = C::Progress, .FromSkin3rd = true}},
      {Facts("TOdd", {&F::IsPushButton}), {.FromSkin3rd = true}},
      {Facts("TTabControl", {&F::IsTabControl}), {.Class = C::Tab, .ByHandle = true}},
      {Facts("TTabSet"), panel},
  });
  Without(xcPanel);
  EXPECT_EQ(ChooseSkinControl(Facts("TMyButton", {&F::IsPushButton}), skin), TControlChoice{.FromSkin3rd = true});
  skin.Tabs.reset();
  EXPECT_EQ(ChooseSkinControl(Facts("TMyTabs"), skin), TControlChoice{.FromSkin3rd = true});
}

TEST(ControlChoiceSkin3rdKind, FirstLineWhoseTextBeginsWithTheNameAndAnEqualsSign) {
  const std::vector<std::string> lines{"TButtonX=Panel", "TA=B=C", "tdup=Edit", "TDUP=panel",
                                       "TLong=" + std::string(60, 'X')};
  EXPECT_EQ(Skin3rdKind(lines, "ta"), "b=c");
  EXPECT_EQ(Skin3rdKind(lines, "TDup"), "edit");
  EXPECT_EQ(Skin3rdKind(lines, "TButton"), "") << "a longer class name is another class";
  EXPECT_EQ(Skin3rdKind(lines, "TLong"), std::string(50, 'x'));
  EXPECT_EQ(Skin3rdKind(lines, "TNone"), "");
  EXPECT_EQ(Skin3rdKind({}, "TA"), "");
}

TEST_F(ControlChoice, EachSkinControlsBitOffLeavesItsKindToTheLaterRows) {
  using F = TControlFacts;
  const auto expectWithout = [this](TSkinControlType member, const std::vector<Case>& cases) {
    Without(member);
    SCOPED_TRACE(testing::Message() << "without bit " << member);
    ExpectAll(cases);
  };
  expectWithout(xcTab, {{Facts("TPageControl", {&F::IsPageControl}), kNothing},
                        {Facts("TTabControl", {&F::IsTabControl}), kNothing},
                        {Facts("TTabSet"), kNothing},
                        {Facts("TTabbedNotebook"), kNothing}});
  expectWithout(xcCheckBox, {{Facts("TCheckBox", {&F::IsCheckBox}), kNothing}});
  expectWithout(
      xcButton,
      {{Facts("TTrackBar"), kNothing}, {Facts("TUpDown"), kNothing}, {Facts("TButton", {&F::IsPushButton}), kNothing}});
  expectWithout(xcRadioButton, {{Facts("TRadioGroup", {&F::IsRadioGroup, &F::IsGroupBox}), kGroupRecurse},
                                {Facts("TRadioButton", {&F::IsRadioButton}), kNothing}});
  expectWithout(xcPanel, {{Facts("TGroupBox", {&F::IsGroupBox}), kNothing},
                          {Facts("TPanel", {&F::IsPanel}), kNothing},
                          {Facts("TDBNavigator", {&F::IsPanel}), kNothing},
                          {Facts("TForm", {&F::IsForm}), kBoxRecurse},
                          {Facts("TFrame", {&F::IsFrame}), {.Recurse = true}}});
  expectWithout(xcToolbar, {{Facts("TToolBar", {&F::IsToolBar}), kNothing}});
  expectWithout(xcStatusBar, {{Facts("TStatusBar", {&F::IsStatusBar}), kNothing}});
  expectWithout(xcProgress, {{Facts("TProgressBar", {&F::IsProgressBar}), kNothing}});
  expectWithout(xcScrollbar, {{Facts("TScrollBar", {&F::IsScrollBar}), kNothing},
                              {Facts("TMemo", {&F::IsMemo, &F::IsEdit}), kEditByHandle},
                              {Facts("TRichEdit", {&F::IsMemo, &F::IsEdit}), kEditByHandle},
                              {Facts("TStringGrid", {&F::IsGrid}), kNothing},
                              {Facts("TListView", {&F::IsListView}), kNothing},
                              {Facts("TListBox", {&F::IsListBox, &F::IsCustomListBox}), kNothing},
                              {Facts("TdxDBGrid"), kNothing}});
  expectWithout(xcCombo, {{Facts("TComboBox", {&F::IsComboBox}), kNothing}});
  expectWithout(xcEdit, {{Facts("TEdit", {&F::IsEdit}), kNothing}, {Facts("TDateTimePicker"), kNothing}});
  expectWithout(xcBitBtn, {{Facts("TBitBtn", {&F::IsBitButton, &F::IsPushButton}), kNothing}});
  expectWithout(xcSpeedButton, {{Facts("TSpeedButton", {&F::IsSpeedButton}, false), kNothing}});
  for (TSkinControlType unread : {xcGroupBox, xcControlbar, xcFastReport})
    expectWithout(unread, {{Facts("TGroupBox", {&F::IsGroupBox}), kGroupRecurse}});

  skin.SetSkinControls(kDefaultSkinControls);
  skin.Tabs.reset();
  ExpectAll({{Facts("TPageControl", {&F::IsPageControl}), kNothing}, {Facts("TTabSet"), kNothing}});
}

TEST_F(ControlChoice, TagOptOutKeepsTheSignOfTheTag) {
  EXPECT_TRUE(DisabledByTag(99, 99));
  EXPECT_TRUE(DisabledByTag(199, 99));
  EXPECT_FALSE(DisabledByTag(-99, 99));
  EXPECT_FALSE(DisabledByTag(98, 99));
  EXPECT_TRUE(DisabledByTag(-199, -99));
  EXPECT_TRUE(DisabledByTag(0, 0));

  const auto tagged = [](const std::string& name, std::intptr_t tag) {
    TControlFacts f = Facts(name, {&TControlFacts::IsPushButton});
    f.Tag = tag;
    return f;
  };
  const TControlChoice button{.Class = C::Button};
  ExpectAll({{tagged("TButton", 99), kSkip},
             {tagged("TButton", 199), kSkip},
             {tagged("TButton", -99), button},
             {tagged("TLMDEdit", 299), kSkip}});  // before the Skin3rd map too
  skin.SetDisableTag(5);
  ExpectAll({{tagged("TButton", 105), kSkip}, {tagged("TButton", 99), button}});
}

TEST_F(ControlChoice, ScrollSkinForScrollBarStylesListsTreesScrollBoxesAndTag55) {
  using F = TControlFacts;
  const auto styled = [](std::uint32_t style, bool windowed) {
    TControlFacts f = Facts("TCustomThing", {}, windowed);
    f.Style = style;
    return f;
  };
  const auto tagged = [](std::intptr_t tag, std::initializer_list<K> kinds = {}) {
    TControlFacts f = Facts("TCustomThing", kinds);
    f.Tag = tag;
    return f;
  };
  ExpectAll({
      {styled(0x200000, true), kScrollBoxed},
      {styled(0x100000, true), kScrollBoxed},
      {styled(0x200000, false), kNothing},
      {styled(0x400000, true), kNothing},
      {Facts("TListBox", {&F::IsListBox, &F::IsCustomListBox}), kScrollBoxed},
      {Facts("TCheckListBox", {&F::IsCustomListBox}), kScrollBoxed},
      {Facts("TTreeView", {&F::IsTreeView}), kScrollBoxed},
      {Facts("TScrollBox", {&F::IsScrollBox}), kScrollBoxed},
      {tagged(55), kScrollBoxed},
      {tagged(155), kNothing},
      {tagged(55, {&F::IsPushButton}), kScrollBoxed},
  });
  Without(xcBitBtn);
  EXPECT_EQ(ChooseSkinControl(tagged(55, {&F::IsBitButton, &F::IsPushButton}), skin), kNothing)
      << "the later rows are not for bit buttons";
  Without(xcScrollbar);
  EXPECT_EQ(ChooseSkinControl(tagged(55), skin), kNothing);
}

TEST(ControlChoicePlainChild, WindowClassAndStyleBits) {
  const auto choose = [](const std::string& cls, std::uint32_t style, bool hasChild = false) {
    bool onChild = true;  // must be cleared where the class goes on the window itself
    const TSkinClass c = ChoosePlainChild(cls, style, hasChild, onChild);
    EXPECT_FALSE(onChild) << cls;
    return c;
  };
  // Button styles 0 to 15 through the masks in their order.
  const TSkinClass buttons[16] = {C::Button,      C::Button,   C::CheckBox, C::CheckBox,    C::RadioButton, C::CheckBox,
                                  C::CheckBox,    C::None,     C::Button,   C::RadioButton, C::CheckBox,    C::CheckBox,
                                  C::RadioButton, C::CheckBox, C::CheckBox, C::None};
  for (std::uint32_t s = 0; s < 16; ++s) EXPECT_EQ(choose("button", s), buttons[s]) << "button style " << s;
  EXPECT_EQ(choose("BUTTON", 0x50010009u), C::RadioButton) << "window style bits above do not count";

  EXPECT_EQ(choose("ComboBox", 1), C::None) << "simple combo";
  EXPECT_EQ(choose("combobox", 0x41), C::None);
  EXPECT_EQ(choose("combobox", 2), C::ComBox);
  EXPECT_EQ(choose("combobox", 3), C::ComBox);
  EXPECT_EQ(choose("ScrollBar", 0), C::Sizer);
  EXPECT_EQ(choose("SysTabControl32", 0x40000000u), C::Tab);
  EXPECT_EQ(choose("SysTabControl32", 0x2000), C::None) << "owner-drawn tabs";
  EXPECT_EQ(choose("Edit", 0), C::Edit);
  EXPECT_EQ(choose("Static", 0), C::None);
  EXPECT_EQ(choose("ComboBoxEx32", 0), C::None) << "no child window yet";

  bool onChild = false;
  EXPECT_EQ(ChoosePlainChild("ComboBoxEx32", 0, true, onChild), C::ComBox);
  EXPECT_TRUE(onChild);
}

}  // namespace
}  // namespace pellamy
