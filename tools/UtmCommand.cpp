// orrery utm: latitude/longitude to UTM and back, one position per argument
// list or per input line.

#include "tools/Commands.h"
#include "tools/Coordinates.h"
#include "tools/Stream.h"
#include "tools/Text.h"

#include "math/UTMZone.h"

#include <cmath>
#include <string_view>

namespace orrery::tool {

namespace {

constexpr double kMinLatitude = -80.0; // lowest latitude of the UTM bands
constexpr double kMaxLatitude = 84.0;  // highest
// A band letter may miss its band by the rounding of the easting and
// northing given plus this much, the projection's own error at the widened
// zones' far corners (about 1.2e-6 degrees, 0.13 m).
constexpr double kGridSlackMetres = 0.25;
constexpr double kMetresPerDegree = 110000.0; // a little under the shortest degree of latitude

struct UtmFormat {
  bool json;
  bool lonlat;
  int metreDecimals;
  int degreeDecimals;
};

std::string numberExpected(std::string_view name, std::string_view unit, std::string_view got) {
  return std::string(name) + ": expected a number in " + std::string(unit) + ", got " + quoted(got);
}

// Digits after the decimal point of a number as written.
int decimalsOf(std::string_view text) {
  const std::size_t point = text.find('.');
  int n = 0;
  for (std::size_t i = point + 1; point != std::string_view::npos && i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') {
      break;
    }
    ++n;
  }
  return n;
}

const char *hemisphereName(bool north) { return north ? "north" : "south"; }

// One position, "LAT LON", to "ZONE BAND EASTING NORTHING".
bool forwardRecord(const std::string_view *f, int n, const UtmFormat &fmt, Cursor &out,
                   std::string &message) {
  if (n != 2) {
    message = fieldsExpected(fmt.lonlat ? "LON LAT (degrees)" : "LAT LON (degrees)", n);
    return false;
  }
  LatLon p{};
  if (!parseLatLon(f[0], f[1], fmt.lonlat, p, message)) {
    return false;
  }
  if (p.latitude < kMinLatitude || p.latitude > kMaxLatitude) {
    TextLine t;
    t->shortest(p.latitude);
    message = "LAT: " + t.str() + " is outside the UTM bands, -80 to 84 degrees";
    return false;
  }
  const gridlot::UTMZone zone(p.latitude, p.longitude);
  double easting = 0.0;
  double northing = 0.0;
  zone.LatLongToUTM(p.latitude, p.longitude, &easting, &northing);
  if (!std::isfinite(easting) || !std::isfinite(northing)) {
    message = "no finite projection of this position";
    return false;
  }
  if (fmt.json) {
    out.put("{\"zone\":").integer(zone.getZoneNumber()).put(",\"band\":\"");
    out.put(zone.getZoneLetter()).put("\",\"hemisphere\":\"").put(hemisphereName(p.latitude >= 0));
    out.put("\",\"easting\":").json(easting).put(",\"northing\":").json(northing).put('}');
  } else {
    out.integer(zone.getZoneNumber()).put(' ').put(zone.getZoneLetter()).put(' ');
    out.fixed(easting, fmt.metreDecimals).put(' ').fixed(northing, fmt.metreDecimals);
  }
  return true;
}

// One UTM position, "ZONE LETTER EASTING NORTHING" or "ZONELETTER EASTING
// NORTHING", to "LAT LON". The letter is a hemisphere (n, s) or a band
// (C to X), and a band must hold the latitude found.
bool inverseRecord(const std::string_view *f, int n, const UtmFormat &fmt, Cursor &out,
                   std::string &message) {
  GridZone z;
  const int first = parseGridZone(f, n, 2, z, message); // index of the easting
  if (first == 0) {
    return false;
  }
  const auto easting = parseNumber(f[first]);
  if (!easting) {
    message = numberExpected("EASTING", "metres", f[first]);
    return false;
  }
  const auto northing = parseNumber(f[first + 1]);
  if (!northing) {
    message = numberExpected("NORTHING", "metres", f[first + 1]);
    return false;
  }
  if (*easting <= 0.0 || *easting >= 1000000.0) {
    message = "EASTING: " + std::string(f[first]) + " is outside 0 to 1000000 metres";
    return false;
  }
  if (*northing < 0.0 || *northing > 10000000.0) {
    message = "NORTHING: " + std::string(f[first + 1]) + " is outside 0 to 10000000 metres";
    return false;
  }
  const gridlot::UTMZone utm(static_cast<unsigned char>(z.zone),
                             z.band != 0 ? z.band : (z.north ? 'N' : 'M'));
  double lat = 0.0;
  double lon = 0.0;
  utm.UTMToLatLong(*easting, *northing, &lat, &lon);
  if (!std::isfinite(lat) || !std::isfinite(lon)) {
    message = "no finite inverse of this grid position";
    return false;
  }
  const int decimals = std::min(decimalsOf(f[first]), decimalsOf(f[first + 1]));
  const double slack = 0.5 * std::pow(10.0, -decimals) + kGridSlackMetres;
  if (!checkGridLatitude(z, f[first + 1], lat, slack / kMetresPerDegree, message) ||
      !wrapLongitude(lon, "LON", message)) {
    return false;
  }
  const double a = fmt.lonlat ? lon : lat;
  const double b = fmt.lonlat ? lat : lon;
  if (fmt.json) {
    out.put("{\"latitude\":").json(lat).put(",\"longitude\":").json(lon);
    out.put(",\"zone\":").integer(z.zone).put(",\"hemisphere\":\"").put(hemisphereName(z.north));
    out.put("\",\"band\":\"").put(gridlot::UTMZone::ComputeUTMZoneLetter(lat)).put("\"}");
  } else {
    out.fixed(a, fmt.degreeDecimals).put(' ').fixed(b, fmt.degreeDecimals);
  }
  return true;
}

} // namespace

int runUtm(const UtmOptions &o) {
  const UtmFormat fmt{o.mode.json, o.lonlat, o.precision, o.precision + 5};
  auto record = [&](const std::string_view *f, int n, Cursor &out, std::string &message) {
    return o.inverse ? inverseRecord(f, n, fmt, out, message)
                     : forwardRecord(f, n, fmt, out, message);
  };
  return convertRecords<4>("utm", o.values, o.mode, record);
}

} // namespace orrery::tool
