// TMouseEffectImage: a picture button. It shows its normal picture, the
// hover picture while the pointer is over it and the pressed picture while
// the left button is held on it.
#pragma once

#include <memory>

#include "gui/controls/ExtCtrls.h"

namespace pellamy {

class TMouseEffectImage : public TImage {
 public:
  explicit TMouseEffectImage(TComponent* owner);
  std::string ClassName() const override { return "TMouseEffectImage"; }

  TPicture& OverPicture() { return *FOverPicture; }
  TPicture& OriginPicture() { return *FOriginPicture; }
  TPicture& DownPicture() { return *FDownPicture; }
  // The writers copy the picture in; the normal one is shown at once.
  void SetOriginPicture(const TPicture& picture);
  void SetOverPicture(const TPicture& picture);
  void SetDownPicture(const TPicture& picture);
  bool RevertOnLeave() const { return FRevertOnLeave; }
  void SetRevertOnLeave(bool value) { FRevertOnLeave = value; }

 protected:
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  void ShowPicture(TPicture* picture);

  std::unique_ptr<TPicture> FOverPicture;
  std::unique_ptr<TPicture> FOriginPicture;
  std::unique_ptr<TPicture> FDownPicture;
  bool FRevertOnLeave = false;
};

}  // namespace pellamy
