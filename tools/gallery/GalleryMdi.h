// The gallery's MDI frame and its document children: merged menus, the
// window menu, tiling, cascading and maximised children under a skin.
#pragma once

#include "gui/controls/StdCtrls.h"
#include "gui/forms/Forms.h"
#include "gui/forms/Menus.h"

namespace pellamy::gallery {

class TGalleryChild : public TForm {
 public:
  explicit TGalleryChild(TComponent* owner, int number);
  std::string ClassName() const override { return "TGalleryChild"; }
  TMemo* Memo1;
  TMainMenu* ChildMenu;
  TMenuItem* mnuText;
  TMenuItem* mnuUpper;
  TMenuItem* mnuClear;
};

class TGalleryMdiForm : public TForm {
 public:
  static constexpr const char* kCaption = "Pellamy gallery MDI";

  explicit TGalleryMdiForm(TComponent* owner);
  std::string ClassName() const override { return "TGalleryMdiForm"; }

  // A new document child, shown and active.
  TGalleryChild* NewChild();

  TMainMenu* MainMenu1;
  TMenuItem* mnuFile;
  TMenuItem* mnuNew;
  TMenuItem* mnuCloseChild;
  TMenuItem* mnuExit;
  TMenuItem* mnuWindow;
  TMenuItem* mnuTile;
  TMenuItem* mnuCascade;
  TMenuItem* mnuArrange;

 private:
  int FChildNumber = 0;
};

}  // namespace pellamy::gallery
