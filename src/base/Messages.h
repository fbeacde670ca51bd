// TMessage and the class library's own message numbers: notifications of the
// library (CM_*) and notifications reflected to the control that owns a child
// window (CN_*). The skin engine relies on these numbers.
#pragma once

#include <cstdint>

namespace pellamy {

struct TMessage {
  unsigned Msg;
  std::uintptr_t WParam;
  std::intptr_t LParam;
  std::intptr_t Result;
};

inline constexpr unsigned CM_BASE = 0xB000;
inline constexpr unsigned CM_DIALOGCHAR = CM_BASE + 6;
inline constexpr unsigned CM_ENABLEDCHANGED = CM_BASE + 12;
inline constexpr unsigned CM_COLORCHANGED = CM_BASE + 13;
inline constexpr unsigned CM_FONTCHANGED = CM_BASE + 14;
inline constexpr unsigned CM_VISIBLECHANGED = CM_BASE + 18;
inline constexpr unsigned CM_MOUSEENTER = CM_BASE + 19;
inline constexpr unsigned CM_MOUSELEAVE = CM_BASE + 20;
inline constexpr unsigned CM_MENUCHANGED = CM_BASE + 21;
inline constexpr unsigned CM_TEXTCHANGED = CM_BASE + 24;
// A key pressed in a child control (LParam is the control, WParam the
// virtual key), offered to each ancestor first; a non-zero result takes it.
inline constexpr unsigned CM_CHILDKEY = CM_BASE + 38;
// A child control of this one came, went, moved or changed size (WParam is
// the control); sent only while this control has a window.
inline constexpr unsigned CM_CONTROLCHANGE = CM_BASE + 36;
// A control is going: sent from its destructor while its hooks are still
// there, so that a layer over it comes off while the control is whole.
inline constexpr unsigned CM_CONTROLGOING = CM_BASE + 33;
// A control's window was made (again, after a setter recreated it); sent
// once the window and its children are up.
inline constexpr unsigned CM_HANDLECREATED = CM_BASE + 40;

static_assert(CM_DIALOGCHAR == 0xB006 && CM_ENABLEDCHANGED == 0xB00C && CM_MOUSEENTER == 0xB013 &&
              CM_MOUSELEAVE == 0xB014 && CM_MENUCHANGED == 0xB015 && CM_CONTROLGOING == 0xB021);

// A child's notification arrives at its parent as msg; the parent hands it to
// the child's control as CN_BASE + msg.
inline constexpr unsigned CN_BASE = 0xBC00;
inline constexpr unsigned CN_COMMAND = CN_BASE + 0x0111;
inline constexpr unsigned CN_NOTIFY = CN_BASE + 0x004E;
inline constexpr unsigned CN_HSCROLL = CN_BASE + 0x0114;
inline constexpr unsigned CN_VSCROLL = CN_BASE + 0x0115;
inline constexpr unsigned CN_CTLCOLORBTN = CN_BASE + 0x0135;
inline constexpr unsigned CN_CTLCOLOREDIT = CN_BASE + 0x0133;
inline constexpr unsigned CN_CTLCOLORSTATIC = CN_BASE + 0x0138;
inline constexpr unsigned CN_CTLCOLORLISTBOX = CN_BASE + 0x0134;
inline constexpr unsigned CN_DRAWITEM = CN_BASE + 0x002B;
inline constexpr unsigned CN_MEASUREITEM = CN_BASE + 0x002C;

static_assert(CN_NOTIFY == 0xBC4E && CN_HSCROLL == 0xBD14 && CN_VSCROLL == 0xBD15);

}  // namespace pellamy
