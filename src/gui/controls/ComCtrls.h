// The common controls in one include: list view, status bar, progress bar,
// track bar, up-down, date-time picker and header control, with the tab
// controls and the tree view.
#pragma once

#include "gui/controls/DateTimePicker.h"
#include "gui/controls/HeaderControl.h"
#include "gui/controls/ListView.h"
#include "gui/controls/PageControl.h"
#include "gui/controls/ProgressBar.h"
#include "gui/controls/StatusBar.h"
#include "gui/controls/TrackBar.h"
#include "gui/controls/TreeView.h"
#include "gui/controls/UpDown.h"
