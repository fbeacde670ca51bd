#include "skin/controls/SkinControlKinds.h"

#include "gui/controls/Buttons.h"
#include "gui/controls/ComCtrls.h"
#include "gui/controls/ExtCtrls.h"
#include "gui/controls/Frames.h"
#include "gui/controls/Grids.h"
#include "gui/controls/StdCtrls.h"
#include "gui/controls/ToolBar.h"
#include "gui/forms/Forms.h"
#include "skin/controls/SkinBars.h"
#include "skin/controls/SkinButtons.h"
#include "skin/controls/SkinComBox.h"
#include "skin/controls/SkinScroll.h"
#include "skin/controls/SkinTabs.h"
#include "skin/controls/SkinToolBar.h"
#include "skin/controls/SkinUpDown.h"

namespace pellamy {

namespace {

template <class T>
bool Is(TComponent* c) {
  return dynamic_cast<T*>(c) != nullptr;
}

// Each fact is true for the class and its descendants.
constexpr struct {
  bool TControlFacts::*Fact;
  bool (*Test)(TComponent*);
} kKinds[] = {
    {&TControlFacts::IsWindowed, &Is<TWinControl>},
    {&TControlFacts::IsPageControl, &Is<TPageControl>},
    {&TControlFacts::IsTabControl, &Is<TCustomTabControl>},
    {&TControlFacts::IsCheckBox, &Is<TCustomCheckBox>},
    {&TControlFacts::IsRadioGroup, &Is<TCustomRadioGroup>},
    {&TControlFacts::IsGroupBox, &Is<TCustomGroupBox>},
    {&TControlFacts::IsRadioButton, &Is<TRadioButton>},
    {&TControlFacts::IsToolBar, &Is<TToolBar>},
    {&TControlFacts::IsStatusBar, &Is<TStatusBar>},
    {&TControlFacts::IsProgressBar, &Is<TProgressBar>},
    {&TControlFacts::IsScrollBar, &Is<TScrollBar>},
    {&TControlFacts::IsComboBox, &Is<TCustomComboBox>},
    {&TControlFacts::IsBitButton, &Is<TBitBtn>},
    {&TControlFacts::IsSpeedButton, &Is<TSpeedButton>},
    {&TControlFacts::IsPanel, &Is<TCustomPanel>},
    {&TControlFacts::IsListView, &Is<TCustomListView>},
    {&TControlFacts::IsMemo, &Is<TCustomMemo>},
    {&TControlFacts::IsGrid, &Is<TCustomGrid>},
    {&TControlFacts::IsPushButton, &Is<TButton>},
    {&TControlFacts::IsEdit, &Is<TCustomEdit>},
    {&TControlFacts::IsFrame, &Is<TCustomFrame>},
    {&TControlFacts::IsForm, &Is<TForm>},
    {&TControlFacts::IsListBox, &Is<TListBox>},
    {&TControlFacts::IsCustomListBox, &Is<TCustomListBox>},
    {&TControlFacts::IsTreeView, &Is<TCustomTreeView>},
    {&TControlFacts::IsScrollBox, &Is<TScrollBox>},
};

template <class T>
TSkinControl* Make(TComponent* owner) {
  return new T(owner);
}

constexpr struct {
  TSkinClass Class;
  TSkinControl* (*Make)(TComponent*);
} kMakers[] = {
    {TSkinClass::Button, &Make<TSkinButton>},
    {TSkinClass::BitButton, &Make<TSkinBitButton>},
    {TSkinClass::SpeedButton, &Make<TSkinSpeedButton>},
    {TSkinClass::StatusBar, &Make<TSkinStatusBar>},
    {TSkinClass::Progress, &Make<TSkinProgress>},
    {TSkinClass::TrackBar, &Make<TSkinTrackBar>},
    {TSkinClass::UpDown, &Make<TSkinUpDown>},
    {TSkinClass::Tab, &Make<TSkinTab>},
    {TSkinClass::Tab31, &Make<TSkinTab31>},
    {TSkinClass::CheckBox, &Make<TSkinCheckBox>},
    {TSkinClass::RadioButton, &Make<TSkinRadioButton>},
    {TSkinClass::GroupBox, &Make<TSkinGroupBox>},
    {TSkinClass::Box, &Make<TSkinBox>},
    {TSkinClass::Edit, &Make<TSkinEdit>},
    {TSkinClass::ScrollSkin, &Make<TSkinScrollbar>},
    {TSkinClass::ListView, &Make<TSkinListView>},
    {TSkinClass::ScControl, &Make<TSkinScControl>},
    {TSkinClass::Sizer, &Make<TSkinSizer>},
    {TSkinClass::ComBox, &Make<TSkinComBox>},
    {TSkinClass::Header, &Make<TSkinHeader>},
};

}  // namespace

TControlFacts ControlFactsOf(TComponent* c) {
  TControlFacts f;
  f.ClassName = c->ClassName();
  f.Tag = c->Tag();
  for (const auto& kind : kKinds) f.*kind.Fact = kind.Test(c);
  auto* wc = dynamic_cast<TWinControl*>(c);
  if (wc != nullptr && wc->HandleAllocated())
    f.Style = static_cast<std::uint32_t>(GetWindowLongPtrW(wc->Handle(), GWL_STYLE));
  if (auto* picker = dynamic_cast<TDateTimePicker*>(c)) f.DateTimeUpDown = picker->DateMode() == dmUpDown;
  return f;
}

TSkinControl* MakeSkinControl(TSkinClass kind, TComponent* owner) {
  for (const auto& maker : kMakers)
    if (maker.Class == kind) return maker.Make(owner);
  return nullptr;
}

}  // namespace pellamy
