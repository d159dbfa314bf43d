// orrery dms, hms and zenith: splitting angles and the sky straight above a
// place.

#include "tools/Commands.h"
#include "tools/Json.h"
#include "tools/Stream.h"
#include "tools/Text.h"

#include "common/DateTime.h"
#include "math/SkyMath.h"
#include "math/Units.h"
#include "math/Vector.h"

#include <cstdio>

namespace orrery::tool {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegToRad = 0.017453292519943295;

std::string format(const char *pattern, double a, double b, int decimals, double c) {
  char text[512];
  std::snprintf(text, sizeof text, pattern, a, b, decimals, c);
  return text;
}

// -45.5 as "-45° 30' 0.000"". The library carries the sign on the whole
// degrees only, so an angle above -1 shows it here ("-0° 30' 0.000"").
std::string dmsText(double degrees, const Vec3d &dms, int decimals) {
  const char *sign = degrees < 0.0 && dms.x == 0.0 ? "-" : "";
  return sign + format("%.0f° %.0f' %.*f\"", dms.x, dms.y, decimals, dms.z);
}

std::string dmmText(double degrees, const Vec2d &dmm, int decimals) {
  const char *sign = degrees < 0.0 && dmm.x == 0.0 ? "-" : "";
  char text[512];
  std::snprintf(text, sizeof text, "%s%.0f° %.*f'", sign, dmm.x, decimals, dmm.y);
  return text;
}

std::string hmsText(const Vec3d &hms, int decimals) {
  return format("%.0fh %02.0fm %.*fs", hms.x, hms.y, decimals, hms.z);
}

double checkedNumber(const std::string &text, const char *name, const char *unit, double lo,
                     double hi) {
  const double v = parseArgument(text, name, std::string("a number in ") + unit);
  if (v < lo || v > hi) {
    TextLine range;
    range->shortest(lo).put(" to ").shortest(hi).put(' ').put(unit);
    throw UsageError(std::string(name) + ": " + text + " is outside " + range.str());
  }
  return v;
}

} // namespace

int runDms(const AngleOptions &o) {
  const double degrees = checkedNumber(o.value, "DEGREES", "degrees", -180.0, 180.0);
  const bool negative = degrees < 0.0;
  if (o.dmm) {
    const Vec2d dmm = convert::SphToDmm(degrees);
    if (o.json) {
      JsonWriter j;
      j.beginObject().number("degrees", dmm.x).number("minutes", dmm.y);
      return writeResult("dms", j.boolean("negative", negative).endObject().text());
    }
    return writeResult("dms", dmmText(degrees, dmm, o.precision) + '\n');
  }
  const Vec3d dms = convert::SphToDms(degrees);
  if (o.json) {
    JsonWriter j;
    j.beginObject().number("degrees", dms.x).number("minutes", dms.y).number("seconds", dms.z);
    return writeResult("dms", j.boolean("negative", negative).endObject().text());
  }
  return writeResult("dms", dmsText(degrees, dms, o.precision) + '\n');
}

int runHms(const AngleOptions &o) {
  const double v = checkedNumber(o.value, "NORMALISED_LONGITUDE", "longitude / 180", -1.0, 1.0);
  const Vec3d hms = convert::SphToHms(v);
  if (o.json) {
    JsonWriter j;
    j.beginObject().number("hours", hms.x).number("minutes", hms.y).number("seconds", hms.z);
    return writeResult("hms", j.endObject().text());
  }
  return writeResult("hms", hmsText(hms, o.precision) + '\n');
}

int runZenith(const ZenithOptions &o) {
  const DateTime when = parseUtcTime(o.time);
  if (!when.isValid()) {
    throw UsageError("--time: expected an ISO 8601 UTC time such as 2000-01-01T12:00:00Z, got " +
                     quoted(o.time));
  }
  const double lat = checkedNumber(o.latitude, "--lat", "degrees", -90.0, 90.0);
  const double lon = checkedNumber(o.longitude, "--lon", "degrees", -180.0, 180.0);
  // The declination comes back in the latitude's unit; the longitude goes in
  // as radians.
  const Vec2d zenith = skymath::ComputeZenithInDecRA(when, Vec2d{lat, lon * kDegToRad});
  // The right ascension angle is (hours / 12 - 1) pi: a normalised longitude
  // once divided by pi.
  const double normalised = zenith.y / kPi;
  const double raDegrees = (normalised + 1.0) * 180.0;
  const Vec3d hms = convert::SphToHms(normalised);
  if (o.json) {
    JsonWriter j;
    j.beginObject().string("time", o.time).number("julian_date", when.toJulianDate());
    j.number("declination", zenith.x).number("right_ascension", raDegrees);
    j.triple("right_ascension_hms", hms.x, hms.y, hms.z);
    return writeResult("zenith", j.number("right_ascension_rad", zenith.y).endObject().text());
  }
  return writeResult("zenith", "julian date      " + fixedText(when.toJulianDate(), 6) +
                                   "\ndeclination      " + fixedText(zenith.x, 6) +
                                   "°\nright ascension  " + fixedText(raDegrees, 6) + "°  " +
                                   hmsText(hms, 3) + "\n");
}

} // namespace orrery::tool
