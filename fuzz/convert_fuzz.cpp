// Units, the geodetic conversions, angle splitting and the sky zenith on
// arbitrary values: results stay in their documented ranges, clamping and
// NaN behave as documented, conversions invert each other inside their
// domain, and nothing allocates.

#include "fuzz/FuzzSupport.h"
#include "math/SkyMath.h"
#include "math/Units.h"

#include <cmath>
#include <cstring>

using namespace orrery;

namespace {

using test::kPi;

bool allNaN(const Vec3d &v) { return std::isnan(v.x) && std::isnan(v.y) && std::isnan(v.z); }

bool wholeNumber(double x) { return std::trunc(x) == x; }

void checkUnits(fuzz::Input &in) {
  const double v = in.number();
  const int a = in.integer(0, 11);
  const int b = in.integer(0, 11);
  const double there = Units::convertLength(v, Units::LType(a), Units::LType(b));
  const double back = Units::convertLength(there, Units::LType(b), Units::LType(a));
  if (std::fabs(v) > 1e-250 && std::fabs(v) < 1e250) {
    FUZZ_CHECK(std::fabs(back - v) <= 1e-15 * std::fabs(v));
  }
  const int c = in.integer(0, 8);
  const int d = in.integer(0, 8);
  const double area = Units::convertArea(v, Units::AType(c), Units::AType(d));
  const double areaBack = Units::convertArea(area, Units::AType(d), Units::AType(c));
  if (std::fabs(v) > 1e-250 && std::fabs(v) < 1e250) {
    FUZZ_CHECK(std::fabs(areaBack - v) <= 1e-15 * std::fabs(v));
  }

  const Vec3d lla{in.number(), in.number(), in.number()};
  const Vec3d lla2 = convert::NormToLLA(convert::LLAToNorm(lla));
  for (int i = 0; i < 3; ++i) {
    const double x = (&lla.x)[i];
    const double y = (&lla2.x)[i];
    if (std::fabs(x) > 1e-290 && std::fabs(x) < 1e290) {
      FUZZ_CHECK(std::fabs(y - x) <= 4e-16 * std::fabs(x));
    }
  }
}

void checkSpherical(fuzz::Input &in) {
  // Any input: a longitude in [-1, 1] and a latitude in [-0.5, 0.5] unless
  // NaN is involved.
  const Vec3d cart{in.number(), in.number(), in.number()};
  const Vec3d sph = cart.getSpherical();
  if (!std::isnan(cart.x) && !std::isnan(cart.y) && !std::isnan(cart.z)) {
    FUZZ_CHECK(sph.x >= -1.0 && sph.x <= 1.0);
    FUZZ_CHECK(sph.y >= -0.5 && sph.y <= 0.5);
  }
  Vec3f cartF{float(cart.x), float(cart.y), float(cart.z)};
  cartF.toSpherical();
  cartF.toCartesian();
  Vec3d any{in.number(), in.number(), in.number()};
  any.toCartesian(any);

  // Inside the domain the two forms invert each other.
  const double lon = in.within(-1.0, 1.0);
  const double lat = in.within(-0.499, 0.499);
  const double alt = in.within(-0.9, 100.0);
  const Vec3d p{lon, lat, alt};
  const Vec3d q = p.getCartesian().getSpherical();
  const double lonError = std::fabs(q.x - p.x);
  FUZZ_CHECK(std::fmin(lonError, 2.0 - lonError) * std::cos(lat * kPi) < 1e-14);
  FUZZ_CHECK(std::fabs(q.y - p.y) < 1e-14);
  FUZZ_CHECK(std::fabs(q.z - p.z) < 1e-13 * (1.0 + alt));

  Vec3f pf{float(lon), float(lat), float(alt)};
  pf.toCartesian();
  pf.toSpherical();
  const double lonErrorF = std::fabs(double(pf.x) - double(float(lon)));
  FUZZ_CHECK(std::fmin(lonErrorF, 2.0 - lonErrorF) * std::cos(lat * kPi) < 2e-6);
  FUZZ_CHECK(std::fabs(double(pf.y) - double(float(lat))) < 2e-6);
  FUZZ_CHECK(std::fabs(double(pf.z) - double(float(alt))) < 2e-6 * (1.0 + alt));
}

void checkSplitting(fuzz::Input &in) {
  const double v = in.number();
  const Vec3d hms = convert::SphToHms(v);
  if (std::isnan(v)) {
    FUZZ_CHECK(allNaN(hms));
  } else if (v >= -1.0 && v < 1.0) {
    FUZZ_CHECK(wholeNumber(hms.x) && hms.x >= 0.0 && hms.x <= 24.0);
    FUZZ_CHECK(wholeNumber(hms.y) && hms.y >= 0.0 && hms.y < 60.0);
    FUZZ_CHECK(hms.z >= 0.0 && hms.z < 60.0);
    const double hours = hms.x + hms.y / 60.0 + hms.z / 3600.0;
    FUZZ_CHECK(std::fabs(hours / 12.0 - 1.0 - v) < 1e-14);
  } else {
    FUZZ_CHECK(hms == Vec3d::zero);
  }

  const double deg = in.flag() ? in.number() : in.within(-181.0, 181.0);
  const Vec3d dms = convert::SphToDms(deg);
  const Vec2d dmm = convert::SphToDmm(deg);
  if (std::isnan(deg)) {
    FUZZ_CHECK(allNaN(dms) && std::isnan(dmm.x) && std::isnan(dmm.y));
  } else if (deg < -180.0 || deg > 180.0) {
    FUZZ_CHECK(dms == (Vec3d{deg < 0.0 ? -180.0 : 180.0, 0.0, 0.0}));
    FUZZ_CHECK(dmm == (Vec2d{deg < 0.0 ? -180.0 : 180.0, 0.0}));
  } else {
    FUZZ_CHECK(wholeNumber(dms.x) && std::fabs(dms.x) <= std::fabs(deg));
    FUZZ_CHECK(std::fabs(deg) - std::fabs(dms.x) < 1.0);
    FUZZ_CHECK(wholeNumber(dms.y) && dms.y >= 0.0 && dms.y < 60.0);
    FUZZ_CHECK(dms.z >= 0.0 && dms.z < 60.0);
    FUZZ_CHECK(dmm.x == dms.x && dmm.y >= 0.0 && dmm.y < 60.0);
    const double magnitude = std::fabs(dms.x) + dms.y / 60.0 + dms.z / 3600.0;
    FUZZ_CHECK(std::fabs(magnitude - std::fabs(deg)) < 1e-12);
    FUZZ_CHECK(std::fabs(std::fabs(dmm.x) + dmm.y / 60.0 - std::fabs(deg)) < 1e-12);
  }

  // Near a half turn the arc sine of a sine close to 1 loses half of the
  // digits, so the zero at altitude 0 is checked up to 3 radians.
  const double angle = in.within(-3.0, 3.0);
  FUZZ_CHECK(std::fabs(convert::altToArcDegrees(0.0, angle)) < 1e-14);
  (void)convert::altToArcDegrees(in.number(), in.number());
}

void checkAngles(fuzz::Input &in) {
  const double lat1 = in.number(), lon1 = in.number(), lat2 = in.number(), lon2 = in.number();
  const double az = azimuthToPoint(lat1, lon1, lat2, lon2);
  FUZZ_CHECK(std::isnan(az) || (az >= -kPi && az <= kPi));
  if (std::isfinite(lat1) && std::isfinite(lat2) && std::isfinite(lon2 - lon1)) {
    FUZZ_CHECK(!std::isnan(az));
  }

  const Vec3d a{in.number(), in.number(), in.number()};
  const Vec3d b{in.number(), in.number(), in.number()};
  const Vec3d n{in.number(), in.number(), in.number()};
  const double cw = clockwiseAngle(a, b, n);
  FUZZ_CHECK(std::isnan(cw) || (cw >= -kPi && cw <= kPi));

  // The zenith: the declination is copied, the right ascension is in
  // [-pi, pi] for a valid date and a finite longitude.
  const double jd = in.flag() ? in.number() : in.within(2400000.0, 2500000.0);
  const Vec2d location{in.number(), in.number()};
  const Vec2d zenith = skymath::ComputeZenithInDecRA(DateTime::fromJulianDate(jd), location);
  FUZZ_CHECK(std::memcmp(&zenith.x, &location.x, sizeof(double)) == 0);
  if (std::isfinite(jd) && std::isfinite(location.y) && std::fabs(jd) < 1e12 &&
      std::fabs(location.y) < 1e12) {
    FUZZ_CHECK(zenith.y >= -kPi && zenith.y <= kPi);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  return fuzz::runOne(data, size, {checkUnits, checkSpherical, checkSplitting, checkAngles}, true);
}
