#pragma once

/// @file
/// Projection surfaces: a photograph taken from a known viewpoint with a known
/// field of view, shown on a plane (Rectangle), a vertical cylinder (Cylinder)
/// or a sphere (Sphere) around that viewpoint.
///
/// Placement: a Mat4d in the row-vector convention whose rows 0, 1, 2 are the
/// surface's right, up and backward axes and whose row 3 is the viewpoint. The
/// photograph is seen from the viewpoint looking along -z (the backward axis
/// negated). Angles are radians: a horizontal angle turns from the viewing
/// direction towards the right axis, a vertical angle from the horizontal
/// plane towards the up axis.
///
/// Relative coordinates (u, v), each in [-1, 1], address a point of the
/// photograph: u = -1 on the left edge, +1 on the right edge, v = -1 on the
/// bottom edge, +1 on the top edge. Values outside [-1, 1] are points of the
/// unbounded surface beyond the photograph; a surface that wraps treats u as
/// periodic with period 2.
///
/// The azimuth of a point (Cylinder, Sphere) is read in [-pi, pi] by a fixed
/// sign rule: straight behind the viewpoint the cylinder reads -pi, the sphere
/// +pi. That is right for a photograph that wraps (u is periodic there) and for
/// one whose range lies strictly inside (-pi, pi). A photograph that does not
/// wrap but whose range reaches or crosses +-pi (from -pi to -pi + 0.01, say,
/// or a sphere's 3 to 3.3) lies on both sides of that turn, and the fixed rule
/// would read its points beyond the turn a whole turn away (u in the
/// thousands for a narrow photograph). For such a photograph the azimuth is
/// the one of theta, theta - 2 pi and theta + 2 pi nearest the middle of its
/// range, (left + right) / 2, so that its points and their surroundings read
/// continuously; isPtOnFiniteSurface, doSnapPoint and cullToFrustum, which
/// read positions through getRelativeCoords, follow.
///
/// A surface carries a valid flag, true from construction until a validity
/// check finds the parameters unusable; it is never set again. NaN parameters
/// are not rejected by the checks; they propagate into the results. Every
/// shape has a public checkValid that only ever clears the flag and may be
/// called at any time, for instance after changing fields. Rectangle and
/// Cylinder run their check in the constructor; Sphere does not, so that a
/// sphere's owner can adjust it before the check, and a new sphere is valid
/// until its owner calls checkValid. Build a sphere and call checkValid
/// before use to get the same guarantees as the other two shapes.
///
/// Surfaces are counted objects (Referent): allocate with new and let the last
/// holder release them. All const operations may run concurrently.

#include "math/BoundingVolume.h"
#include "math/Export.h"
#include "math/Referent.h"
#include "math/Vector.h"

namespace orrery {

/// An axis-aligned rectangle; empty when min exceeds max in a coordinate.
template <class T, class V> struct Rect {
  V min; ///< lower bounds in x and y
  V max; ///< upper bounds in x and y

  /// Holds no point: some min above its max, or a NaN bound.
  bool isEmpty() const { return !(min.x <= max.x && min.y <= max.y); }
};

/// The bounds of the empty rectangle that culling writes when it finds nothing,
/// min = (M, M) and max = (-M, -M): half the largest double, far enough from the
/// limit that max - min stays finite.
inline constexpr double kEmptyRectBound = 8.988465674311579e+307;

extern template struct ORRERY_MATH_API Rect<double, Vec2d>;

/// The empty rectangle with those bounds, the natural start of a culling.
inline constexpr Rect<double, Vec2d> kEmptyRect = {{kEmptyRectBound, kEmptyRectBound},
                                                   {-kEmptyRectBound, -kEmptyRectBound}};

/// A rectangle in relative coordinates whose u (wrapX) or v (wrapY) may be
/// periodic with period 2. A periodic interval keeps its lower bound at or
/// above -1.000001 and may reach beyond 1 when it crosses the seam at +-1
/// (for example [0.8, 1.2]).
struct ORRERY_MATH_API CullRect : Rect<double, Vec2d> {
  bool wrapX; ///< u (x) is periodic with period 2
  bool wrapY; ///< v (y) is periodic with period 2

