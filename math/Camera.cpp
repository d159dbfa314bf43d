#include "math/Camera.h"
