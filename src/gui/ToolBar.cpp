#include "ToolBar.h"
