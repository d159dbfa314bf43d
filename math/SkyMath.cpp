#include "math/SkyMath.h"
