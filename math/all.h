#pragma once

/// @file
/// Every family of the library.
#include "math/BoundingVolume.h"
#include "math/Camera.h"
#include "math/Elementary.h"
#include "math/FastMath.h"
#include "math/Grid.h"
#include "math/Interpolation.h"
#include "math/Intersect.h"
#include "math/Polyhedron.h"
#include "math/Quaternion.h"
#include "math/Range.h"
#include "math/Referent.h"
#include "math/SkyMath.h"
#include "math/Surface.h"
#include "math/UTMZone.h"
#include "math/Units.h"
#include "math/Vector.h"
#include "math/ViewMatrix.h"