  /// Grows the rectangle to include p, taking in a periodic coordinate the
  /// alias of p (one period away) that keeps the rectangle smallest.
  void extend(const Vec2d &p);
};

/// A surface in 3-D space.
class ORRERY_MATH_API ISurface : public Referent {
public:
  ~ISurface() override;

  /// The unit normal at (or for) point, pointing towards the viewpoint side.
  virtual Vec3d getNormal(const Vec3d &point) const = 0;
  /// Whether point lies on the unbounded surface, within the length tolerance.
  virtual bool isPtOnSurface(const Vec3d &point) const = 0;
  /// Intersects the ray rayOrigin + t * rayDir with the surface. True, with the
  /// point in hit, when that point lies on the photograph. When false and clamp
  /// is set, hit receives a point of the photograph near the ray.
  virtual bool intersectRay(const Vec3d &rayOrigin, const Vec3d &rayDir, Vec3d &hit,
                            bool clamp) const = 0;
};

/// The base of the three shapes: the placement and angular extent of the
/// photograph, and the operations written once on top of the shape mapping.
class ORRERY_MATH_API FovDelimitedSurface : public ISurface {
public:
  /// @name Placement and extent
  /// Public fields: a caller may change them and then call buildVectors
  /// (placement) or the shape's checkValid (angles, distance).
  /// @{

  /// Rows right, up, backward (any scale) and the viewpoint, row vectors.
  Mat4d placement;
  Vec3d origin;    ///< the viewpoint, row 3 of placement
  Vec3d viewDir;   ///< -(row 2), unit unless zero
  Vec3d upAxis;    ///< row 1, unit unless zero
  Vec3d rightAxis; ///< row 0, unit unless zero
  /// The plane's distance (Rectangle) or the radius (Cylinder, Sphere).
  double distance;
  /// True until a validity check finds the fields unusable; never set again.
  bool valid;
  double topAngle;    ///< radians above the horizontal plane, top edge
  double bottomAngle; ///< radians above the horizontal plane, bottom edge
  double leftAngle;   ///< radians towards the right axis, left edge
  double rightAngle;  ///< radians towards the right axis, right edge
  /// @}

  /// Takes the fields as given and derives the axes (buildVectors); the
  /// shapes' constructors say which of them also validate.
  FovDelimitedSurface(const Mat4d &placement, double distance, double topAngle, double bottomAngle,
                      double leftAngle, double rightAngle);
  ~FovDelimitedSurface() override;

  /// @name Virtual operations
  /// The pure ones are each shape's mapping; the others are written once on
  /// top of it and may be overridden.
  /// @{

  /// Whether point lies on the photograph: on the surface, with |u| and |v|
  /// below 1.000001.
  virtual bool isPtOnFiniteSurface(const Vec3d &point) const;
  /// The relative coordinates of point. False, with u and v untouched, when
  /// the surface is invalid.
  virtual bool getRelativeCoords(const Vec3d &point, double &u, double &v) const = 0;
  /// The point of the unbounded surface at (u, v); (0, 0, 0) with *ok = false
  /// when the surface is invalid.
  virtual Vec3d getPointFromCoords(double u, double v, bool *ok) const = 0;
  /// Writes into rect the bounds, in relative coordinates, of the part of the
  /// photograph inside the frustum; the empty rectangle (bounds kEmptyRectBound)
  /// when none is found. A periodic u
  /// interval may reach beyond 1 and is then read modulo 2; one longer than 1
  /// is widened to [-1, 1]. An invalid surface leaves rect untouched.
  virtual void cullToFrustum(const Frustum &frustum, Rect<double, Vec2d> &rect) const;
  /// Whether the outline of the photograph, seen through view and projection,
  /// spans more than the fraction threshold of the screen (half the larger of
  /// its normalized-device width and height).
  virtual bool isViewCloseToSurface(const Mat4d &view, const Mat4d &projection,
                                    double threshold) const;
  /// The photograph's width over its height, in the shape's own measure
  /// (lengths on the plane, angle over height on the cylinder, angles on the
  /// sphere); NaN or infinite for degenerate angles, not checked.
  virtual double getWidthHeightRatio() const = 0;
  /// Whether u (wrapU) and v (wrapV) are periodic: the azimuth of a curved
  /// photograph wider than half a turn; never v.
  virtual void getWrapping(bool &wrapU, bool &wrapV) const = 0;
  /// getViewingDistance for arguments already checked; may be negative.
  virtual double getViewingDistanceImpl(double hFov, double vFov, double fovScale) const = 0;
  /// getViewDirection for a valid wrapping surface.
  virtual void getViewDirectionImpl(const Vec3d &requested, Vec3d &result) const = 0;
  /// Moves point onto the photograph.
  virtual void projectToSurface(Vec3d &point) const = 0;
  /// @}

