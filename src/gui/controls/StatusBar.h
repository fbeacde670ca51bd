// TStatusBar: panels and the size grip.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/controls/Controls.h"

namespace pellamy {

struct TStatusPanel {
  std::string Text;
  int Width = 50;
};

class TStatusBar : public TWinControl {
 public:
  explicit TStatusBar(TComponent* owner);
  std::string ClassName() const override { return "TStatusBar"; }

  void AddPanel(int width);
  int PanelCount() const { return static_cast<int>(FPanels.size()); }
  const TStatusPanel& Panel(int index) const { return FPanels.at(static_cast<std::size_t>(index)); }
  void SetPanelText(int index, const std::string& text);
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool value);
  // The grip at the bottom-right corner that sizes the form; on by default.
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool value);
  // The right edges of the panels as the bar lays them out; the last panel
  // reaches the bar's right edge.
  std::vector<int> PanelEdges() const;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  void UpdatePanels();
  std::vector<TStatusPanel> FPanels;
  bool FSimplePanel = false;
  bool FSizeGrip = true;
};

}  // namespace pellamy
