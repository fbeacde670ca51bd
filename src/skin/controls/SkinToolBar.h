// The skinned tool bar's buttons, drawn from the skin's Buttons element
// under the bar's own icons and captions.
#pragma once

#include <functional>

#include "gui/controls/ToolBar.h"
#include "skin/model/WinSkinData.h"

namespace pellamy {

// The Buttons image a tool-bar button in state shows (1 pressed or at rest
// as the default, 3 disabled, 4 hot or focused), 0 for none: the bar draws
// that button alone.
int ToolButtonImage(TCustomDrawState state);

// Draws the image of button's state on the bar's canvas and sets the
// caption's colour from the element's second colours; false when it drew
// nothing (no Buttons element, or a state the bar draws alone).
bool PaintToolButton(TSkinData& skin, TToolBar& bar, const TToolButton& button, TCustomDrawState state);

// The painter on bar's buttons while skin() gives a skin (null: the bar
// draws alone). The system's visual style would paint over a hot button's
// image, so the bar goes without it until the painter is removed.
void InstallToolBarPainter(TToolBar& bar, std::function<TSkinData*()> skin);
void RemoveToolBarPainter(TToolBar& bar);

}  // namespace pellamy
