#pragma once

/// @file
/// Cameras in the globe's Cartesian frame (centre at the origin, +Y towards
/// the north pole). Angles are radians.
///
/// ICartesianCam is the abstract camera: a position and an orientation with a
/// right-handed set of unit axes (right, up, towards). Its turn-to operations,
/// set() and getWorldOrientation() are written once on the pure operations.
/// QuatCartesianCam holds the orientation as a unit quaternion: in camera
/// coordinates right is +X, up is +Y and the camera looks along -Z, so the
/// identity rotation looks along world -Z with +Y up.
///
/// Cameras are counted (Referent): hold them through RefPtr; clone() returns a
/// new camera already held once by the returned handle.

#include "math/Export.h"
#include "math/Quaternion.h"
#include "math/Referent.h"
#include "math/Vector.h"

namespace orrery {

/// @name The calls a camera makes through its table
/// Applications derive cameras from ICartesianCam or QuatCartesianCam. The
/// operations written once here reach the camera only through its table, in
/// this order and this often, and a derived class may rely on it:
/// - `pitchTo`, `yawTo`, `rollTo`, `pitchUpVecTo`: the axis getter
///   (`getRightVec`, `getUpVec`, `getTowardsVec`, `getRightVec`); when the
///   projection of the direction on the plane of the turn is shorter than
///   1e-8, nothing more; otherwise the reference getter (`getTowardsVec`,
///   `getTowardsVec`, `getUpVec`, `getUpVec`), then the turn (`pitch`, `yaw`,
///   `roll`, `pitch`), each once.
/// - `lookAt`: `getPosition`; unless the target is within 1e-8, `yawTo`, then
///   `pitchTo`.
/// - `set(other)`: `other.getPosition`, `setPosition`, `other.getRotation`,
///   `setRotation(Quatd)`.
/// - `getWorldOrientation`: `getPosition`; away from the centre `clone`, then
///   on the copy `setPosition`, `getUpVec`, `rollTo`, `getTowardsVec`,
///   `getUpVec`, and away from the poles `getTowardsVec` after the pitch of
///   `pitchUpVecTo`.
///
/// A camera whose dynamic type is exactly QuatCartesianCam has its getters
/// read directly, from one orientation matrix: they change nothing, so the
/// answers are the same.
/// @{

/// The abstract camera: a position in the globe's frame and an orientation
/// given by three right-handed unit axes (right, up, towards).
class ORRERY_MATH_API ICartesianCam : public Referent {
public:
  ~ICartesianCam() override;

  /// A new, independent copy, or a null handle when memory runs out.
  virtual RefPtr<ICartesianCam> clone() const = 0;

  /// @name Position
  /// @{

  /// Places the camera at position (globe frame, the globe's length unit).
  virtual void setPosition(const Vec3d &position) = 0;
  /// Adds d to the position.
  virtual void translate(const Vec3d &d) = 0;
  /// Moves the position by s along the towards axis.
  virtual void moveTowardsVec(double s) = 0;
  /// Moves the position by s along the right axis.
  virtual void moveRightVec(double s) = 0;
  /// Moves the position by s along the up axis.
  virtual void moveUpVec(double s) = 0;
  /// @}

  /// @name Turns
  /// Right-handed turns about the camera's own axes, in radians.
  /// @{

  /// Turns about the right axis: pitch(a > 0) raises the nose.
  virtual void pitch(double angle) = 0;
  /// Turns about the up axis: yaw(a > 0) turns left.
  virtual void yaw(double angle) = 0;
  /// Turns about the towards axis: roll(a > 0) tips the up vector towards the
  /// right vector.
  virtual void roll(double angle) = 0;
  /// Rotates the camera by q in the world frame.
  virtual void rotate(const Quatd &q) = 0;
  /// Sets the orientation: q turns camera coordinates into world directions.
  virtual void setRotation(const Quatd &q) = 0;
  /// Sets the orientation to look along a, twisted about a by the direction
  /// of b.
  virtual void setRotation(const Vec3d &a, const Vec3d &b) = 0;

  /// Turns the camera to face target by a yaw and then a pitch (the roll is
  /// left as the turns leave it). Does nothing when target is within 1e-8 of
  /// the position.
  virtual void lookAt(const Vec3d &target);
  /// Turns about the right axis so that the towards vector points along the
  /// projection of dir onto the plane of the turn. dir need not be
  /// normalised; one whose projection is shorter than 1e-8 (along the axis,
  /// or null) changes nothing.
  virtual void pitchTo(const Vec3d &dir);
  /// Turns about the up axis so that the towards vector points along the
  /// projection of dir onto the plane of the turn; as pitchTo for a short
  /// projection.
  virtual void yawTo(const Vec3d &dir);
  /// Turns about the towards axis so that the up vector points along the
  /// projection of dir onto the plane of the turn; as pitchTo for a short
  /// projection.
  virtual void rollTo(const Vec3d &dir);
  /// @}

