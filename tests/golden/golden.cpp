// Prints the exact bit patterns of a fixed, wide set of results of every
// family, edge values included, one labelled line each. Two builds of the
// library agree to the last bit exactly when their outputs are identical;
// check.sh compares builds and the expected output kept beside this file.
//
// Every input passes through opaque(), so no compiler folds a result at
// build time with arithmetic of its own. The printers are in Golden.h.

#include "Golden.h"
#include "Draw.h"

#include "math/Elementary.h"
#include "math/Grid.h"

#include <QString>

#include <array>
#include <bit>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <utility>

namespace orrery::golden {

namespace {

template <class T> T opaque(T v) {
  volatile T x = v;
  return x;
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const double kScalars[] = {0.0,
                           -0.0,
                           1e-300,
                           -1e-15,
                           -1e-13,
                           0.5,
                           1.0,
                           1.0000001,
                           -2.0,
                           3.0,
                           4.0,
                           8.0,
                           1e10,
                           6.7e9,
                           -6.8e9,
                           100.0,
                           kInf,
                           -kInf,
                           kNaN,
                           0.7853981633974483,
                           2.356194490192345,
                           -5.5,
                           6.283185307179586,
                           7.0};

Mat4d matrixA() {
  Mat4d m;
  m.set(opaque(2.0), 0.5, -1.0, 0.0, 0.25, 3.0, 0.75, 0.0, -0.5, 1.5, 4.0, 0.0, 10.0, -20.0, 30.0,
        1.0);
  return m;
}
Mat4d matrixB() {
  Mat4d m;
  m.set(opaque(0.1), 0.2, 0.3, 0.4, -0.5, 0.6, -0.7, 0.8, 0.9, -1.0, 1.1, -1.2, 1.3, 1.4, -1.5,
        1.6);
  return m;
}
Mat4d perspective(double fovY, double aspect, double n, double f) {
  Mat4d m;
  m.buildPerspective(fovY, aspect, n, f);
  return m;
}

// Seeded random arguments of the elementary functions and of the library's
// own conversions. A change of one result must show, across machines, in a
// file that stays readable: each line holds the digest of a chunk of kChunk
// results (a line's label names the family and the chunk). The digest steps
// h -> (h ^ bits) * odd for every result, a bijection of h for each result,
// so changing any one result always changes the chunk's digest. With
// "golden --expand" every argument and result is printed in hex instead, to
// find the one that changed.
constexpr int kChunk = 100;
constexpr int kDraws = 10000;
thread_local bool tExpand = false;

// The argument kinds: trigonometric angles, [-1, 1], any real, positive.
enum class Kind { Angle, Unit, Real, Positive };
// The i-th argument of a kind: mostly the library's range (|x| < 2^k), then
// wider ranges, the hard cases near multiples of pi/4 or 1, the tiny and
// subnormal, and the huge. lo and hi bound the format's exponents.
double argument(Draw &d, Kind kind, int k, int i, int lo, int hi) {
  const int slot = i % 8;
  switch (kind) {
  case Kind::Angle:
    return slot < 4    ? d.within(k)
           : slot == 4 ? d.within(20)
           : slot == 5 ? d.near(0x1.921fb54442d18p-1, (i & 8) != 0 ? 8 : 30)
           : slot == 6 ? d.magnitude(20, hi)
                       : d.magnitude(lo, -20);
  case Kind::Unit:
    return slot < 4    ? d.within(0)
           : slot == 4 ? std::copysign(1.0, d.within(0)) - d.within(-20)
           : slot == 5 ? d.near(0.5, 1)
           : slot == 6 ? d.magnitude(lo, -1)
                       : d.magnitude(-3, 4);
  case Kind::Real:
    return slot < 4    ? d.within(k)
           : slot == 4 ? d.within(k + 4)
           : slot == 5 ? d.within(10)
           : slot == 6 ? d.magnitude(lo, -20)
                       : d.magnitude(-20, hi);
  case Kind::Positive:
    return slot < 3    ? std::fabs(d.magnitude(lo, hi))
           : slot < 5  ? 1.0 + d.within(-4)
           : slot == 5 ? 1.0 + d.within(-30)
           : slot == 6 ? std::fabs(d.within(k))
                       : -std::fabs(d.magnitude(lo, hi));
  }
  return 0.0;
}

std::uint64_t bitsOf(double v) {
  return std::isnan(v) ? std::uint64_t(0x7ff8) << 48 : std::bit_cast<std::uint64_t>(v);
}

// Digests kDraws results of f (each of its results folded in), kChunk a line.
template <class F> void digested(const char *name, F f) {
  std::uint64_t h = 0;
  for (int i = 0; i < kDraws; ++i) {
    for (const auto r : f(i)) {
      h = (h ^ bitsOf(r)) * 0x100000001b3u;
    }
    if ((i + 1) % kChunk == 0) {
      put("%s.%03d %016llx\n", name, i / kChunk, static_cast<unsigned long long>(h));
      h = 0;
    }
  }
}

// One function of one argument (ky absent) or two: its special values (with
// a second argument of 2, -0 and -inf), then kDraws seeded arguments. The
// float functions take the arguments rounded to float.
template <class T, class F>
void elementary(const char *name, Kind kx, std::optional<Kind> ky, int k, F f) {
  const bool single = sizeof(T) == 4;
  const int lo = single ? -149 : -1074;
  const int hi = single ? 127 : 1023;
  const T specials[] = {T(0.0),
                        T(-0.0),
                        T(1.0),
                        T(-1.0),
                        T(0.5),
                        T(-2.0),
                        T(1e-30),
                        std::numeric_limits<T>::denorm_min(),
                        std::numeric_limits<T>::max(),
                        T(kInf),
                        T(-kInf),
                        T(kNaN),
                        T(1.5707963267948966),
                        T(-3.141592653589793)};
  tOutput += name;
  for (const T x : specials) {
    for (const T y : {T(2.0), T(-0.0), T(-kInf)}) {
      for (const auto r : f(opaque(x), opaque(y))) {
        bits(r);
      }
      if (!ky) {
        break;
      }
    }
  }
  tOutput += '\n';
  std::uint64_t seed = 0x5eed;
  for (const char *c = name; *c != 0; ++c) {
    seed = seed * 131 + std::uint64_t(*c);
  }
  Draw d{seed};
  digested(name, [&](int i) {
    const T x = T(argument(d, kx, k, i, lo, hi));
    const T y = ky ? T(argument(d, *ky, k, i / 8, lo, hi)) : T(2.0);
    const auto r = f(opaque(x), opaque(y));
    if (tExpand) {
      put("%s %a %a", name, double(x), double(y));
      for (const auto v : r) {
        bits(v);
      }
      tOutput += '\n';
    }
    return r;
  });
}

void elementaryFunctions() {
  namespace e = orrery::elementary;
  using A = std::array<double, 1>;
  using F = std::array<float, 1>;
  const auto none = std::optional<Kind>();
  elementary<double>("sin", Kind::Angle, none, 3, [](double x, double) { return A{e::sin(x)}; });
  elementary<double>("cos", Kind::Angle, none, 3, [](double x, double) { return A{e::cos(x)}; });
  elementary<double>("sincos", Kind::Angle, none, 3, [](double x, double) {
    std::array<double, 2> r{};
    e::sincos(x, r[0], r[1]);
    return r;
  });
  elementary<double>("tan", Kind::Angle, none, 1, [](double x, double) { return A{e::tan(x)}; });
  elementary<double>("asin", Kind::Unit, none, 0, [](double x, double) { return A{e::asin(x)}; });
  elementary<double>("acos", Kind::Unit, none, 0, [](double x, double) { return A{e::acos(x)}; });
  elementary<double>("atan", Kind::Real, none, 3, [](double x, double) { return A{e::atan(x)}; });
  elementary<double>("atan2", Kind::Real, Kind::Real, 3,
                     [](double x, double y) { return A{e::atan2(x, y)}; });
  elementary<double>("hypot", Kind::Real, Kind::Real, 3,
                     [](double x, double y) { return A{e::hypot(x, y)}; });
  elementary<double>("sinh", Kind::Real, none, 3, [](double x, double) { return A{e::sinh(x)}; });
  elementary<double>("tanh", Kind::Real, none, 2, [](double x, double) { return A{e::tanh(x)}; });
  elementary<double>("asinh", Kind::Real, none, 3, [](double x, double) { return A{e::asinh(x)}; });
  elementary<double>("atanh", Kind::Unit, none, 0, [](double x, double) { return A{e::atanh(x)}; });
  elementary<double>("expm1", Kind::Real, none, 3, [](double x, double) { return A{e::expm1(x)}; });
  elementary<double>("log", Kind::Positive, none, 8, [](double x, double) { return A{e::log(x)}; });
  elementary<double>("log10", Kind::Positive, none, 8,
                     [](double x, double) { return A{e::log10(x)}; });
  elementary<double>("pow", Kind::Positive, Kind::Real, 3,
                     [](double x, double y) { return A{e::pow(x, y)}; });
  elementary<float>("asinf", Kind::Unit, none, 0, [](float x, float) { return F{e::asin(x)}; });
  elementary<float>("acosf", Kind::Unit, none, 0, [](float x, float) { return F{e::acos(x)}; });
  elementary<float>("logf", Kind::Positive, none, 8, [](float x, float) { return F{e::log(x)}; });
  elementary<float>("log10f", Kind::Positive, none, 8,
                    [](float x, float) { return F{e::log10(x)}; });
  elementary<float>("powf", Kind::Positive, Kind::Real, 3,
                    [](float x, float y) { return F{e::pow(x, y)}; });
}

// The library's conversions at kDraws seeded places: the grid both ways with
// convergence and scale, the viewer's UTM series, geographic to Cartesian.
void places() {
  Draw d{0x91ace5};
  const auto place = [&d] {
    const double u = d.within(0);
    const double v = d.within(0);
    return std::array<double, 3>{u * 90.0, v * 180.0, d.within(0) * 1e4};
  };
  digested("grid", [&](int) {
    const auto p = place();
    const GridPosition g = LatLonToGrid(p[0], p[1]);
    const GeoPosition q = GridToLatLon(g.zone, g.north, g.easting, g.northing);
    return std::array<double, 8>{g.easting,  g.northing,  g.convergence, g.scale,
                                 q.latitude, q.longitude, q.convergence, q.scale};
  });
  digested("utmseries", [&](int) {
    const auto p = place();
    const double lat = p[0] * (80.0 / 90.0);
    const gridlot::UTMZone zone(lat, p[1]);
    std::array<double, 4> r{};
    zone.LatLongToUTM(lat, p[1], &r[0], &r[1]);
    zone.UTMToLatLong(r[0], r[1], &r[2], &r[3]);
    return r;
  });
  digested("llacart", [&](int) {
    const auto p = place();
    const Vec3d c = convert::LLAToNorm(Vec3d{p[1], p[0], p[2]}).getCartesian();
    const Vec3d back = convert::NormToLLA(c.getSpherical());
    return std::array<double, 6>{c.x, c.y, c.z, back.x, back.y, back.z};
  });
}

void scalars() {
  for (const double c : kScalars) {
    const double x = opaque(c);
    const auto xf = static_cast<float>(x);
    line("fabs", FastMath::fabs(x), FastMath::fabs(xf), std::signbit(FastMath::fabs(x)),
         std::signbit(FastMath::fabs(xf)));
    line("sign", FastMath::sign(x), FastMath::sign(xf));
    line("inv", FastMath::inv(x), FastMath::inv(xf), FastMath::rsqrt(xf));
    line("sqrt", FastMath::sqrt(x), FastMath::sqrt(xf));
    line("asin", FastMath::asin(x), FastMath::asin(xf), FastMath::acos(x), FastMath::acos(xf));
    line("pow", FastMath::pow(x, 1.5), FastMath::pow(xf, 0.5f), FastMath::pow(2.0, x));
    line("log", FastMath::log(x), FastMath::log(xf), FastMath::log10(x), FastMath::log10(xf),
         FastMath::log2(x), FastMath::log2(xf));
    line("fastsin", FastMath::fastsin(xf), FastMath::fastcos(xf));
    double s, c2;
    float sf, cf;
    FastMath::sincos(x, s, c2);
    FastMath::sincos(xf, sf, cf);
    line("sincos", s, c2, sf, cf, FastMath::sin(x), FastMath::cos(xf));
    Vec2d v2{x, 2.0};
    Vec3d v3{1.0, x, -3.0};
    Vec2f v2f{xf, 2.0f};
    Vec3f v3f{1.0f, xf, -3.0f};
    line("normalize", FastMath::normalize(v2), v2, FastMath::normalize(v3), v3,
         FastMath::normalize(v2f), v2f, FastMath::normalize(v3f), v3f);
    line("length", length(Vec3d{x, 1.0, 2.0}), length(Vec3f{xf, 1.0f, 2.0f}));
  }
  // Arguments are evaluated in an unspecified order: calls that change
  // their operands are made before line().
  Vec3d zero{opaque(0.0), 0.0, 0.0};
  const double kept = divideByLength(zero);
  line("dividebylength0", kept, zero);
  const double factor = FastMath::normalize(zero);
  line("normalize0", factor, zero);
  line("tolerances", kAlmostEqualTolerance, kAlmostEqualToleranceF);
}

void vectors() {
  const Mat4d a = matrixA();
  const Mat4d b = matrixB();
  Mat4d ab;
  ab.mul(a, b);
  line("mat4mul", ab);
  Mat4d aa = a;
  aa.mul(aa, aa);
  line("mat4mulself", aa);
  const Mat4f af(a);
  line("mat4f", af, Mat4d(af));
  const Vec4d v{opaque(1.5), -2.0, 0.25, 1.0};
  Vec4d r;
  r.mul(v, b);
  line("vec4mul", r);
  r.mulTranspose(v, b);
  line("vec4mulT", r);
  Vec3d p{opaque(0.5), 1.5, -2.5};
  p *= a;
  line("vec3point", p);
  p.project(b);
  line("vec3project", p);
  Vec3d q;
  q.mul(Vec3d{opaque(1.0), 2.0, 3.0}, 0.0, b);
  line("vec3dir", q);
  Mat3d m3;
  m3.set(opaque(1.0), 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 10.0);
  Vec3d r3;
  line("mat3", m3);
  r3.mul(Vec3d{opaque(0.1), 0.2, 0.3}, m3);
  line("vec3mul3", r3);
  r3.mulTranspose(Vec3d{opaque(0.1), 0.2, 0.3}, m3);
  line("vec3mul3T", r3);
  Vec2d r2;
  r2.mul(Vec2d{opaque(0.7), -0.3}, 1.0, m3);
  line("vec2mul3", r2);
  Vec3f f{opaque(0.5f), -1.5f, 2.5f};
  f *= af;
  line("vec3f", f);
  f.project(Mat4f(b));
  line("vec3fproject", f);
  for (int i = -1; i <= 4; ++i) {
    Vec4d row{9, 9, 9, 9};
    row.getRow(a, opaque(i));
    Vec4d col{9, 9, 9, 9};
    col.getCol(a, opaque(i));
    line("rowcol", row, col);
  }
  line("cross", cross(Vec3d{opaque(1.0), 2.0, 3.0}, Vec3d{-4.0, 5.0, 0.5}),
       dot(Vec3d{opaque(1.0), 2.0, 3.0}, Vec3d{-4.0, 5.0, 0.5}));
}

void viewMatrices() {
  Mat4d inv = matrixB();
  line("invert", math::invertFullPivot(inv), inv);
  Mat4d singular = matrixA();
  for (int c = 0; c < 4; ++c) {
    singular.m[4 + c] = singular.m[c] * opaque(2.0);
  }
  line("invertsingular", math::invertFullPivot(singular));
  const Vec3d eyes[] = {{opaque(1.0), 2.0, 3.0}, {0.0, 0.0, 5.0}, {-3.0, 0.5, 0.0}};
  for (const Vec3d &eye : eyes) {
    Mat4d view;
    view.buildLookAt(eye, Vec3d{opaque(0.0), 0.0, 0.0}, Vec3d{0.1, 1.0, 0.0});
    line("lookat", view);
    Vec3d pos, fwd, up, right;
    line("viewparams", view.getNormalizedViewParams(pos, fwd, up, right), pos, fwd, up, right);
    line("roll", view.getRoll());
    view.setRoll(opaque(0.3));
    line("setroll", view, view.getRoll());
  }
  Mat4d straightDown;
  straightDown.buildLookAt(Vec3d{opaque(0.0), 5.0, 0.0}, Vec3d{0, 0, 0}, Vec3d{0, 0, -1});
  line("rolldown", straightDown.getRoll());
}

void quaternions() {
  const Quatd a(opaque(0.1), 0.2, 0.3, 0.9);
  const Quatd b(opaque(-0.4), 0.1, 0.8, 0.2);
  line("quatmul", a * b, b * a);
  Mat4d m;
  m.fromQuaternion(a);
  line("quatmatrix", m);
  Quatd back;
  back.fromMatrix(m);
  line("quatfrommatrix", back);
  Mat4d half = Mat4d::identity;
  half.m[0] = opaque(-1.0);
  half.m[5] = -1.0;
  back.fromMatrix(half);
  line("quathalfturn", back);
  Quatd r;
  r.buildRotation(Vec3d{opaque(1.0), 0.0, 0.0}, Vec3d{0.0, 1.0, 0.0});
  line("buildrotation", r);
  r.buildRotation(Vec3d{opaque(1.0), 0.0, 0.0}, Vec3d{-1.0, 0.0, 0.0});
  line("buildrotationopposite", r);
  r.buildRotation(Vec3d{opaque(0.0), 0.0, 0.0}, Vec3d{-1.0, 0.0, 0.0});
  line("buildrotationzero", r);
  r.buildRotation(Vec3d{opaque(1.0), 0.0, 0.0}, Vec3d{0.0, 1.0, 0.0}, Vec3d{0.0, 0.0, 1.0},
                  Vec3d{1.0, 1.0, 0.0});
  line("buildrotation2", r);
  for (const double t : {0.0, 0.25, 0.5, 1.0, 1.5}) {
    Quatd s;
    const double gap = s.slerp(a, b, opaque(t));
    line("slerp", gap, s);
  }
  Quatd near;
  line("slerpnear", near.slerp(a, Quatd(0.1, 0.2, 0.3, 0.9000001), opaque(0.5)), near);
  Quatd zero(opaque(0.0), 0.0, 0.0, 0.0);
  m.fromQuaternion(zero);
  line("quatzero", m, zero * a);
}

void cameras() {
  RefPtr<QuatCartesianCam> cam(new QuatCartesianCam());
  cam->setPosition(Vec3d{opaque(0.0), 0.0, 3.0});
  line("camera", cam->getMatrix(), cam->getWorldOrientation());
  cam->lookAt(Vec3d{opaque(1.0), 0.5, 0.0});
  line("cameralookat", cam->getRotation(), cam->getMatrix());
  cam->pitch(opaque(0.2));
  cam->yaw(opaque(-0.3));
  cam->roll(opaque(0.4));
  line("cameraturn", cam->getRotation(), cam->getUpVec(), cam->getTowardsVec(), cam->getRightVec());
  cam->moveTowardsVec(opaque(0.5));
  cam->moveRightVec(opaque(-0.25));
  cam->moveUpVec(opaque(0.125));
  cam->translate(Vec3d{opaque(0.01), 0.02, 0.03});
  line("cameramove", cam->getPosition());
  cam->pitchTo(Vec3d{opaque(0.0), 1.0, -1.0});
  cam->yawTo(Vec3d{opaque(1.0), 0.0, -1.0});
  cam->rollTo(Vec3d{opaque(0.2), 1.0, 0.0});
  cam->pitchUpVecTo(Vec3d{opaque(0.0), 1.0, 0.0});
  line("cameraturnto", cam->getRotation(), cam->getWorldOrientation());
  cam->rotate(Vec3d{opaque(0.0), 1.0, 0.0}, 0.5);
  cam->cameraSpaceRotate(Vec3d{opaque(1.0), 0.0, 0.0}, -0.25);
  cam->rotate(Quatd(opaque(0.0), 0.0, 0.0995, 0.995));
  line("camerarotate", cam->getRotation());
  cam->setRotation(Vec3d{opaque(0.0), 0.0, -1.0}, Vec3d{1.0, 0.0, 0.0});
  line("camerasetrotation", cam->getRotation());
  Mat4d view;
  view.buildLookAt(Vec3d{opaque(2.0), 1.0, 2.0}, Vec3d{0, 0, 0}, Vec3d{0, 1, 0});
  const bool derived = cam->derive(view);
  line("cameraderive", derived, cam->getPosition(), cam->getRotation());
  RefPtr<ICartesianCam> copy = cam->clone();
  line("cameraclone", copy->getMatrix());
  // Signed zeros and non-finite positions and rotations pass through as they are.
  for (const Vec3d &p :
       {Vec3d{opaque(0.0), -0.0, 2.0}, Vec3d{kInf, 1.0, 0.0}, Vec3d{kNaN, 0.0, -kInf}}) {
    for (const Quatd &q : {Quatd(opaque(0.0), 0.0, 0.0, 1.0), Quatd(0.5, -0.5, 0.5, 0.5),
                           Quatd(kNaN, 0.0, 0.0, 1.0)}) {
      cam->position = p;
      cam->rotation = q;
      line("cameranonfinite", cam->getMatrix());
    }
  }
}

void geodesy() {
  const double value = opaque(1234.5678);
  for (int from = 0; from < 12; ++from) {
    for (int to = 0; to < 12; to += 3) {
      line("length", Units::convertLength(value, Units::LType(from), Units::LType(to)),
           Units::convertArea(value, Units::AType(from % 9), Units::AType(to % 9)));
    }
  }
  const Vec3d lla{opaque(-122.4194), 37.7749, 52.0};
  const Vec3d norm = convert::LLAToNorm(lla);
  line("norm", norm, convert::NormToLLA(norm));
  const Vec3d sphericals[] = {{opaque(-1.0), 0.0, 0.0}, {0.25, 0.3, 0.001}, {0.999, -0.5, -0.1},
                              {-0.75, 0.5, 2.0},        {0.0, 0.0, -1.0},   {1.5, 0.2, 0.0}};
  for (const Vec3d &s : sphericals) {
    const Vec3d c = s.getCartesian();
    Vec3f f{static_cast<float>(s.x), static_cast<float>(s.y), static_cast<float>(s.z)};
    f.toCartesian();
    Vec3f g = f;
    g.toSpherical();
    line("spherical", c, c.getSpherical(), f, g);
  }
  line("sphericaledge", Vec3d{opaque(0.0), 0.0, 0.0}.getSpherical(),
       Vec3d{opaque(0.0), 1.0, 0.0}.getSpherical(),
       Vec3d{opaque(1e-300), 0.0, -1e-300}.getSpherical());
  for (const double v : {-1.0, -0.5, 0.0, 0.123456789, 0.9999999999999999, 1.0, -1.5, kNaN}) {
    line("hms", convert::SphToHms(opaque(v)));
  }
  for (const double d :
       {-180.5, -180.0, -45.5, -0.5, 0.0, 12.3456789, 179.9999999, 180.0, 3e9, kInf, kNaN}) {
    line("dms", convert::SphToDms(opaque(d)), convert::SphToDmm(opaque(d)));
  }
  line("arc", convert::altToArcDegrees(opaque(1000.0), 0.1),
       convert::altToArcDegrees(opaque(0.0), 3.0), convert::altToArcDegrees(opaque(-5.0e6), 1.0));
  line("azimuth", azimuthToPoint(opaque(0.6), -2.1, 0.9, 0.3),
       azimuthToPoint(opaque(0.0), 0.0, 0.0, 0.0),
       azimuthToPoint(opaque(1.5707963267948966), 0.0, -0.2, 1.0));
  line("clockwise",
       clockwiseAngle(Vec3d{opaque(1.0), 0.0, 0.0}, Vec3d{0.0, 0.0, 1.0}, Vec3d{0.0, 1.0, 0.0}),
       clockwiseAngle(Vec3d{opaque(0.3), 0.4, 0.5}, Vec3d{-0.1, 0.2, 0.9}, Vec3d{0.0, 0.0, 1.0}));

  for (double lat = -84.0; lat <= 86.0; lat += 12.5) {
    for (double lon = -181.0; lon < 200.0; lon += 23.75) {
      const gridlot::UTMZone zone(opaque(lat), opaque(lon));
      double e = 0, n = 0, la = 0, lo = 0;
      zone.LatLongToUTM(opaque(lat), opaque(lon), &e, &n);
      zone.UTMToLatLong(e, n, &la, &lo);
      line("utm", int(zone.getZoneNumber()), zone.getZoneLetter(), e, n, la, lo);
    }
  }
  for (const double lon : {kNaN, kInf, 1e12, 539.0, 360e6 + 3}) {
    const gridlot::UTMZone zone(opaque(60.0), opaque(lon));
    double e = 0, n = 0;
    zone.LatLongToUTM(60.0, lon, &e, &n);
    line("utmedge", int(zone.getZoneNumber()), zone.getZoneLetter(), e, n);
  }

  for (const double t : {-0.5, 0.0, 0.25, 0.5, 1.0, 2.0}) {
    double x = 0, y = 0;
    const double d = hlerp_uhp(opaque(-1.0), 0.5, 3.0, 2.0, opaque(t), &x, &y);
    double cx = 0, cy = 0;
    const double dc = hlerp_uhp(opaque(5.0), 2.0, 5.0, 2.0, opaque(t), &cx, &cy);
    line("hlerp", d, x, y, dc, cx, cy);
  }
  line("hdist", hdist_uhp(opaque(0.0), 1.0, 0.0, 2.718281828459045),
       hdist_uhp(opaque(0.0), 1.0, 1e-9, 1.0), hdist_uhp(opaque(-50.0), 0.01, 50.0, 0.01));
  const double keys[4] = {opaque(0.0), 1.0, 4.0, 2.0};
  auto blend = [](const void *a, const void *b, double w, void *out, void *) {
    *static_cast<double *>(out) =
        (1.0 - w) * *static_cast<const double *>(a) + w * *static_cast<const double *>(b);
    return true;
  };
  for (const double t : {1.0, 1.25, 1.5, 2.0, 2.5}) {
    double out = 0, s01 = 0, s23 = 0;
    const bool ok = spline(0.0, &keys[0], 1.0, &keys[1], 2.5, &keys[2], 3.0, &keys[3], opaque(t),
                           blend, nullptr, &out, &s01, &s23);
    line("spline", ok, out, s01, s23);
  }

  const DateTime dates[] = {DateTime(2000, 1, 1, 12, 0, 0.0), DateTime(2026, 12, 5, 16, 30, 15.5),
                            DateTime(1582, 10, 15), DateTime::fromJulianDate(opaque(1e9)),
                            DateTime(2023, 2, 30)};
  for (const DateTime &when : dates) {
    line("zenith", when.toJulianDate(),
         skymath::ComputeZenithInDecRA(when, Vec2d{opaque(0.7), -2.1}),
         skymath::ComputeZenithInDecRA(when, Vec2d{opaque(-0.2), 3.14159}));
  }
}

void culling() {
  using Box = BoundingBox<double, Vec3d>;
  const Box boxes[] = {Box(), Box(Vec3d{opaque(-1.0), -1.0, -1.0}, Vec3d{1.0, 1.0, 1.0}),
                       Box(Vec3d{opaque(0.8), -0.2, 0.0}, Vec3d{1.3, 0.4, 0.0}),
                       Box(Vec3d{opaque(-1.2), -0.3, 0.0}, Vec3d{-0.9, 0.1, 0.0}),
                       Box(Vec3d{opaque(-1.0), 0.0, 0.0}, Vec3d{1.0, 0.5, 0.0})};
  const Vec3d points[] = {
      {opaque(0.0), 0.0, 0.0}, {1.0, 1.0, 1.0}, {1.0, 0.0, 1.0000001}, {kNaN, 0.0, 0.0}};
  const Plane<double, Vec3d, Vec4d> planes[] = {
      {opaque(0.0), 0.0, 1.0, 0.0}, {0.6, 0.8, 0.0, -0.5}, {-0.6, 0.0, 0.8, 2.0}};
  for (const Box &box : boxes) {
    line("box", box.isEmpty(), box.getCenter());
    for (const Box &other : boxes) {
      line("boxbox", int(box.isect(other)));
    }
    for (const Vec3d &p : points) {
      line("boxpoint", int(box.isect(p)), int(box.isectLatLon(p)),
           int(box.isect(p, Vec3d{opaque(2.0), 0.5, -3.0})));
    }
    for (const auto &plane : planes) {
      line("boxplane", int(box.isect(plane)));
    }
    double t = -1;
    const bool hit = RayBoxIntersect<double, Vec3d, Box>(Vec3d{opaque(-5.0), 0.1, 0.2},
                                                         Vec3d{1.0, 0.00005, -0.01}, box, 100.0, t);
    line("raybox", hit, t);
  }
  BoundingBox<float, Vec3f> boxF(Vec3f{opaque(-1.0f), -1.0f, -1.0f}, Vec3f{1.0f, 1.0f, 1.0f});
  float tf = -1;
  line("rayboxf",
       RayBoxIntersect<float, Vec3f, BoundingBox<float, Vec3f>>(
           Vec3f{opaque(-3.0f), 0.2f, 0.1f}, Vec3f{1.0f, 0.1f, 0.0f}, boxF, 10.0f, tf),
       tf);
  Box grown;
  grown.add(Vec3d{opaque(1.0), 2.0, 3.0});
  grown.add(Vec3d{opaque(-1.0), 5.0, 0.0});
  Box inter = grown;
  inter.intersectBoxSimple(boxes[1]);
  Box dl;
  Box::intersectDatelineBox(dl, boxes[2], boxes[3]);
  line("boxops", grown.min, grown.max, inter.min, inter.max, dl.min, dl.max);

  Mat4d view;
  view.buildLookAt(Vec3d{opaque(1.0), 2.0, 5.0}, Vec3d{0, 0, 0}, Vec3d{0, 1, 0});
  Frustum frustum;
  line("frustumbuild", frustum.build(view, perspective(opaque(0.8), 1.5, 0.1, 50.0)));
  for (int i = 0; i < frustum.count; ++i) {
    line("frustumplane",
         Vec4d{frustum.planes[i].x, frustum.planes[i].y, frustum.planes[i].z, frustum.planes[i].w});
  }
  line("frustumeye", frustum.eye, frustum.edges[0], frustum.edges[1], frustum.edges[2],
       frustum.edges[3]);
  for (const Vec3d &p : {Vec3d{opaque(0.0), 0.0, 0.0}, Vec3d{1.0, 2.0, 6.0}, Vec3d{5, 5, 5},
                         Vec3d{0.9, 1.8, 4.5}, Vec3d{kNaN, 0, 0}}) {
    line("frustumpoint", frustum.isPtInside(p), frustum.isZCulled(p));
  }
  Frustum failed;
  line("frustumfail", failed.build(view, Mat4d{}), failed.count);

  const auto ray = geometry::RayPointDistance(Vec3d{opaque(0.0), 0.0, 0.0}, Vec3d{0.6, 0.8, 0.0},
                                              Vec3d{1.0, 3.0, -2.0});
  const auto behind = geometry::RayPointDistance(Vec3d{opaque(0.0), 0.0, 0.0}, Vec3d{0.6, 0.8, 0.0},
                                                 Vec3d{-1.0, -3.0, -2.0});
  line("raypoint", ray.first, ray.second, behind.first, behind.second);
  const Vec3f t0{opaque(0.0f), 0.0f, 0.0f}, t1{2.0f, 0.0f, 0.0f}, t2{0.0f, 2.0f, 0.0f};
  for (const Vec3f &p :
       {Vec3f{opaque(0.5f), 0.5f, 2.0f}, Vec3f{-1.0f, -1.0f, 1.0f}, Vec3f{3.0f, 3.0f, 0.0f},
        Vec3f{1.5f, -1.0f, 0.5f}, Vec3f{-1.0f, 1.0f, -0.5f}, Vec3f{3.0f, -1.0f, 0.0f}}) {
    Vec3f closest{}, normal{};
    const float sq = geometry::PtTriSqrDistance(p, t0, t1, t2, closest, normal);
    line("pttri", sq, closest, normal);
  }
  Vec3f closest{}, normal{};
  line("pttriflat",
       geometry::PtTriSqrDistance(Vec3f{opaque(-1.5f), 2.0f, 0.0f}, t0, t1, Vec3f{-2, 0, 0},
                                  closest, normal),
       closest, normal);
  const Vec3d d0{opaque(0.0), 0.0, 1.0}, d1{2.0, 0.0, 2.0}, d2{0.0, 2.0, 3.0};
  for (const Vec2d &p : {Vec2d{opaque(0.5), 0.5}, Vec2d{0.0, 0.0}, Vec2d{1.5, 1.5}}) {
    double z = -1;
    line("pt2dtri", Pt2dTriIntersect<double, Vec2d, Vec3d>(p, d0, d1, d2, z), z);
  }
  for (const Vec3d &o :
       {Vec3d{opaque(0.5), 0.5, 10.0}, Vec3d{0.5, 0.5, -10.0}, Vec3d{3.0, 3.0, 10.0}}) {
    Vec3d hit{};
    double t = 0;
    Vec3d bary{};
    const bool ok = RayTriIntersect<double, Vec3d>(o, Vec3d{opaque(0.01), 0.02, -2.0}, d0, d1, d2,
                                                   hit, t, &bary);
    Vec3f hitF{};
    float tF = 0;
    const bool okF = RayTriIntersect<float, Vec3f>(
        Vec3f{float(o.x), float(o.y), float(o.z)}, Vec3f{opaque(0.01f), 0.02f, -2.0f},
        Vec3f{0, 0, 1}, Vec3f{2, 0, 2}, Vec3f{0, 2, 3}, hitF, tF, nullptr);
    line("raytri", ok, hit, t, bary, okF, hitF, tF);
  }

  Octahedron octa;
  Icosahedron icosa;
  for (const Polyhedron *p : std::initializer_list<const Polyhedron *>{&octa, &icosa}) {
    line("polycounts", p->numVertices, p->numFaces, p->numTexCoords, p->numIndexPairs);
    for (int i = 0; i < p->numVertices; ++i) {
      line("polyvertex", p->vertices[i]);
    }
    for (int i = 0; i < p->numTexCoords; ++i) {
      line("polytex", p->texCoords[i], p->indexPairs[i][0], p->indexPairs[i][1]);
    }
    for (int i = 0; i < p->numFaces; ++i) {
      line("polyface", p->faces[i][0], p->faces[i][1], p->faces[i][2]);
    }
  }
}

} // namespace

void surface(const FovDelimitedSurface &s, const Frustum &frustum, const Mat4d &view,
             const Mat4d &projection) {
  bool wrapU = false, wrapV = false;
  s.getWrapping(wrapU, wrapV);
  line("surface", s.valid, wrapU, wrapV, s.getWidthHeightRatio(), s.origin, s.viewDir, s.upAxis,
       s.rightAxis);
  for (const double u : {-1.0, -0.5, 0.0, 0.75, 1.0, 1.5}) {
    bool ok = false;
    const Vec3d p = s.getPointFromCoords(opaque(u), 0.5 * u, &ok);
    double ru = 0, rv = 0;
    const bool rel = s.getRelativeCoords(p, ru, rv);
    Vec3d hit{};
    const bool hitOk = s.intersectRay(s.origin, p - s.origin, hit, true);
    Vec3d moved = p + Vec3d{opaque(0.001), -0.002, 0.003};
    s.projectToSurface(moved);
    Vec3d snapped = p;
    const bool snap = s.doSnapPoint(snapped);
    line("surfacepoint", ok, p, rel, ru, rv, hitOk, hit, moved, snap, snapped, s.getNormal(p),
         s.isPtOnSurface(p), s.isPtOnFiniteSurface(p));
  }
  Vec3d hit{};
  line("surfacemiss",
       s.intersectRay(s.origin + Vec3d{opaque(0.0), 0.0, 0.05}, Vec3d{0.0, 1.0, 0.0}, hit, true),
       hit);
  Rect<double, Vec2d> rect{{opaque(9.0), 9.0}, {9.0, 9.0}};
  s.cullToFrustum(frustum, rect);
  Vec3d dir{};
  s.getViewDirection(Vec3d{opaque(0.3), 0.2, -1.0}, dir);
  line("surfacecull", rect.min, rect.max, s.isViewCloseToSurface(view, projection, 0.25),
       s.getViewingDistance(0.8, 0.6, 0.9), s.getViewingDistance(-1.0, 0.6, 0.9), dir,
       s.wrapCoords(Vec2d{opaque(1.25), -1.5}));
}

namespace {

void surfaces() {
  Mat4d placement;
  placement.buildLookAt(Vec3d{opaque(0.2), 0.1, -0.3}, Vec3d{0.2, 0.1, -1.3}, Vec3d{0, 1, 0});
  math::invertFullPivot(placement); // rows right, up, backward, viewpoint
  const Mat4d projection = perspective(opaque(0.9), 1.5, 1e-4, 1.0);
  Mat4d view;
  view.buildLookAt(Vec3d{opaque(0.2), 0.1, -0.3}, Vec3d{0.4, 0.15, -1.3}, Vec3d{0, 1, 0});
  Frustum frustum;
  frustum.build(view, projection);

  RefPtr<Rectangle> rectangle(new Rectangle(placement, opaque(0.01), 0.4, -0.3, -0.6, 0.5));
  RefPtr<Cylinder> cylinder(new Cylinder(placement, opaque(0.02), 0.5, -0.5, -0.8, 0.7));
  RefPtr<Cylinder> panorama(new Cylinder(placement, opaque(0.02), 0.5, -0.5, -3.0, 3.1));
  RefPtr<Sphere> sphere(new Sphere(placement, opaque(0.03), 1.5707963267948966, -0.4, -2.5, 2.9));
  sphere->checkValid();
  RefPtr<Sphere> invalid(new Sphere(placement, opaque(0.03), 0.4, 0.5, -2.5, 2.9));
  invalid->checkValid();
  using Surfaces = std::initializer_list<const FovDelimitedSurface *>;
  for (const FovDelimitedSurface *s :
       Surfaces{rectangle.get(), cylinder.get(), panorama.get(), sphere.get(), invalid.get()}) {
    surface(*s, frustum, view, projection);
  }
  line("rectanglecorners", rectangle->cornerPoints[0], rectangle->cornerPoints[2],
       rectangle->lengthU, rectangle->lengthV);
  line("cylinderheights", cylinder->bottomHeight, cylinder->height);

  double t0 = -1, t1 = -1;
  const bool param = Sphere::IsectSphereParam(Vec3d{opaque(-3.0), 0.5, 0.0}, Vec3d{2.0, 0.0, 0.0},
                                              Vec3d{0, 0, 0}, 1.0, t0, t1);
  line("spherestatic", param, t0, t1);
  for (int which = 0; which < 3; ++which) {
    Vec3d p{};
    const bool ok = Sphere::IsectRaySphere(Vec3d{opaque(0.2), 0.1, 0.0}, Vec3d{1.0, 0.5, 0.25},
                                           Vec3d{0.0, 0.0, 0.0}, 2.0, Sphere::RayT(which), p);
    Vec3d c{};
    const bool clamped =
        Sphere::ClampIsectRaySphere(Vec3d{opaque(3.0), 0.0, 0.0}, Vec3d{0.0, 1.0, 0.2},
                                    Vec3d{0.5, 0.0, 0.0}, 1.5, Sphere::RayT(which), c);
    Vec3d u{};
    const bool unit = Sphere::ClampIsectRayUnitSphere(Vec3d{opaque(2.0), 0.0, 0.0},
                                                      Vec3d{1.0, 0.0, 0.0}, Sphere::RayT(which), u);
    line("spherestatic", ok, p, clamped, c, unit, u);
  }
  line("isnear", FovDelimitedSurface::IsNear(opaque(1.0), 1.0 + 1e-9),
       FovDelimitedSurface::IsNear(opaque(1.0), 1.0 + 1e-7));
}

void layout() {
  RefPtr<Range> root(new Range(opaque(-120.0), 840.0));
  RefPtr<RelativeRange> mid(new RelativeRange(root.get(), Layout{0.125, Layout::kPinFraction},
                                              Layout{-40.0, Layout::kPinEnd}));
  RefPtr<RelativeRange> leaf(new RelativeRange(mid.get(), Layout{16.0, Layout::kPinBegin},
                                               Layout{0.75, Layout::kPinFraction}));
  line("range", root->getBegin(), root->getEnd(), mid->getBegin(), mid->getEnd(), leaf->getBegin(),
       leaf->getEnd(), leaf->getSpan());
  for (int pin = 0; pin < 3; ++pin) {
    const auto type = static_cast<Layout::PinType>(pin);
    line("rangeas", leaf->getBeginLayoutAsType(type).value, leaf->getEndLayoutAsType(type).value,
         mid->getEndLayoutAsType(type).value);
  }
  RefPtr<Range> inverted(new Range(opaque(5.0), 1.0));
  line("rangeinverted", inverted->getBegin(), inverted->getEnd(), inverted->getSpan());
  RefPtr<Range> other(new Range(opaque(0.0), 600.0));
  RefPtr<AbsoluteRange2d> screen(new AbsoluteRange2d(root.get(), other.get()));
  RefPtr<RelativeRange2d> panel(new RelativeRange2d(screen.get()));
  panel->set(Layout2d{{0.1, Layout::kPinFraction}, {8.0, Layout::kPinBegin}},
             Layout2d{{-8.0, Layout::kPinEnd}, {0.5, Layout::kPinFraction}});
  const Layout2d corner = panel->getEndLayoutAsType(Layout::kPinBegin, Layout::kPinFraction);
  line("range2d", (*panel)[0]->getBegin(), (*panel)[0]->getEnd(), (*panel)[1]->getBegin(),
       (*panel)[1]->getEnd(), corner.x.value, corner.y.value);
  line("units", ScreenVec::unitsFromString(QStringLiteral("12 insetPixels")),
       ScreenVec::unitsFromString(QStringLiteral("fraction")),
       ScreenVec::unitsFromString(QStringLiteral("Pixels")));
  const math::ScreenSpaceCalculator calc(Vec3d{opaque(0.0), 0.0, 1.0}, Vec2d{1.0, 0.75},
                                         Vec2<int>{800, 600});
  const math::ScreenSpaceCalculator none(Vec3d{opaque(0.0), 0.0, 1.0}, Vec2d{1.0, 0.75},
                                         Vec2<int>{0, 600});
  line("screenspace", calc.getPixelTanX(), calc.getPixelTanY(), calc.getPixelTanSq(),
       none.getPixelTanSq());
}

} // namespace

std::string results() {
  tOutput.clear();
  scalars();
  vectors();
  viewMatrices();
  quaternions();
  cameras();
  geodesy();
  culling();
  surfaces();
  layout();
  elementaryFunctions();
  places();
  return std::move(tOutput);
}

} // namespace orrery::golden

#ifndef ORRERY_GOLDEN_NO_MAIN
int main(int argc, char **argv) {
  orrery::golden::tExpand = argc > 1 && std::string(argv[1]) == "--expand";
  const std::string out = orrery::golden::results();
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
#endif
