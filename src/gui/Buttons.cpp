#include "Buttons.h"
