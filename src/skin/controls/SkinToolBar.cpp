#include "skin/controls/SkinToolBar.h"

#include <uxtheme.h>

#include <algorithm>

#include "skin/draw/SkinDraw.h"
#include "skin/model/SkinDeviceObjects_win32.h"

namespace pellamy {

int ToolButtonImage(TCustomDrawState state) {
  if (state & cdsSelected) return 1;
  if (state & (cdsFocused | cdsHot)) return 4;
  if (state & (cdsGrayed | cdsDisabled)) return 3;
  if (state & cdsDefault) return 1;
  return 0;
}

bool PaintToolButton(TSkinData& skin, TToolBar& bar, const TToolButton& button, TCustomDrawState state) {
  const TDataSkinButton* element = skin.Buttons.get();
  TBitmap* image = element != nullptr ? SkinDeviceBitmap(skin, element->Bitmap) : nullptr;
  const int index = ToolButtonImage(state);
  if (image == nullptr || index == 0) return false;
  if (index == 1 && element->HasNormalColour2)
    bar.Canvas().Font().SetColor(static_cast<TColor>(element->NormalColour2));
  if (index == 4 && element->HasMouseOverColour2)
    bar.Canvas().Font().SetColor(static_cast<TColor>(element->MouseOverColour2));
  DrawNineGrid(bar.Canvas().Handle(), bar.ButtonRect(&button), *image, false, element->Tile != 0, element->Trans != 0,
               5, index, {element->LeftWidth, element->TopHeight, element->RightWidth, element->BottomHeight});
  return true;
}

void InstallToolBarPainter(TToolBar& bar, std::function<TSkinData*()> skin) {
  if (bar.HandleAllocated()) SetWindowTheme(bar.Handle(), L" ", L" ");  // no such class: no style
  bar.OnCustomDrawButton = [skin = std::move(skin)](TToolBar* sender, TToolButton* button, TCustomDrawState state,
                                                    bool&) {
    TSkinData* data = skin();
    if (data != nullptr && PaintToolButton(*data, *sender, *button, state)) sender->FaceDrawn();
  };
}

void RemoveToolBarPainter(TToolBar& bar) {
  bar.OnCustomDrawButton = nullptr;
  if (bar.HandleAllocated()) {
    SetWindowTheme(bar.Handle(), nullptr, nullptr);
    InvalidateRect(bar.Handle(), nullptr, TRUE);
  }
}

}  // namespace pellamy
