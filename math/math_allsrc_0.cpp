// Unity translation unit: the linear algebra core, the camera and geodesy.
// File-local helpers of these sources share one translation unit, so their
// names must be unique across the files below.
#include "math/Camera.cpp"
#include "math/FastMath.cpp"
#include "math/Grid.cpp"
#include "math/Quaternion.cpp"
#include "math/Referent.cpp"
#include "math/UTMZone.cpp"
#include "math/Units.cpp"
#include "math/Vector.cpp"
#include "math/ViewMatrix.cpp"
