// Unity translation unit: interpolation, sky math, culling, surfaces and
// layout. File-local helpers of these sources share one translation unit, so
// their names must be unique across the files below.
#include "math/BoundingVolume.cpp"
#include "math/Interpolation.cpp"
#include "math/Intersect.cpp"
#include "math/Polyhedron.cpp"
#include "math/Range.cpp"
#include "math/SkyMath.cpp"
#include "math/Surface.cpp"
