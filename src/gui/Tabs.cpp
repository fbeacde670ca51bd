#include "Tabs.h"
