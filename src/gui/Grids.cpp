#include "Grids.h"
