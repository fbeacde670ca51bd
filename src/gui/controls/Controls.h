// TControl, TWinControl, TGraphicControl, TCustomControl: the control tree,
// bounds, visibility, text, colour and font, the replaceable message handler
// WindowProc, handle creation on demand, mouse enter and leave, and the
// painting and mouse routing of windowless controls by their parent.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Component.h"
#include "base/Messages.h"
#include "gui/gdi/Graphics.h"

namespace pellamy {

class TWinControl;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

// Where an exception that escapes a control's message handler goes; the
// application sets it, so a handler's failure is shown instead of ending the
// program. Returns the previous sink.
using TControlExceptionSink = void (*)(std::exception_ptr error);
TControlExceptionSink SetControlExceptionSink(TControlExceptionSink sink);
class TCanvas;

using TWndMethod = std::function<void(TMessage&)>;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TCursor : int { crDefault = 0, crArrow = -2, crHandPoint = -21, crIBeam = -4 };

struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  std::string WinClassName;     // our own class, registered on demand
  std::string SystemClassName;  // a system or common-control class, subclassed
  UINT ClassStyle = CS_DBLCLKS;
  HMENU Id = nullptr;
};

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  std::string ClassName() const override { return "TControl"; }

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  RECT BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  virtual void SetBounds(int left, int top, int width, int height);
  virtual RECT ClientRect() const { return {0, 0, FWidth, FHeight}; }
  int ClientWidth() const { return ClientRect().right; }
  int ClientHeight() const { return ClientRect().bottom; }

  bool Visible() const { return FVisible; }
  void SetVisible(bool visible);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled);
  const std::string& Caption() const { return FText; }
  void SetCaption(const std::string& text) { SetText(text); }
  virtual std::string Text() const { return FText; }
  virtual void SetText(const std::string& text);
  TColor Color() const { return FColor; }
  // Also ends taking the parent's colour.
  void SetColor(TColor color);
  // Takes the parent's colour, now and whenever it changes.
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  TFont& Font() { return *FFont; }
  const TFont& Font() const { return *FFont; }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool value);
  int Cursor() const { return FCursor; }
  void SetCursor(int cursor) { FCursor = cursor; }
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign align);
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool value);
  bool MouseInControl() const { return FMouseInControl; }

  // The message handler; replace it to hook the control and keep the old
  // one to call on.
  TWndMethod WindowProc;
  // Layers over WindowProc, the newest first, each given the next one to
  // call on. Unlike a replaced WindowProc, a layer comes off by its key in
  // any order without cutting off the layers above it.
  using TWndHook = std::function<void(TMessage& message, const TWndMethod& next)>;
  void AddWindowHook(const void* key, TWndHook hook);
  void RemoveWindowHook(const void* key);
  // A message through the layers, then WindowProc: what the window and
  // Perform deliver.
  void Deliver(TMessage& message);
  std::intptr_t Perform(unsigned msg, std::uintptr_t wparam = 0, std::intptr_t lparam = 0);
  // The control's own handling, which WindowProc starts as.
  virtual void WndProc(TMessage& message);
  // What happens to a message nobody handled.
  virtual void DefaultHandler(TMessage& message);

  virtual void Invalidate();
  void Repaint();
  void BringToFront();
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  POINT ClientToScreen(POINT p) const;
  POINT ScreenToClient(POINT p) const;
  virtual bool IsWindowed() const { return false; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  virtual void Click();
  virtual void DblClick();

 protected:
  void DefineProperties(TPropertyTable& table) const override;
  virtual void MouseDown(int button, int x, int y);
  virtual void MouseUp(int button, int x, int y);
  virtual void MouseMove(int x, int y);
  virtual void Resize() {}
  virtual void TextChanged() {}
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void AdjustSize() {}
  // Windowless controls draw here, with the canvas's origin at their top
  // left and clipped to them.
  virtual void PaintControl(TCanvas&) {}
  friend class TWinControl;

  std::string FText;
  bool FMouseInControl = false;
  bool FPressed = false;

 private:
  struct THookLayer {
    const void* Key;
    TWndHook Hook;
  };
  static void CallLayer(TControl& control, const std::vector<std::shared_ptr<THookLayer>>& layers, std::size_t count,
                        TMessage& message);
  std::vector<std::shared_ptr<THookLayer>> FHooks;

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  void TakeColor(TColor color);

  bool FParentFont = true;
  bool FParentColor = false;
  bool FAutoSize = false;
  TColor FColor = clBtnFace;
  int FCursor = crDefault;
  TAlign FAlign = alNone;
  std::unique_ptr<TFont> FFont;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  std::string ClassName() const override { return "TWinControl"; }
  bool IsWindowed() const override { return true; }

  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded() { Handle(); }
  void DestroyHandle();

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int index) const { return FControls.at(static_cast<std::size_t>(index)); }
  int TabOrder() const { return FTabOrder; }
  void SetTabOrder(int order);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool value) { FTabStop = value; }
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool value) { FDoubleBuffered = value; }
  bool Focused() const;
  void SetFocus();
  RECT ClientRect() const override;

  void SetBounds(int left, int top, int width, int height) override;
  void SetText(const std::string& text) override;
  std::string Text() const override;
  void Invalidate() override;
  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  // The windowless child on top at a client point, if any.
  TControl* ControlAtPos(POINT p) const;
  // Finds the library control of a window, if it is one.
  static TWinControl* FromHandle(HWND hwnd);

  // Moves the focus to the next (or previous) tab stop after current; the
  // outermost container decides (a form walks its tab order). False when
  // this control does not move focus itself.
  virtual bool SelectNext(TWinControl* current, bool forward);
  // Whether the user may size this control's window by its border (a grip
  // in it then sizes something).
  virtual bool UserSizeable() const { return true; }

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void CreateHandleDone() {}
  virtual void Paint(TCanvas&) {}
  void PaintHandler(TMessage& message);
  // The background, Paint and the windowless children, into one DC.
  void PaintAll(HDC dc, const RECT& client, const RECT* clip);
  void PaintControls(HDC dc, const RECT* clip);
  void UpdateTabOrders();
  void AlignControls();
  // The library's subclass procedure for system-class windows.
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                       DWORD_PTR refData);
  static LRESULT CALLBACK OwnWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void ApplyFont();
  void ColorChanged() override;
  // The reflected control-colour messages: the control's colour and font
  // colour, with a brush of that colour. False leaves the system's.
  virtual bool AnswerControlColour(TMessage& message);
  bool FOwnPaint = true;  // paints itself (own class) rather than a system class

 private:
  friend class TControl;
  LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  void RouteMouse(TMessage& message);
  void TrackLeave();

  HWND FHandle = nullptr;
  bool FSubclassed = false;
  bool FTrackingLeave = false;
  bool FDoubleBuffered = true;
  bool FTabStop = false;
  int FTabOrder = -1;
  std::vector<TControl*> FControls;   // creation order: also painting order
  TControl* FMouseControl = nullptr;  // windowless child under the pointer
  TControl* FCaptureControl = nullptr;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
  UniqueBrush FColourBrush;
  COLORREF FColourBrushColour = 0;
};

// Destroys a control's window and makes it again, for style bits the system
// control only reads when it is created. Children get new windows too.
void RecreateWnd(TWinControl& control);

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
  std::string ClassName() const override { return "TGraphicControl"; }
  // A canvas of its own: the parent's DC while painting.
  TCanvas* Canvas() const { return FCanvas; }

 protected:
  void PaintControl(TCanvas& canvas) override;
  virtual void Paint() {}

 private:
  TCanvas* FCanvas = nullptr;
};

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner) : TWinControl(owner) {}
  std::string ClassName() const override { return "TCustomControl"; }
};

}  // namespace pellamy
