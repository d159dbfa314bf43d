#include "math/Camera.h"
#include "math/Elementary.h"
#include "math/detail/Angles.h"

#include "math/FastMath.h"
#include "math/Units.h"
#include "math/ViewMatrix.h"

#include <cmath>
#include <typeinfo>

namespace orrery {

namespace {

// A turn-to direction whose projection onto the plane of the turn is shorter
// than this lies along the turning axis: there is nothing to turn towards.
constexpr double kCamMinTurnProjection = 1e-8;
// lookAt ignores targets this close to the camera.
constexpr double kCamMinLookDistance = 1e-8;
// Within this distance of the globe's centre, and of a pole on the unit
// sphere, the local vertical and north are not defined.
constexpr double kCamCentreTolerance = 1e-7;
constexpr double kCamPoleTolerance = 1e-7;

using CamAxisGetter = Vec3d (ICartesianCam::*)() const;
using CamTurn = void (ICartesianCam::*)(double);

// The rows are the camera's right, up and back axes in world coordinates.
Mat4d camOrientation(const Quatd &rotation) {
  Mat4d m;
  m.fromQuaternion(rotation);
  return m;
}

// The axis the getter reads, taken from the orientation m of the library's
// camera as QuatCartesianCam's getters take it.
Vec3d camAxisOf(const Mat4d &m, CamAxisGetter getter) {
  if (getter == &ICartesianCam::getTowardsVec) {
    return {-m.m[8], -m.m[9], -m.m[10]};
  }
  if (getter == &ICartesianCam::getUpVec) {
    return {m.m[4], m.m[5], m.m[6]};
  }
  return {m.m[0], m.m[1], m.m[2]};
}

// Whether cam is an object of exactly the library's camera, not of a class
// derived from it: its getters are then the library's own, which change
// nothing and read only the rotation, so when and how often they are called
// cannot be told apart.
bool camIsLibraryCam(const ICartesianCam &cam) { return typeid(cam) == typeid(QuatCartesianCam); }

// Two axes of cam, first then second, through the table. Each getter of the
// library's camera builds the orientation matrix for itself; for that camera
// it is built once for both.
void camTwoAxes(const ICartesianCam &cam, CamAxisGetter first, Vec3d &a, CamAxisGetter second,
                Vec3d &b) {
  if (camIsLibraryCam(cam)) {
    const Mat4d m = camOrientation(static_cast<const QuatCartesianCam &>(cam).rotation);
    a = camAxisOf(m, first);
    b = camAxisOf(m, second);
    return;
  }
  a = (cam.*first)();
  b = (cam.*second)();
}

// The shared procedure of the turn-to family: turn about the axis so that the
// reference vector lines up with dir projected onto the plane of the turn.
// The axis is read first; the reference only once the projection is known to
// be long enough to turn towards; each once, through the table. The
// library's camera has both read from one orientation matrix.
void camTurnTo(ICartesianCam &cam, const Vec3d &dir, CamAxisGetter axis, CamAxisGetter reference,
               CamTurn turn) {
  const bool library = camIsLibraryCam(cam);
  Vec3d a;
  Vec3d r;
  if (library) {
    camTwoAxes(cam, axis, a, reference, r);
  } else {
    a = (cam.*axis)();
  }
  Vec3d p = dir - a * dot(dir, a);
  const double len = divideByLength(p);
  if (len < kCamMinTurnProjection) {
    return;
  }
  if (!library) {
    r = (cam.*reference)();
  }
  (cam.*turn)(-clockwiseAngle(p, r, a));
}

// Whether the unit vector p points at the pole (0, poleY, 0).
bool camAbovePole(const Vec3d &p, double poleY) {
  return std::fabs(p.x) < kCamPoleTolerance && std::fabs(p.y - poleY) < kCamPoleTolerance &&
         std::fabs(p.z) < kCamPoleTolerance;
}

// The turn by angle, right-handed, about axis; the identity for a zero axis.
Quatd camAxisAngle(const Vec3d &axis, double angle) {
  Quatd q;
  const double len = FastMath::sqrt(dot(axis, axis));
  if (len != 0.0) {
    const Vec3d n = axis / len;
    const double h = angle * 0.5;
    double s, c;
    elementary::sincos(h, s, c);
    q.set(n.x * s, n.y * s, n.z * s, c);
  }
  return q;
}

// Mat4d::mul(T, rv) bit for bit, in place of rv, for T the identity with t
// in elements 12, 13, 14 and rv a rotation from Mat4d::fromQuaternion
// (finite or all NaN, column 3 and row 3 those of the identity). The
// products with T's zeros only add signed zeros (or the NaN already there),
// which + 0.0 reproduces; element 15 keeps its products, so a non-finite
// position gives NaN there. Each column reads only rv's rows 0 to 2 before
// writing elements 3, 7, 11 and 12 to 14, which no later column reads.
void camTranslateThenRotate(const Vec3d &t, Mat4d &rv) {
  double *r = rv.m;
  for (int c = 0; c < 3; ++c) {
    const double r0 = r[c];
    const double r1 = r[4 + c];
    const double r2 = r[8 + c];
    r[c] = r0 + 0.0;
    r[4 + c] = r1 + 0.0;
    r[8 + c] = r2 + 0.0;
    r[12 + c] = t.x * r0 + t.y * r1 + t.z * r2 + 0.0;
    r[c * 4 + 3] = 0.0;
  }
  r[15] = t.x * 0.0 + t.y * 0.0 + t.z * 0.0 + 1.0;
}

} // namespace

// ICartesianCam

ICartesianCam::~ICartesianCam() = default;

void ICartesianCam::lookAt(const Vec3d &target) {
  Vec3d d = target - getPosition();
  const double len = divideByLength(d);
  if (len <= kCamMinLookDistance) {
    return;
  }
  // The yaw brings the target into the vertical plane of the view, the pitch
  // then raises or lowers the view onto it.
  yawTo(d);
  pitchTo(d);
}

void ICartesianCam::pitchTo(const Vec3d &dir) {
  camTurnTo(*this, dir, &ICartesianCam::getRightVec, &ICartesianCam::getTowardsVec,
            &ICartesianCam::pitch);
}

void ICartesianCam::yawTo(const Vec3d &dir) {
  camTurnTo(*this, dir, &ICartesianCam::getUpVec, &ICartesianCam::getTowardsVec,
            &ICartesianCam::yaw);
}

void ICartesianCam::rollTo(const Vec3d &dir) {
  camTurnTo(*this, dir, &ICartesianCam::getTowardsVec, &ICartesianCam::getUpVec,
            &ICartesianCam::roll);
}

void ICartesianCam::pitchUpVecTo(const Vec3d &dir) {
  camTurnTo(*this, dir, &ICartesianCam::getRightVec, &ICartesianCam::getUpVec,
            &ICartesianCam::pitch);
}

void ICartesianCam::set(const ICartesianCam &other) {
  setPosition(other.getPosition());
  setRotation(other.getRotation());
}

Vec3d ICartesianCam::getWorldOrientation() {
  // The local vertical: the globe's up direction at the camera.
  Vec3d p = getPosition();
  if (divideByLength(p) < kCamCentreTolerance) {
    return {0.0, 0.0, 0.0};
  }
  // All turns below act on a copy, moved onto the unit sphere.
  const RefPtr<ICartesianCam> c = clone();
  if (!c) {
    return {0.0, 0.0, 0.0};
  }
  c->setPosition(p);
  const Vec3d up0 = c->getUpVec();
  // Roll the copy until its up vector leans towards the vertical: the roll
  // is the angle it had to turn.
  c->rollTo(p);
  Vec3d towards;
  Vec3d up1;
  camTwoAxes(*c, &ICartesianCam::getTowardsVec, towards, &ICartesianCam::getUpVec, up1);
  const double roll = -clockwiseAngle(up0, up1, -towards);

  // k is the cosine of the angle between the view and straight down; at
  // either end acos would only add rounding.
  const double k = -dot(p, towards);
  double tilt;
  if (std::fabs(std::fabs(k) - 1.0) < kAlmostEqualTolerance) {
    tilt = k <= 0.0 ? detail::kPi : 0.0;
  } else {
    tilt = FastMath::acos(k);
  }

  // North is undefined at the poles.
  double heading;
  if (camAbovePole(p, 1.0)) {
    heading = detail::kHalfPi;
  } else if (camAbovePole(p, -1.0)) {
    heading = 0.0;
  } else {
    // Level the view, then measure it clockwise from local north seen from
    // above.
    c->pitchUpVecTo(p);
    const Vec3d v = Vec3d{0.0, 1.0, 0.0} - p;
    Vec3d north = v - p * dot(p, v);
    divideByLength(north);
    heading = clockwiseAngle(c->getTowardsVec(), north, p);
  }
  return {heading, tilt, roll};
}

// QuatCartesianCam

QuatCartesianCam::QuatCartesianCam() = default;

QuatCartesianCam::QuatCartesianCam(const QuatCartesianCam &other) = default;

QuatCartesianCam::QuatCartesianCam(const ICartesianCam &other) {
  setPosition(other.getPosition());
  setRotation(other.getRotation());
}

QuatCartesianCam &QuatCartesianCam::operator=(const QuatCartesianCam &other) {
  set(other);
  return *this;
}

QuatCartesianCam::~QuatCartesianCam() = default;

RefPtr<ICartesianCam> QuatCartesianCam::clone() const {
  // Null when the allocation fails.
  return RefPtr<ICartesianCam>(new QuatCartesianCam(*this));
}

void QuatCartesianCam::setPosition(const Vec3d &p) { position = p; }

void QuatCartesianCam::translate(const Vec3d &d) { position = position + d; }

void QuatCartesianCam::moveTowardsVec(double s) { position = position + getTowardsVec() * s; }

void QuatCartesianCam::moveRightVec(double s) { position = position + getRightVec() * s; }

void QuatCartesianCam::moveUpVec(double s) { position = position + getUpVec() * s; }

void QuatCartesianCam::pitch(double angle) { cameraSpaceRotate({1.0, 0.0, 0.0}, angle); }

void QuatCartesianCam::yaw(double angle) { cameraSpaceRotate({0.0, 1.0, 0.0}, angle); }

void QuatCartesianCam::roll(double angle) { cameraSpaceRotate({0.0, 0.0, -1.0}, angle); }

void QuatCartesianCam::rotate(const Quatd &q) {
  // Negating w turns the stored rotation r into -conj(r), so this computes
  // rotation * conj(q): a turn by q applied after the camera's own.
  rotation.w = -rotation.w;
  rotation = q * rotation;
  rotation.w = -rotation.w;
  divideByNorm(rotation);
}

void QuatCartesianCam::rotate(Vec3d axis, double angle) { rotate(camAxisAngle(axis, angle)); }

void QuatCartesianCam::cameraSpaceRotate(const Quatd &q) {
  // conj(q) * rotation: the turn by q applied in camera coordinates first.
  rotation.w = -rotation.w;
  rotation *= q;
  rotation.w = -rotation.w;
  divideByNorm(rotation);
}

void QuatCartesianCam::cameraSpaceRotate(Vec3d axis, double angle) {
  cameraSpaceRotate(camAxisAngle(axis, angle));
}

void QuatCartesianCam::setRotation(const Quatd &q) {
  rotation.set(q.x, q.y, q.z, q.w);
  divideByNorm(rotation);
}

void QuatCartesianCam::setRotation(const Vec3d &a, const Vec3d &b) {
  // From the default view (0, 0, -1) onto a; (0, 0, 1) fixes the twist.
  rotation.buildRotation({0.0, 0.0, -1.0}, {0.0, 0.0, 1.0}, a, b);
  divideByNorm(rotation);
}

Quatd QuatCartesianCam::getRotation() const { return rotation; }

Mat4d QuatCartesianCam::getMatrix() const {
  // The inverse rotation (w negated) gives the transposed orientation, whose
  // columns are the camera axes; the translation moves the eye to the origin
  // first: view = T * Rv with T the translation by -position.
  Quatd inverse = rotation;
  inverse.w = -inverse.w;
  Mat4d view;
  view.fromQuaternion(inverse);
  camTranslateThenRotate(-position, view);
  return view;
}

Vec3d QuatCartesianCam::getPosition() const { return position; }

Vec3d QuatCartesianCam::getUpVec() const {
  const Mat4d m = camOrientation(rotation);
  return {m.m[4], m.m[5], m.m[6]};
}

Vec3d QuatCartesianCam::getTowardsVec() const {
  const Mat4d m = camOrientation(rotation);
  return {-m.m[8], -m.m[9], -m.m[10]};
}

Vec3d QuatCartesianCam::getRightVec() const {
  const Mat4d m = camOrientation(rotation);
  return {m.m[0], m.m[1], m.m[2]};
}

bool QuatCartesianCam::derive(const Mat4d &view) {
  Mat4d inverse = view;
  // A singular view stops the elimination part way; the partly inverted
  // matrix is read all the same.
  static_cast<void>(math::invertFullPivot(inverse));
  rotation.fromMatrix(inverse);
  divideByNorm(rotation);
  position = {inverse.m[12], inverse.m[13], inverse.m[14]};
  return true;
}

} // namespace orrery
