#include "math/Surface.h"
