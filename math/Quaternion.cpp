#include "math/Quaternion.h"
