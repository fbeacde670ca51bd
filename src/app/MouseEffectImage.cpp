#include "app/MouseEffectImage.h"

namespace pellamy {

TMouseEffectImage::TMouseEffectImage(TComponent* owner)
    : TImage(owner),
      FOverPicture(std::make_unique<TPicture>()),
      FOriginPicture(std::make_unique<TPicture>()),
      FDownPicture(std::make_unique<TPicture>()) {
  SetAutoSize(true);
}

void TMouseEffectImage::ShowPicture(TPicture* picture) {
  if (picture != nullptr) Picture().Assign(*picture);
}

void TMouseEffectImage::SetOriginPicture(const TPicture& picture) {
  FOriginPicture->Assign(picture);
  ShowPicture(FOriginPicture.get());
}

void TMouseEffectImage::SetOverPicture(const TPicture& picture) {
  FOverPicture->Assign(picture);
}

void TMouseEffectImage::SetDownPicture(const TPicture& picture) {
  FDownPicture->Assign(picture);
}

void TMouseEffectImage::WndProc(TMessage& m) {
  // The picture changes first; the image's own handling (enter and leave
  // events, press, release, click) follows, so a click already sees the
  // normal picture back.
  switch (m.Msg) {
    case CM_MOUSEENTER:
      ShowPicture(FOverPicture.get());
      break;
    case CM_MOUSELEAVE:
      ShowPicture(FOriginPicture.get());
      break;
    case WM_LBUTTONDOWN:
      ShowPicture(FDownPicture.get());
      break;
    case WM_LBUTTONUP:
      if (!FRevertOnLeave) ShowPicture(FOriginPicture.get());
      break;
    default:
      break;
  }
  TImage::WndProc(m);
}

void TMouseEffectImage::DefineProperties(TPropertyTable& table) const {
  TImage::DefineProperties(table);
  auto* self = const_cast<TMouseEffectImage*>(this);
  table["RevertOnLeave"] =
      BoolProp([self] { return self->FRevertOnLeave; }, [self](bool v) { self->FRevertOnLeave = v; });
}

}  // namespace pellamy
