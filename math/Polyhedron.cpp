#include "math/Polyhedron.h"
