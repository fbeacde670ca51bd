// SkinScroll: skinned scroll bars and what goes with them.
//   TSkinScrollbar  the scroll bars a window has in its own non-client area,
//                   drawn from Scrollbar, HorzScroll/VertScroll and the
//                   thumb images; with own tracking it drags the thumb
//                   itself and sends the scroll messages
//   TSkinListView   a list view's bars and its header
//   TSkinHeader     header sections from the Headerbar image
//   TSkinScControl  a scroll-bar control, from the same images
//   TSkinSizer      a size box: a one-pixel shadow frame; a plain scroll-bar
//                   window without the size-box style is a scroll-bar control
//   PaintSkinScrollBar  one bar into a device context
#pragma once

#include <windows.h>

#include <memory>

#include "skin/controls/WinSubClass.h"
#include "skin/layout/ScrollGeometry.h"

namespace pellamy {

// Draws one bar at rect (thickness across, arrows along) with active as the
// pressed part; false when the skin has no Scrollbar image.
bool PaintSkinScrollBar(HDC dc, const TSkinData& skin, const RECT& rect, bool vertical, const TScrollValues& values,
                        TScrollPart active);

// The least thumb the platform draws for a bar of that thickness.
int MinimumThumb(int thickness);

class TSkinScrollbar : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  ~TSkinScrollbar() override;
  std::string ClassName() const override { return "TSkinScrollbar"; }

  // ownTracking: the skin drags the thumb itself.
  virtual void InitScroll(TSkinControlHost* form, TSkinData* skinData, bool ownTracking, TWinControl* control);
  void InitWindow(HWND handle, TSkinData* skinData, TSkinControlHost* form) override;
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;
  void AfterMessage(TMessage& message) override;
  void Paint(HDC dc, const RECT& rect) override;
  void SkinChanged() override;
  // The bars painted now, into the window's DC.
  void PaintBars();

  bool OwnTracking = false;
  TScrollPart ActivePart = spNone;
  int HorzArrow = 28, VertArrow = 28;
  bool HasVertStyle = false, HasHorzStyle = false;
  // The window sets its bars again on every paint of its own, and the system
  // draws them then even when nothing changed (a tree view does).
  bool BarsSetOnPaint = false;

 protected:
  void StartScroll();

 private:
  struct TSeen {
    bool Shown = false;
    TScrollValues Values;
    int Track = 0;
    bool operator==(const TSeen& o) const {
      return Shown == o.Shown && Values.Min == o.Values.Min && Values.Max == o.Values.Max &&
             Values.Page == o.Values.Page && Values.Pos == o.Values.Pos && Track == o.Track;
    }
  };
  TSeen Seen(int bar) const;
  TScrollBarRects Rects() const;
  bool Usable() const;
  // The skin's own drag of a thumb; false when the press is not on one.
  bool TrackThumb(bool vertical, POINT screen);

  // Whether this object outlived a message dispatched from its own loop.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
  TSeen FSeenHorz, FSeenVert;
  SIZE FSeenSize{};
  TScrollPart FSeenPart = spNone;
  bool FPainting = false;
  bool FChecking = false;
  bool FTracking = false;
  int FTrackPos = 0;
  bool FTrackVertical = false;
};

class TSkinHeader : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  std::string ClassName() const override { return "TSkinHeader"; }
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;
  void AfterMessage(TMessage& message) override;
  void Paint(HDC dc, const RECT& rect) override;

 private:
  bool Usable() const;
  TBitmap FBuffer;
};

class TSkinListView : public TSkinScrollbar {
 public:
  using TSkinScrollbar::TSkinScrollbar;
  std::string ClassName() const override { return "TSkinListView"; }
  void InitScroll(TSkinControlHost* form, TSkinData* skinData, bool ownTracking, TWinControl* control) override;
  TSkinHeader* Header = nullptr;  // owned as a component

 protected:
  void Notification(TComponent* component, bool removing) override;
};

class TSkinScControl : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  std::string ClassName() const override { return "TSkinScControl"; }
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;
  void AfterMessage(TMessage& message) override;
  void Paint(HDC dc, const RECT& rect) override;

  TScrollPart ActivePart = spNone;

 protected:
  virtual bool Usable() const;
  bool Vertical() const;

 private:
  TScrollValues FSeen{};
  int FSeenTrack = 0;
  bool FChecking = false;
};

class TSkinSizer : public TSkinScControl {
 public:
  using TSkinScControl::TSkinScControl;
  std::string ClassName() const override { return "TSkinSizer"; }
  bool BeforeMessage(TMessage& message, const TWndMethod& passOn) override;
  void AfterMessage(TMessage& message) override;
  void Paint(HDC dc, const RECT& rect) override;

 private:
  bool IsSizeBox() const;
};

}  // namespace pellamy
