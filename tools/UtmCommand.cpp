// orrery utm and orrery mgrs: latitude and longitude to UTM/UPS grid
// coordinates or MGRS references and back, one position per argument list or
// per input line.

#include "tools/Commands.h"
#include "tools/Coordinates.h"
#include "tools/Stream.h"
#include "tools/Text.h"

#include "math/Elementary.h"
#include "math/Grid.h"
#include "math/UTMZone.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace orrery::tool {

namespace {

constexpr double kMinLatitude = -80.0; // lowest latitude of the UTM bands
constexpr double kMaxLatitude = 84.0;  // highest
// A band letter may miss its band by the rounding of the easting and
// northing given plus the projection's own error: a micrometre covers the
// exact projection's nanometres with room; the viewer's series is off by up
// to 0.13 m (1.2e-6 degrees) at the widened zones' far corners.
constexpr double kExactSlackMetres = 1e-6;
constexpr double kSeriesSlackMetres = 0.25;
constexpr double kMetresPerDegree = 110000.0; // a little under the shortest degree of latitude

struct UtmFormat {
  bool json;
  bool lonlat;
  bool viewerSeries;
  bool convergence;
  int zone; // kStandardZone, or the zone forced (0 UPS)
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

// Convergence and scale after the other values: degrees to the printed
// degree decimals, the scale to two more (as GeoConvert -c), at most 15.
void putConvergence(Cursor &out, const UtmFormat &fmt, double convergence, double scale) {
  if (fmt.json) {
    out.put(",\"convergence\":").json(convergence).put(",\"scale\":").json(scale);
  } else {
    out.put(' ').fixed(convergence, fmt.degreeDecimals);
    out.put(' ').fixed(scale, std::min(fmt.degreeDecimals + 2, 15));
  }
}

// "LAT LON" (or the other way with --lonlat), or the start of a JSON object
// with both.
void putLatLon(Cursor &out, bool json, bool lonlat, int decimals, double lat, double lon) {
  if (json) {
    out.put("{\"latitude\":").json(lat).put(",\"longitude\":").json(lon);
  } else {
    out.fixed(lonlat ? lon : lat, decimals).put(' ').fixed(lonlat ? lat : lon, decimals);
  }
}

// The record "LAT LON" (or "LON LAT").
bool readPosition(const std::string_view *f, int n, bool lonlat, LatLon &p, std::string &message) {
  if (n != 2) {
    message = fieldsExpected(lonlat ? "LON LAT (degrees)" : "LAT LON (degrees)", n);
    return false;
  }
  return parseLatLon(f[0], f[1], lonlat, p, message);
}

// The band letter of a position the inverse found.
char bandOf(int zone, bool north, double latitude, double easting) {
  if (zone == kUpsZone) {
    const bool east = easting >= 2000000.0;
    return north ? (east ? 'Z' : 'Y') : (east ? 'B' : 'A');
  }
  return gridlot::UTMZone::ComputeUTMZoneLetter(latitude);
}

// The viewer's series, for --viewer-series: standard UTM bands only, the
// zone forced as the caller asks.
bool seriesForward(const LatLon &p, const UtmFormat &fmt, GridPosition &g, std::string &message) {
  if (p.latitude < kMinLatitude || p.latitude > kMaxLatitude) {
    TextLine t;
    t->shortest(p.latitude);
    message = "LAT: " + t.str() + " is outside the UTM bands, -80 to 84 degrees";
    return false;
  }
  const gridlot::UTMZone zone =
      fmt.zone > 0 ? gridlot::UTMZone(static_cast<unsigned char>(fmt.zone),
                                      gridlot::UTMZone::ComputeUTMZoneLetter(p.latitude))
                   : gridlot::UTMZone(p.latitude, p.longitude);
  zone.LatLongToUTM(p.latitude, p.longitude, &g.easting, &g.northing);
  g.zone = zone.getZoneNumber();
  g.band = zone.getZoneLetter();
  g.north = p.latitude >= 0;
  if (!std::isfinite(g.easting) || !std::isfinite(g.northing)) {
    message = "no finite projection of this position";
    return false;
  }
  return true;
}

// One position, "LAT LON", to "ZONE BAND EASTING NORTHING" (zone 0 and band
// A, B, Y or Z on the polar grid).
bool forwardRecord(const std::string_view *f, int n, const UtmFormat &fmt, Cursor &out,
                   std::string &message) {
  LatLon p{};
  if (!readPosition(f, n, fmt.lonlat, p, message)) {
    return false;
  }
  GridPosition g{};
  if (fmt.viewerSeries) {
    if (!seriesForward(p, fmt, g, message)) {
      return false;
    }
  } else {
    g = LatLonToGrid(p.latitude, p.longitude, fmt.zone);
    if (g.error != GridError::None) {
      message = std::string(fmt.zone == kStandardZone ? "" : "--zone: ") + GridErrorText(g.error);
      return false;
    }
  }
  if (fmt.json) {
    out.put("{\"zone\":").integer(g.zone).put(",\"band\":\"");
    out.put(g.band).put("\",\"hemisphere\":\"").put(hemisphereName(g.north));
    out.put("\",\"easting\":").json(g.easting).put(",\"northing\":").json(g.northing);
  } else {
    out.integer(g.zone).put(' ').put(g.band).put(' ');
    out.fixed(g.easting, fmt.metreDecimals).put(' ').fixed(g.northing, fmt.metreDecimals);
  }
  if (fmt.convergence) {
    putConvergence(out, fmt, g.convergence, g.scale);
  }
  if (fmt.json) {
    out.put('}');
  }
  return true;
}

// One grid position, "ZONE LETTER EASTING NORTHING" or "ZONELETTER EASTING
// NORTHING" (or GeoConvert's polar "n EASTING NORTHING"), to "LAT LON". The
// letter is a hemisphere (n, s) or a band, and a band must hold the latitude
// (or, on the polar grid, the side of the pole) found.
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
  if (z.zone != kUpsZone && (*easting <= 0.0 || *easting >= 1000000.0)) {
    message = "EASTING: " + std::string(f[first]) + " is outside 0 to 1000000 metres";
    return false;
  }
  if (z.zone != kUpsZone && (*northing < 0.0 || *northing > 10000000.0)) {
    message = "NORTHING: " + std::string(f[first + 1]) + " is outside 0 to 10000000 metres";
    return false;
  }
  GeoPosition q{};
  if (fmt.viewerSeries) {
    if (z.zone == kUpsZone) {
      message = "the viewer's series has no polar grid (UPS); drop --viewer-series";
      return false;
    }
    const gridlot::UTMZone utm(static_cast<unsigned char>(z.zone),
                               z.band != 0 ? z.band : (z.north ? 'N' : 'M'));
    utm.UTMToLatLong(*easting, *northing, &q.latitude, &q.longitude);
    if (!std::isfinite(q.latitude) || !std::isfinite(q.longitude)) {
      message = "no finite inverse of this grid position";
      return false;
    }
  } else {
    q = GridToLatLon(z.zone, z.north, *easting, *northing);
    if (q.error != GridError::None) {
      message = "EASTING NORTHING: " + std::string(GridErrorText(q.error));
      return false;
    }
  }
  const int decimals = std::min(decimalsOf(f[first]), decimalsOf(f[first + 1]));
  const double slack = 0.5 * elementary::pow(10.0, -decimals) +
                       (fmt.viewerSeries ? kSeriesSlackMetres : kExactSlackMetres);
  if (z.zone == kUpsZone
          ? !checkPolarBand(z, f[first], *easting, slack, message)
          : !checkGridLatitude(z, f[first + 1], q.latitude, slack / kMetresPerDegree, message)) {
    return false;
  }
  if (!wrapLongitude(q.longitude, "LON", message)) {
    return false;
  }
  putLatLon(out, fmt.json, fmt.lonlat, fmt.degreeDecimals, q.latitude, q.longitude);
  if (fmt.json) {
    out.put(",\"zone\":").integer(z.zone).put(",\"hemisphere\":\"").put(hemisphereName(z.north));
    out.put("\",\"band\":\"").put(bandOf(z.zone, z.north, q.latitude, *easting)).put('"');
  }
  if (fmt.convergence) {
    putConvergence(out, fmt, q.convergence, q.scale);
  }
  if (fmt.json) {
    out.put('}');
  }
  return true;
}

// --zone: a zone number, or 0 or "ups" for the polar grid.
int forcedZone(const std::string &text) {
  if (text.empty()) {
    return kStandardZone;
  }
  if (text == "ups" || text == "UPS") {
    return kUpsZone;
  }
  const auto n = parseInteger(text);
  if (!n || *n < 0 || *n > 60) {
    throw UsageError("--zone: expected a zone from 1 to 60, or 0 or ups for the polar grid, got " +
                     quoted(text));
  }
  return static_cast<int>(*n);
}

struct MgrsFormat {
  bool json;
  bool lonlat;
  bool corner;
  int digits;
  int degreeDecimals;
};

// "LAT LON" to the MGRS reference of the cell holding it.
bool mgrsForward(const std::string_view *f, int n, const MgrsFormat &fmt, Cursor &out,
                 std::string &message) {
  LatLon p{};
  if (!readPosition(f, n, fmt.lonlat, p, message)) {
    return false;
  }
  const MgrsReference r = LatLonToMgrs(p.latitude, p.longitude, fmt.digits);
  if (r.error != GridError::None) {
    message = GridErrorText(r.error);
    return false;
  }
  if (fmt.json) {
    out.put("{\"mgrs\":\"").put(r.text).put("\"}");
  } else {
    out.put(r.text);
  }
  return true;
}

// The most parts an MGRS reference may be written in; a line with more fields
// is refused before any is read.
constexpr int kMgrsMaxParts = 8;

// An MGRS reference (its parts may be apart: "32T MS 22200 56548") to the
// latitude and longitude of its cell's centre, or south-west corner.
bool mgrsInverse(const std::string_view *f, int n, const MgrsFormat &fmt, Cursor &out,
                 std::string &message) {
  if (n < 1 || n > kMgrsMaxParts) {
    message = fieldsExpected("an MGRS REFERENCE (e.g. 32TMS2220056548)", n);
    return false;
  }
  char text[64];
  std::size_t size = 0;
  for (int i = 0; i < n; ++i) {
    if (size + f[i].size() > sizeof text) {
      message = "REFERENCE: too long for an MGRS reference";
      return false;
    }
    f[i].copy(text + size, f[i].size());
    size += f[i].size();
  }
  const std::string_view reference(text, size);
  const MgrsSquare sq = MgrsToGrid(reference, !fmt.corner);
  if (sq.error != GridError::None) {
    message = "REFERENCE: " + quoted(reference) + ": " + GridErrorText(sq.error);
    return false;
  }
  const GeoPosition q = GridToLatLon(sq.zone, sq.north, sq.easting, sq.northing);
  if (q.error != GridError::None) {
    message = "REFERENCE: " + quoted(reference) + ": " + GridErrorText(q.error);
    return false;
  }
  putLatLon(out, fmt.json, fmt.lonlat, fmt.degreeDecimals, q.latitude, q.longitude);
  if (fmt.json) {
    out.put(",\"zone\":").integer(sq.zone).put(",\"band\":\"").put(sq.band);
    out.put("\",\"hemisphere\":\"").put(hemisphereName(sq.north)).put("\",\"easting\":");
    out.json(sq.easting).put(",\"northing\":").json(sq.northing);
    out.put(",\"digits\":").integer(sq.digits).put('}');
  }
  return true;
}

} // namespace

