// TProgressBar.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/controls/Controls.h"

namespace pellamy {

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* owner);
  std::string ClassName() const override { return "TProgressBar"; }
  int Min() const { return FMin; }
  int Max() const { return FMax; }
  void SetRange(int min, int max);
  int Position() const;
  void SetPosition(int position);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  int FMin = 0, FMax = 100, FPosition = 0;
};

}  // namespace pellamy