  /// The length tolerance of the surfaces: |a - b| below 0.1 metre in planet
  /// radii, the radius read once at the first call.
  static bool IsNear(double a, double b);

  /// Derives origin and the three unit axes from placement.
  void buildVectors();
  /// The distance from which a camera with fields of view hFov and vFov
  /// (radians, each in (0, pi)) sees the whole photograph within the fraction
  /// fovScale (> 0) of each; distance itself for arguments outside those
  /// ranges, never negative.
  double getViewingDistance(double hFov, double vFov, double fovScale) const;
  /// The direction in which to look at the photograph: viewDir, or for a
  /// wrapping surface the requested direction made horizontal when it meets
  /// the photograph. An invalid surface answers requested.
  void getViewDirection(const Vec3d &requested, Vec3d &result) const;
  /// Brings periodic coordinates beyond +-1 back by one period.
  Vec2d wrapCoords(const Vec2d &coords) const;
  /// Moves a point of the unbounded surface onto the photograph by clamping
  /// its relative coordinates to [-1, 1]. False, with point unchanged, when
  /// point is off the surface or the surface is invalid.
  bool doSnapPoint(Vec3d &point) const;
};

/// A photograph on the plane perpendicular to the viewing direction at
/// distance from the viewpoint; every angle strictly inside (-pi/2, pi/2).
/// Relative coordinates are linear along the plane.
class ORRERY_MATH_API Rectangle : public FovDelimitedSurface {
public:
  Vec3d normal = {};          ///< -viewDir
  Vec3d cornerPoints[4] = {}; ///< bottom-left, bottom-right, top-right, top-left
  Vec3d edgeU = {};           ///< unit, bottom-left to bottom-right
  Vec3d edgeV = {};           ///< unit, bottom-left to top-left
  double lengthU = 0;         ///< width of the photograph
  double lengthV = 0;         ///< height of the photograph

  /// Validates the angles and builds the corners (buildGeometry).
  Rectangle(const Mat4d &placement, double distance, double topAngle, double bottomAngle,
            double leftAngle, double rightAngle);
  ~Rectangle() override;

  /// Validates the angles (clearing valid when unusable) and computes the
  /// corners and edges from the current fields.
  void buildGeometry();
  /// Clears valid when the angles are unusable; the geometry is left as it is.
  void checkValid();

  Vec3d getNormal(const Vec3d &point) const override;
  bool isPtOnSurface(const Vec3d &point) const override;
  bool intersectRay(const Vec3d &rayOrigin, const Vec3d &rayDir, Vec3d &hit,
                    bool clamp) const override;
  bool getRelativeCoords(const Vec3d &point, double &u, double &v) const override;
  Vec3d getPointFromCoords(double u, double v, bool *ok) const override;
  double getWidthHeightRatio() const override;
  void getWrapping(bool &wrapU, bool &wrapV) const override;
  double getViewingDistanceImpl(double hFov, double vFov, double fovScale) const override;
  void getViewDirectionImpl(const Vec3d &requested, Vec3d &result) const override;
  void projectToSurface(Vec3d &point) const override;
};

/// A photograph on the vertical cylinder of radius distance about the up axis
/// through the viewpoint. u is linear in the azimuth (up to a full turn,
/// wrapping beyond half a turn), v linear in the height, that is in the
/// tangent of the vertical angle; vertical angles strictly inside
/// (-pi/2, pi/2).
class ORRERY_MATH_API Cylinder : public FovDelimitedSurface {
public:
  double bottomHeight = 0; ///< distance * tan(bottomAngle) along upAxis
  double height = 0;       ///< distance * tan(topAngle) - bottomHeight

