// The skinned controls by kind, beside the choice rules
// (skin/layout/ControlChoice.h):
//   ControlFactsOf   what the rules read of a class library component, its
//                    kinds taken from one table
//   MakeSkinControl  the skinned control of a chosen class, from another
// A new skinned control is a row in each table and its class.
#pragma once

#include "base/Component.h"
#include "skin/controls/WinSubClass.h"
#include "skin/layout/ControlChoice.h"

namespace pellamy {

TControlFacts ControlFactsOf(TComponent* component);
// Null for TSkinClass::None: the control keeps its own look.
TSkinControl* MakeSkinControl(TSkinClass kind, TComponent* owner);

}  // namespace pellamy
