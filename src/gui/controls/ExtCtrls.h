// TCustomPanel/TPanel (a raised, optionally captioned container) and TImage
// (a windowless control that paints one picture).
#pragma once

#include <memory>

#include "gui/controls/Controls.h"
#include "gui/gdi/Bitmap.h"

namespace pellamy {

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* owner);
  std::string ClassName() const override { return "TCustomPanel"; }
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut bevel);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut bevel);

 protected:
  void Paint(TCanvas& canvas) override;
  void DefineProperties(TPropertyTable& table) const override;
  void TextChanged() override { Invalidate(); }

 private:
  TBevelCut FBevelOuter = bvRaised;
  TBevelCut FBevelInner = bvNone;
};

class TPanel : public TCustomPanel {
 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
  std::string ClassName() const override { return "TPanel"; }
};

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  std::string ClassName() const override { return "TImage"; }
  TPicture& Picture() { return *FPicture; }
  void SetPicture(const TPicture& picture);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool value);
  bool Center() const { return FCenter; }
  void SetCenter(bool value);

 protected:
  void Paint() override;
  void AdjustSize() override;
  virtual void PictureChanged();
  void DefineProperties(TPropertyTable& table) const override;

 private:
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FCenter = false;
};

}  // namespace pellamy
