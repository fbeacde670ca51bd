#include "gui/controls/ExtCtrls.h"

#include "gui/gdi/GdiHandles.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 185, 41);
}

void TCustomPanel::SetBevelOuter(TBevelCut bevel) {
  FBevelOuter = bevel;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut bevel) {
  FBevelInner = bevel;
  Invalidate();
}

void TCustomPanel::Paint(TCanvas& canvas) {
  HDC dc = canvas.Handle();
  RECT r{0, 0, Width(), Height()};
  for (TBevelCut bevel : {FBevelOuter, FBevelInner}) {
    if (bevel == bvNone) continue;
    DrawEdge(dc, &r, bevel == bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  }
  const std::wstring text = Utf8ToWide(FText);
  if (!text.empty()) {
    SelectGuard select(dc, Font().Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font().Color()));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

void TCustomPanel::DefineProperties(TPropertyTable& table) const {
  TCustomControl::DefineProperties(table);
  auto* self = const_cast<TCustomPanel*>(this);
  table["BevelOuter"] = EnumProp(
      {"bvNone", "bvLowered", "bvRaised"}, [self] { return int(self->FBevelOuter); },
      [self](int v) { self->SetBevelOuter(TBevelCut(v)); });
  table["BevelInner"] = EnumProp(
      {"bvNone", "bvLowered", "bvRaised"}, [self] { return int(self->FBevelInner); },
      [self](int v) { self->SetBevelInner(TBevelCut(v)); });
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), FPicture(std::make_unique<TPicture>()) {
  SetBounds(0, 0, 105, 105);
  FPicture->OnChange = [this] { PictureChanged(); };
}

void TImage::SetPicture(const TPicture& picture) {
  FPicture->Assign(picture);
}

void TImage::PictureChanged() {
  AdjustSize();
  Invalidate();
}

void TImage::AdjustSize() {
  if (AutoSize() && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
}

void TImage::SetStretch(bool value) {
  FStretch = value;
  Invalidate();
}

void TImage::SetCenter(bool value) {
  FCenter = value;
  Invalidate();
}

void TImage::Paint() {
  TGraphic* graphic = FPicture->Graphic();
  if (graphic == nullptr || graphic->Empty()) return;
  TCanvas& canvas = *Canvas();
  if (FStretch) {
    canvas.StretchDraw(RECT{0, 0, Width(), Height()}, *graphic);
  } else if (FCenter) {
    canvas.Draw((Width() - graphic->Width()) / 2, (Height() - graphic->Height()) / 2, *graphic);
  } else {
    canvas.Draw(0, 0, *graphic);
  }
}

void TImage::DefineProperties(TPropertyTable& table) const {
  TGraphicControl::DefineProperties(table);
  auto* self = const_cast<TImage*>(this);
  table["Stretch"] = BoolProp([self] { return self->FStretch; }, [self](bool v) { self->SetStretch(v); });
  table["Center"] = BoolProp([self] { return self->FCenter; }, [self](bool v) { self->SetCenter(v); });
}

}  // namespace pellamy
