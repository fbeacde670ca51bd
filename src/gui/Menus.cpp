#include "Menus.h"
