// Menu items as the gallery's forms make them: named, so that tests and the
// skin engine's fixtures find them by name.
#pragma once

#include <string>

#include "gui/forms/Menus.h"

namespace pellamy::gallery {

inline TMenuItem* AddMenuItem(TComponent* owner, TMenuItem* parent, const std::string& name, const std::string& caption,
                              TShortCut shortCut = 0) {
  auto* item = new TMenuItem(owner);
  item->SetName(name);
  item->SetCaption(caption);
  item->SetShortCut(shortCut);
  parent->Add(item);
  return item;
}

}  // namespace pellamy::gallery
