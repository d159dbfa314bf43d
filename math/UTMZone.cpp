#include "math/UTMZone.h"
