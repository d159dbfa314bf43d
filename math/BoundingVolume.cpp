#include "math/BoundingVolume.h"
