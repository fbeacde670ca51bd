// The skinned controls of the frame's window: a form's components chosen by
// the choice rules and made from the table of kinds, or a plain window's
// child windows by their class.
#include <algorithm>

#include "gui/controls/Buttons.h"
#include "gui/controls/ComCtrls.h"
#include "gui/controls/ExtCtrls.h"
#include "gui/controls/Grids.h"
#include "gui/controls/ToolBar.h"
#include "skin/controls/SkinButtons.h"
#include "skin/controls/SkinControlKinds.h"
#include "skin/controls/SkinScroll.h"
#include "skin/controls/SkinToolBar.h"
#include "skin/draw/SkinDraw.h"
#include "skin/frame/FrameBits.h"
#include "skin/frame/WinSkinForm.h"
#include "skin/model/SkinManager.h"

namespace pellamy {

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return text;
}

}  // namespace

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
  const TControlChoice choice = ChooseSkinControl(ControlFactsOf(component), *SkinData);
  if (choice.Skip) return;
  if (choice.SetFlat) SetEnumPropertyByName(component, "Flat", "True");
  if (choice.SetTransparent) SetEnumPropertyByName(component, "Transparent", "True");
  if (auto* bar = choice.ToolBarPainter ? dynamic_cast<TToolBar*>(component) : nullptr)
    InstallToolBarPainter(*bar, [this] { return Phase == TFramePhase::Active ? SkinData : nullptr; });
  if (choice.SizeGripOff)
    if (auto* bar = dynamic_cast<TStatusBar*>(component)) bar->SetSizeGrip(false);
  if (choice.GridFixedColour)
    if (auto* grid = dynamic_cast<TCustomGrid*>(component)) grid->SetFixedColor(SkinData->Colours.ButtonFace);
  if (choice.ChildrenClass != TSkinClass::None && wc != nullptr) {
    for (int i = 0; i < wc->ControlCount(); ++i) {
      auto* child = dynamic_cast<TWinControl*>(wc->Controls(i));
      if (child == nullptr || IsSkinned(child)) continue;
      if (TSkinControl* object = MakeSkinControl(choice.ChildrenClass, this))
        object->InitControl(this, SkinData, false, child);
    }
  }
  if (choice.Class == TSkinClass::SpeedButton && wc == nullptr) {
    if (auto* speed = dynamic_cast<TSpeedButton*>(component))
      (new TSkinSpeedButton(this))->InitSpeedButton(this, SkinData, speed);
    return;
  }
  if (choice.Class != TSkinClass::None && wc != nullptr) {
    if (TSkinControl* object = MakeSkinControl(choice.Class, this)) {
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
    if (TSkinControl* object = MakeSkinControl(kind, this)) object->InitWindow(target, SkinData, this);
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

}  // namespace pellamy
