#include "math/Interpolation.h"
