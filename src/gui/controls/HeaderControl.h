// THeaderControl with its sections.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/controls/Controls.h"
#include "gui/controls/StdCtrls.h"

namespace pellamy {

// ----------------------------------------------------------- THeaderControl

class THeaderControl;

class THeaderSection {
 public:
  THeaderSection(THeaderControl* header, std::string text, int width);
  const std::string& Text() const { return FText; }
  void SetText(const std::string& text);
  // With a window, the width the user dragged it to.
  int Width() const;
  void SetWidth(int width);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  int Index() const;
  int Left() const;
  int Right() const { return Left() + Width(); }

 private:
  friend class THeaderControl;
  void Update();
  THeaderControl* FHeader;
  std::string FText;
  int FWidth;
  TAlignment FAlignment = taLeftJustify;
};

class THeaderSections {
 public:
  explicit THeaderSections(THeaderControl* header) : FHeader(header) {}
  THeaderSection* Add(const std::string& text = "", int width = 50);
  void Delete(int index);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  THeaderSection* Items(int index) const;
  THeaderSection* operator[](int index) const { return Items(index); }
  int IndexOf(const THeaderSection* section) const;

 private:
  friend class THeaderControl;
  THeaderControl* FHeader;
  std::vector<std::unique_ptr<THeaderSection>> FItems;
};

using TSectionNotifyEvent = std::function<void(THeaderControl* sender, THeaderSection* section)>;
enum TSectionTrackState { tsTrackBegin, tsTrackMove, tsTrackEnd };
using TSectionTrackEvent =
    std::function<void(THeaderControl* sender, THeaderSection* section, int width, TSectionTrackState state)>;

class THeaderControl : public TWinControl {
 public:
  explicit THeaderControl(TComponent* owner);
  std::string ClassName() const override { return "THeaderControl"; }

  THeaderSections& Sections() { return FSections; }
  const THeaderSections& Sections() const { return FSections; }
  // Sections look like buttons and report clicks.
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value);

  TSectionNotifyEvent OnSectionClick;
  // A section's width changed (the user dragged its divider).
  TSectionNotifyEvent OnSectionResize;
  // While the user drags a divider.
  TSectionTrackEvent OnSectionTrack;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  friend class THeaderSection;
  friend class THeaderSections;
  void InsertItemWindow(int index);
  void UpdateItemWindow(int index);
  THeaderSections FSections{this};
  bool FHotTrack = false;
};

}  // namespace pellamy
