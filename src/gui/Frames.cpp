#include "Frames.h"
