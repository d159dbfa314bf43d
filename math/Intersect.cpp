#include "math/Intersect.h"
