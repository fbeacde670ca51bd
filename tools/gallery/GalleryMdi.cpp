#include "GalleryMdi.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

#include "GalleryMenu.h"

namespace pellamy::gallery {

TGalleryChild::TGalleryChild(TComponent* owner, int number) : TForm(owner) {
  SetName("Child" + std::to_string(number));
  SetCaption("Track list " + std::to_string(number));
  SetBounds(10 + 30 * (number - 1), 10 + 30 * (number - 1), 280, 180);
  Memo1 = new TMemo(this);
  Memo1->SetName("Memo1");
  Memo1->SetScrollBars(ssVertical);
  Memo1->SetLines({"Track 1", "Track 2", "Track 3"});
  Memo1->SetAlign(alClient);
  Memo1->SetParent(this);

  // Merged into the frame's bar between File and Window while active.
  ChildMenu = new TMainMenu(this);
  ChildMenu->SetName("ChildMenu");
  mnuText = AddMenuItem(this, ChildMenu->Items(), "mnuText", "&Text");
  mnuText->SetGroupIndex(5);
  mnuUpper = AddMenuItem(this, mnuText, "mnuUpper", "&Upper case", ShortCut('U', scCtrl));
  mnuUpper->OnClick = [this](TComponent*) {
    std::string text = Memo1->Text();
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    Memo1->SetText(text);
  };
  mnuClear = AddMenuItem(this, mnuText, "mnuClear", "&Clear");
  mnuClear->OnClick = [this](TComponent*) { Memo1->Clear(); };
  SetMenu(ChildMenu);
  OnClose = [](TComponent*, TCloseAction& action) { action = caFree; };
}

TGalleryMdiForm::TGalleryMdiForm(TComponent* owner) : TForm(owner) {
  SetName("GalleryMdiForm");
  SetCaption(kCaption);
  SetFormStyle(fsMDIForm);
  SetBounds(808, 30, 460, 480);

  MainMenu1 = new TMainMenu(this);
  MainMenu1->SetName("MainMenu1");
  mnuFile = AddMenuItem(this, MainMenu1->Items(), "mnuFile", "&File");
  mnuNew = AddMenuItem(this, mnuFile, "mnuNew", "&New track list", ShortCut('N', scCtrl));
  mnuNew->OnClick = [this](TComponent*) { NewChild(); };
  mnuCloseChild = AddMenuItem(this, mnuFile, "mnuCloseChild", "&Close track list");
  mnuCloseChild->OnClick = [this](TComponent*) {
    if (TForm* child = ActiveMDIChild()) child->Close();
  };
  AddMenuItem(this, mnuFile, "mnuLine1", "-");
  mnuExit = AddMenuItem(this, mnuFile, "mnuExit", "E&xit");
  mnuExit->OnClick = [this](TComponent*) { Close(); };
  mnuWindow = AddMenuItem(this, MainMenu1->Items(), "mnuWindow", "&Window");
  mnuWindow->SetGroupIndex(9);
  mnuTile = AddMenuItem(this, mnuWindow, "mnuTile", "&Tile");
  mnuTile->OnClick = [this](TComponent*) { Tile(); };
  mnuCascade = AddMenuItem(this, mnuWindow, "mnuCascade", "&Cascade");
  mnuCascade->OnClick = [this](TComponent*) { Cascade(); };
  mnuArrange = AddMenuItem(this, mnuWindow, "mnuArrange", "&Arrange icons");
  mnuArrange->OnClick = [this](TComponent*) { ArrangeIcons(); };
  SetMenu(MainMenu1);
  SetWindowMenu(mnuWindow);
}

TGalleryChild* TGalleryMdiForm::NewChild() {
  auto* child = new TGalleryChild(this, ++FChildNumber);
  child->SetFormStyle(fsMDIChild);
  child->Show();
  return child;
}

}  // namespace pellamy::gallery
