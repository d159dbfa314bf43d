# The library's sources, each compiled on its own: a new source is listed
# here. Read by math/CMakeLists.txt and by the fuzzing build.
set(MATH_SOURCES
  BoundingVolume.cpp
  Camera.cpp
  ElementaryArc.cpp
  ElementaryAsin.cpp
  ElementaryExpLog.cpp
  ElementaryHyperbolic.cpp
  ElementarySlow.cpp
  ElementaryTrig.cpp
  ElementaryTrigReduction.cpp
  Frustum.cpp
  FastMath.cpp
  GridEllipsoid.cpp
  GridMgrs.cpp
  GridMgrsSquares.cpp
  GridPolarStereographic.cpp
  GridTransverseMercator.cpp
  GridUtmUps.cpp
  Interpolation.cpp
  Intersect.cpp
  Polyhedron.cpp
  Quaternion.cpp
  Range.cpp
  Referent.cpp
  SkyMath.cpp
  Surface.cpp
  SurfaceCull.cpp
  SurfaceCylinder.cpp
  SurfaceRectangle.cpp
  SurfaceSphere.cpp
  UTMZone.cpp
  Units.cpp
  Vector.cpp
  ViewMatrix.cpp
)

