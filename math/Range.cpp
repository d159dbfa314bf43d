#include "math/Range.h"