  /// @name Reading the camera
  /// @{

  /// The orientation: camera coordinates to world directions.
  virtual Quatd getRotation() const = 0;
  /// The view matrix: world points (row vectors) to camera space.
  virtual Mat4d getMatrix() const = 0;
  /// The position in the globe's frame.
  virtual Vec3d getPosition() const = 0;
  /// The unit up axis in world coordinates.
  virtual Vec3d getUpVec() const = 0;
  /// The unit viewing direction in world coordinates.
  virtual Vec3d getTowardsVec() const = 0;
  /// The unit right axis in world coordinates.
  virtual Vec3d getRightVec() const = 0;
  /// @}

  /// Sets the camera from a view matrix.
  /// @return whether the camera could be set from it
  virtual bool derive(const Mat4d &view) = 0;
  /// Copies other's position, then its rotation.
  virtual void set(const ICartesianCam &other);

  /// @name Derived operations
  /// Written once on the operations above.
  /// @{

  /// (heading, tilt, roll) over the globe below the camera, without changing
  /// the camera. Heading is the compass direction of the view (0 north, pi/2
  /// east), pi/2 above the north pole and 0 above the south pole; tilt is 0
  /// looking straight down, pi/2 at the horizon and pi straight up; roll is
  /// the angle the up vector is rolled away from the vertical plane through
  /// the view (roll(a) on a level camera reports -a). A camera within 1e-7 of
  /// the centre, or one that cannot be copied for lack of memory, gives
  /// (0, 0, 0).
  virtual Vec3d getWorldOrientation();
  /// Pitches so that the up vector points along the projection of dir onto
  /// the plane perpendicular to the right axis.
  void pitchUpVecTo(const Vec3d &dir);
  /// @}
};

/// @}

/// A camera whose orientation is a unit quaternion. In camera coordinates
/// right is +X, up is +Y and the camera looks along -Z; the identity rotation
/// looks along world -Z with +Y up.
class ORRERY_MATH_API QuatCartesianCam : public ICartesianCam {
public:
  /// World position; (0, 0, 0) by default.
  Vec3d position{0.0, 0.0, 0.0};
  /// Orientation: camera coordinates to world directions. Every mutator leaves
  /// it normalised (a zero quaternion stays zero); the copy constructor copies
  /// it as it is.
  Quatd rotation;

  /// At the origin with the default rotation.
  QuatCartesianCam();
  /// Takes other's position and normalised rotation.
  explicit QuatCartesianCam(const ICartesianCam &other);
  /// An exact copy of position and rotation, with a count of 0.
  QuatCartesianCam(const QuatCartesianCam &other);
  /// set(other): the rotation is normalised; the count is kept.
  QuatCartesianCam &operator=(const QuatCartesianCam &other);
  ~QuatCartesianCam() override;

  RefPtr<ICartesianCam> clone() const override;
  void setPosition(const Vec3d &p) override;
  void translate(const Vec3d &d) override;
  void moveTowardsVec(double s) override;
  void moveRightVec(double s) override;
  void moveUpVec(double s) override;
  void pitch(double angle) override;
  void yaw(double angle) override;
  void roll(double angle) override;
  void rotate(const Quatd &q) override;
  void setRotation(const Quatd &q) override;
  /// Looks along a; the rotation turns (0, 0, -1) onto a and then twists about
  /// a by the angle between (0, 0, 1) so turned and b, so only the angle of b
  /// with a matters.
  void setRotation(const Vec3d &a, const Vec3d &b) override;
  Quatd getRotation() const override;
  /// The view matrix. Storage order: (right.x, up.x, back.x, 0, right.y, up.y, back.y, 0,
  /// right.z, up.z, back.z, 0, -right.p, -up.p, -back.p, 1) with back the
  /// opposite of towards and p the position; visible points get negative z.
  Mat4d getMatrix() const override;
  Vec3d getPosition() const override;
  Vec3d getUpVec() const override;
  Vec3d getTowardsVec() const override;
  Vec3d getRightVec() const override;
  /// Inverts view by full-pivot Gauss-Jordan elimination and reads the
  /// rotation and position from the inverse. Always returns true; for a
  /// singular view the partly inverted matrix is read as it is, so the result
  /// is unspecified (but free of undefined behaviour).
  bool derive(const Mat4d &view) override;

  /// Rotates the camera by angle, right-handed, about axis in world
  /// coordinates. A zero axis only renormalises.
  virtual void rotate(Vec3d axis, double angle);

  /// Rotates the camera by q in its own frame: rotation = conj(q) * rotation.
  void cameraSpaceRotate(const Quatd &q);
  /// Rotates the camera by angle, right-handed, about axis in camera
  /// coordinates (x right, y up, z back). A zero axis only renormalises.
  void cameraSpaceRotate(Vec3d axis, double angle);
};

} // namespace orrery