  /// Validates the fields (checkValid) and, when valid, derives the heights.
  Cylinder(const Mat4d &placement, double distance, double topAngle, double bottomAngle,
           double leftAngle, double rightAngle);
  ~Cylinder() override;

  /// Clears valid when the angles or the radius are unusable.
  void checkValid();

  Vec3d getNormal(const Vec3d &point) const override;
  bool isPtOnSurface(const Vec3d &point) const override;
  bool intersectRay(const Vec3d &rayOrigin, const Vec3d &rayDir, Vec3d &hit,
                    bool clamp) const override;
  bool getRelativeCoords(const Vec3d &point, double &u, double &v) const override;
  Vec3d getPointFromCoords(double u, double v, bool *ok) const override;
  double getWidthHeightRatio() const override;
  void getWrapping(bool &wrapU, bool &wrapV) const override;
  double getViewingDistanceImpl(double hFov, double vFov, double fovScale) const override;
  void getViewDirectionImpl(const Vec3d &requested, Vec3d &result) const override;
  void projectToSurface(Vec3d &point) const override;
};

/// A photograph on the sphere of radius distance centred on the viewpoint,
/// addressed by azimuth (u) and elevation (v), both linear; it may reach the
/// poles and wraps in u beyond half a turn. The constructor does not validate
/// (see above): call checkValid.
class ORRERY_MATH_API Sphere : public FovDelimitedSurface {
public:
  /// Which of the two intersections t0 <= t1 of a ray's line with a sphere.
  enum RayT {
    kEntry = 0,      ///< t0, possibly behind the ray origin
    kExit = 1,       ///< t1
    kFirstAhead = 2, ///< the first at or beyond the ray origin, if any
  };

  /// Takes the fields unchecked: call checkValid before use.
  Sphere(const Mat4d &placement, double distance, double topAngle, double bottomAngle,
         double leftAngle, double rightAngle);
  ~Sphere() override;

  /// Clears valid when the angles or the radius are unusable.
  void checkValid();

  /// The parameters t0 <= t1 of the points rayOrigin + t * rayDir (rayDir not
  /// normalized) where the line meets the sphere. False, with t0 and t1
  /// untouched, for a zero direction or a miss.
  static bool IsectSphereParam(const Vec3d &rayOrigin, const Vec3d &rayDir, const Vec3d &center,
                               double radius, double &t0, double &t1);
  /// The intersection chosen by which. False, with point untouched, on a miss
  /// (for kFirstAhead also when both intersections lie behind the origin).
  static bool IsectRaySphere(const Vec3d &rayOrigin, const Vec3d &rayDir, const Vec3d &center,
                             double radius, RayT which, Vec3d &point);
  /// For the unit sphere at the coordinate origin: true with the intersection
  /// chosen by which when the line meets the sphere (and the ray does not move
  /// away from outside); otherwise false with the point of the rim seen from
  /// rayOrigin nearest to where the ray points. Always writes point. rayDir
  /// must not be zero.
  static bool ClampIsectRayUnitSphere(const Vec3d &rayOrigin, const Vec3d &rayDir, RayT which,
                                      Vec3d &point);
  /// ClampIsectRayUnitSphere for any sphere.
  static bool ClampIsectRaySphere(const Vec3d &rayOrigin, const Vec3d &rayDir, const Vec3d &center,
                                  double radius, RayT which, Vec3d &point);

  Vec3d getNormal(const Vec3d &point) const override;
  bool isPtOnSurface(const Vec3d &point) const override;
  bool intersectRay(const Vec3d &rayOrigin, const Vec3d &rayDir, Vec3d &hit,
                    bool clamp) const override;
  bool getRelativeCoords(const Vec3d &point, double &u, double &v) const override;
  Vec3d getPointFromCoords(double u, double v, bool *ok) const override;
  double getWidthHeightRatio() const override;
  void getWrapping(bool &wrapU, bool &wrapV) const override;
  double getViewingDistanceImpl(double hFov, double vFov, double fovScale) const override;
  void getViewDirectionImpl(const Vec3d &requested, Vec3d &result) const override;
  void projectToSurface(Vec3d &point) const override;
};

} // namespace orrery
