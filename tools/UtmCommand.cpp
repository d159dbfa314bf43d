// orrery utm: latitude/longitude to UTM and back, one position per argument
// list or per input line.

#include "tools/Commands.h"
#include "tools/Stream.h"
#include "tools/Text.h"

#include "math/UTMZone.h"

#include <string_view>

namespace orrery::tool {

namespace {

constexpr double kMinLatitude = -80.0; // lowest latitude of the UTM bands
constexpr double kMaxLatitude = 84.0;  // highest
constexpr const char *kBandLetters = "CDEFGHJKLMNPQRSTUVWX";

struct UtmFormat {
  bool json;
  int metreDecimals;
  int degreeDecimals;
};

std::string numberExpected(std::string_view name, std::string_view unit, std::string_view got) {
  return std::string(name) + ": expected a number in " + std::string(unit) + ", got " + quoted(got);
}

// One position, "LAT LON", to "ZONE LETTER EASTING NORTHING".
bool forwardRecord(const std::string_view *f, int n, const UtmFormat &fmt, Cursor &out,
                   std::string &message) {
  if (n != 2) {
    message = fieldsExpected("LAT LON (degrees)", n);
    return false;
  }
  const auto lat = parseNumber(f[0]);
  if (!lat) {
    message = numberExpected("LAT", "degrees", f[0]);
    return false;
  }
  const auto lon = parseNumber(f[1]);
  if (!lon) {
    message = numberExpected("LON", "degrees", f[1]);
    return false;
  }
  if (*lat < kMinLatitude || *lat > kMaxLatitude) {
    message = "LAT: " + std::string(f[0]) + " is outside the UTM bands, -80 to 84 degrees";
    return false;
  }
  if (*lon < -180.0 || *lon > 180.0) {
    message = "LON: " + std::string(f[1]) + " is outside -180 to 180 degrees";
    return false;
  }
  const gridlot::UTMZone zone(*lat, *lon);
  double easting = 0.0;
  double northing = 0.0;
  zone.LatLongToUTM(*lat, *lon, &easting, &northing);
  if (fmt.json) {
    out.put("{\"zone\":").integer(zone.getZoneNumber()).put(",\"letter\":\"");
    out.put(zone.getZoneLetter()).put("\",\"easting\":").json(easting);
    out.put(",\"northing\":").json(northing).put('}');
  } else {
    out.integer(zone.getZoneNumber()).put(' ').put(zone.getZoneLetter()).put(' ');
    out.fixed(easting, fmt.metreDecimals).put(' ').fixed(northing, fmt.metreDecimals);
  }
  return true;
}

// One UTM position, "ZONE LETTER EASTING NORTHING" or "ZONELETTER EASTING
// NORTHING", to "LAT LON".
bool inverseRecord(const std::string_view *f, int n, const UtmFormat &fmt, Cursor &out,
                   std::string &message) {
  std::string_view zoneText;
  std::string_view letterText;
  int first = 0; // index of the easting
  if (n == 4) {
    zoneText = f[0];
    letterText = f[1];
    first = 2;
  } else if (n == 3 && !f[0].empty()) {
    zoneText = f[0].substr(0, f[0].size() - 1);
    letterText = f[0].substr(f[0].size() - 1);
    first = 1;
  } else {
    message = fieldsExpected("ZONE LETTER EASTING NORTHING", n);
    return false;
  }
  const auto zone = parseInteger(zoneText);
  if (!zone || *zone < 1 || *zone > 60) {
    message = "ZONE: expected a zone number from 1 to 60, got " + quoted(zoneText);
    return false;
  }
  char letter = letterText.size() == 1 ? letterText[0] : '\0';
  if (letter >= 'a' && letter <= 'z') {
    letter = static_cast<char>(letter - 'a' + 'A');
  }
  if (letter == '\0' || std::string_view(kBandLetters).find(letter) == std::string_view::npos) {
    message = "LETTER: expected a UTM band letter C to X (not I or O), got " + quoted(letterText);
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
  const gridlot::UTMZone utm(static_cast<unsigned char>(*zone), letter);
  double lat = 0.0;
  double lon = 0.0;
  utm.UTMToLatLong(*easting, *northing, &lat, &lon);
  if (fmt.json) {
    out.put("{\"latitude\":").json(lat).put(",\"longitude\":").json(lon).put('}');
  } else {
    out.fixed(lat, fmt.degreeDecimals).put(' ').fixed(lon, fmt.degreeDecimals);
  }
  return true;
}

} // namespace

int runUtm(const UtmOptions &o) {
  const UtmFormat fmt{o.json, o.precision, o.precision + 5};
  auto record = [&](const std::string_view *f, int n, Cursor &out, std::string &message) {
    return o.inverse ? inverseRecord(f, n, fmt, out, message)
                     : forwardRecord(f, n, fmt, out, message);
  };
  return convertRecords<4>("utm", o.values, o.strict, record);
}

} // namespace orrery::tool