int runUtm(const UtmOptions &o) {
  const UtmFormat fmt{o.mode.json,        o.lonlat,    o.viewerSeries, o.convergence,
                      forcedZone(o.zone), o.precision, o.precision + 5};
  if (o.viewerSeries && (o.convergence || fmt.zone == kUpsZone)) {
    throw UsageError(o.convergence ? "--convergence needs the exact projection; drop "
                                     "--viewer-series"
                                   : "the viewer's series has no polar grid (UPS)");
  }
  if (o.inverse && fmt.zone != kStandardZone) {
    throw UsageError(
        "--zone forces the zone of LAT LON; the inverse reads the zone from its input");
  }
  auto record = [&](const std::string_view *f, int n, Cursor &out, std::string &message) {
    return o.inverse ? inverseRecord(f, n, fmt, out, message)
                     : forwardRecord(f, n, fmt, out, message);
  };
  return convertRecords<4>("utm", o.values, o.mode, record);
}

int runMgrs(const MgrsOptions &o) {
  const MgrsFormat fmt{o.mode.json, o.lonlat, o.corner, o.precision, o.precision + 3};
  if (o.corner && !o.inverse) {
    throw UsageError("--corner goes with --inverse");
  }
  auto record = [&](const std::string_view *f, int n, Cursor &out, std::string &message) {
    return o.inverse ? mgrsInverse(f, n, fmt, out, message) : mgrsForward(f, n, fmt, out, message);
  };
  return convertRecords<kMgrsMaxParts>("mgrs", o.values, o.mode, record);
}

} // namespace orrery::tool
