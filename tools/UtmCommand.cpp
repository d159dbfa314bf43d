// orrery utm: latitude and longitude to UTM/UPS grid coordinates and back,
// one position per argument list or per input line.

#include "tools/Commands.h"
#include "tools/Coordinates.h"
#include "tools/Json.h"
#include "tools/Options.h"
#include "tools/Stream.h"
#include "tools/Text.h"

#include "math/Elementary.h"
#include "math/Grid.h"
#include "math/UTMZone.h"
#include "math/detail/Angles.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include <cmath>
#include <functional>
#include <memory>
#include <string_view>

namespace orrery::tool {

namespace {

// The viewer's series is off by up to 0.13 m at the widened zones' far
// corners: its band check allows that on top of the printed decimals.
constexpr double kSeriesSlackMetres = 0.25;

// How utm reads and writes, from its options.
struct UtmSettings {
  bool json;
  bool lonlat;
  bool viewerSeries;
  bool convergence;
  bool hemisphereForm;     // write 32n rather than 32 T
  GridZoneLetters letters; // how 32N and 32S read
  int zone;                // kStandardZone, or the zone forced (0 UPS)
  int forcedNorth;         // -1, or the hemisphere forced with the zone
  int metreDecimals;
  int degreeDecimals;
};

std::string numberExpected(std::string_view name, std::string_view unit, std::string_view got) {
  return std::string(name) + ": expected a number in " + std::string(unit) + ", got " +
         tool::quoted(got);
}

// Half a unit in the last decimal of a number as written.
double halfUnitOf(std::string_view text) {
  const std::size_t point = text.find('.');
  int decimals = 0;
  for (std::size_t i = point + 1; point != std::string_view::npos && i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') {
      break;
    }
    ++decimals;
  }
  return 0.5 * elementary::pow(10.0, -decimals);
}

// Convergence and scale after the other values: degrees to the printed
// degree decimals, the scale to two more (as GeoConvert -c), at most 15.
void putConvergence(Cursor &out, const UtmSettings &settings, double convergence, double scale) {
  out.put(' ').fixed(convergence, settings.degreeDecimals);
  out.put(' ').fixed(scale, std::min(settings.degreeDecimals + 2, 15));
}

// The viewer's series, for --viewer-series: standard UTM bands only, the
// zone forced as the caller asks.
bool seriesForward(const LatLon &p, const UtmSettings &settings, GridPosition &g,
                   std::string &message) {
  const char band = UtmBand(p.latitude);
  if (band == 0) {
    LineBuffer t;
    t->shortest(p.latitude);
    message = "LAT: " + t.str() + " is outside the UTM bands, -80 to 84 degrees";
    return false;
  }
  const gridlot::UTMZone zone =
      settings.zone > 0 ? gridlot::UTMZone(static_cast<unsigned char>(settings.zone), band)
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

// The exact projection into the standard or forced zone, and into the forced
// hemisphere's grid (a UTM northing carried across the equator, as far as the
// grid reaches).
bool exactForward(const LatLon &p, const UtmSettings &settings, GridPosition &g,
                  std::string &message) {
  g = LatLonToGrid(p.latitude, p.longitude, settings.zone);
  const char *prefix = settings.zone == kStandardZone ? "" : "--zone: ";
  if (g.error != GridError::None) {
    message = prefix + std::string(GridErrorText(g.error));
    return false;
  }
  if (settings.forcedNorth >= 0 && g.north != (settings.forcedNorth == 1)) {
    if (g.zone == kUpsZone) {
      message = std::string(prefix) + "the " + hemisphereName(!g.north) +
                " polar grid does not reach the other side of the equator";
      return false;
    }
    g.north = !g.north;
    g.northing += g.north ? -kUtmSouthernFalseNorthing : kUtmSouthernFalseNorthing;
    if (GridToLatLon(g.zone, g.north, g.easting, g.northing).error != GridError::None) {
      message = prefix + std::string(GridErrorText(GridError::OutsideZone));
      return false;
    }
  }
  return true;
}

// One position, "LAT LON", to "ZONE BAND EASTING NORTHING" (zone 0 and band
// A, B, Y or Z on the polar grid), or to GeoConvert's "32n EASTING NORTHING"
// ("n" alone on the polar grid) when asked, when the zone is forced with its
// hemisphere, or when the latitude lies outside the bands of a forced UTM zone.
bool forwardRecord(const std::string_view *fields, int count, const UtmSettings &settings,
                   Cursor &out, std::string &message) {
  LatLon p{};
  if (!readPosition(fields, count, settings.lonlat, p, message)) {
    return false;
  }
  GridPosition g{};
  if (settings.viewerSeries ? !seriesForward(p, settings, g, message)
                            : !exactForward(p, settings, g, message)) {
    return false;
  }
  const bool hasBand = g.zone == kUpsZone || UtmBand(p.latitude) != 0;
  const bool hemisphereForm = settings.hemisphereForm || settings.forcedNorth >= 0 || !hasBand;
  if (settings.json) {
    JsonWriter j(out);
    j.beginObject().integer("zone", g.zone);
    jsonBand(j, hasBand ? g.band : '\0');
    j.string("hemisphere", hemisphereName(g.north));
    j.number("easting", g.easting).number("northing", g.northing);
    if (settings.convergence) {
      j.number("convergence", g.convergence).number("scale", g.scale);
    }
    j.endObject();
    return true;
  }
  if (!hemisphereForm) {
    out.integer(g.zone).put(' ').put(g.band).put(' ');
  } else {
    const GridZoneText zone = FormatGridZone({GridError::None, g.zone, g.north, '\0'});
    out.put(g.zone > 0 && g.zone < 10 ? "0" : "").put(zone.text).put(' ');
  }
  out.fixed(g.easting, settings.metreDecimals).put(' ');
  out.fixed(g.northing, settings.metreDecimals);
  if (settings.convergence) {
    putConvergence(out, settings, g.convergence, g.scale);
  }
  return true;
}

// The latitude found must lie in the band named, or on a polar band's side
// of the pole, give or take what the printed decimals of the easting and
// northing hide and the projection's own error (CheckGridBand).
bool checkBand(const GridFields &grid, double easting, const GeoPosition &found, double slackMetres,
               std::string &message) {
  const GridZoneDesignator &z = grid.zone;
  const double uncertainty =
      std::max(halfUnitOf(grid.easting), halfUnitOf(grid.northing)) + slackMetres;
  if (CheckGridBand(z, easting, found, uncertainty) == GridError::None) {
    return true;
  }
  if (z.zone == kUpsZone) {
    const bool west = z.band == 'A' || z.band == 'Y';
    message = std::string("polar band ") + z.band + " lies " + (west ? "west" : "east") +
              " of the pole, eastings " + (west ? "below" : "from") + " 2000000, but easting " +
              std::string(grid.easting) + " is " + (west ? "east" : "west") + " of it; write " +
              UpsBand(z.north, easting) + ", or " + (z.north ? "n" : "s") +
              " to name the hemisphere instead";
    return false;
  }
  const GridLatitudeRange band = GridBandLatitudes(z.band);
  const double allowance = GridBandAllowance(uncertainty, found.convergence);
  const std::string zone = std::to_string(z.zone);
  const char in = UtmBand(found.latitude);
  message = "band " + std::string(1, z.band) + " is " + latitudeText(band.south, 0) + " to " +
            latitudeText(band.north, 0) + " but northing " + std::string(grid.northing) +
            " lies at " +
            latitudeOutside(found.latitude, band.south - allowance, band.north + allowance);
  if (in != 0) {
    message += std::string(", in band ") + in;
  }
  if (z.band == 'S' || z.band == 'N') {
    // The letters that also name a hemisphere: most likely meant as one.
    message += std::string("; for the ") + (z.band == 'S' ? "southern" : "northern") +
               " hemisphere write " + zone + (z.band == 'S' ? "s" : "n");
  } else {
    message += "; write " + (in != 0 ? zone + in + ", or " : std::string()) + zone +
               (z.north ? "n" : "s") + " to name the hemisphere instead of a band";
  }
  return false;
}

// Tells once on standard error that 32S was read as band S where GeoConvert
// reads the southern hemisphere and that reading names a point too.
void noteBandS(const GridFields &grid, double easting, double northing) {
  static bool told = false;
  if (told || grid.zone.band != 'S' ||
      GridToLatLon(grid.zone.zone, false, easting, northing).error != GridError::None) {
    return;
  }
  told = true;
  const GridLatitudeRange band = GridBandLatitudes('S');
  const std::string zone = std::to_string(grid.zone.zone);
  reportError("utm", zone + "S read as band S (" + latitudeText(band.south, 0) + " to " +
                         latitudeText(band.north, 0) + "); write " + zone +
                         "s for the southern hemisphere, or use --hemisphere-letters");
}

// One grid position to "LAT LON": the zone first ("32 T E N", "32T E N",
// GeoConvert's polar "n E N") or last ("E N 32n"). The letter is a hemisphere
// (n, s) or a band, and a band must hold the latitude (or, on the polar grid,
// the side of the pole) found.
bool inverseRecord(const std::string_view *fields, int count, const UtmSettings &settings,
                   Cursor &out, std::string &message) {
  GridFields grid;
  if (!parseGridFields(fields, count, settings.letters, grid, message)) {
    return false;
  }
  const GridZoneDesignator &z = grid.zone;
  const auto easting = parseNumber(grid.easting);
  if (!easting) {
    message = numberExpected("EASTING", "metres", grid.easting);
    return false;
  }
  const auto northing = parseNumber(grid.northing);
  if (!northing) {
    message = numberExpected("NORTHING", "metres", grid.northing);
    return false;
  }
  const GeoPosition exact = GridToLatLon(z.zone, z.north, *easting, *northing);
  if (exact.error != GridError::None) {
    message = "EASTING NORTHING: " + std::string(GridErrorText(exact.error));
    return false;
  }
  GeoPosition q = exact;
  if (settings.viewerSeries) {
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
  }
  if (z.band != 0) {
    const double slack = settings.viewerSeries ? kSeriesSlackMetres : 0.0;
    if (!checkBand(grid, *easting,
                   GeoPosition{q.error, q.latitude, q.longitude, exact.convergence, exact.scale},
                   slack, message)) {
      return false;
    }
    noteBandS(grid, *easting, *northing);
  }
  if (!wrapLongitude(q.longitude, "LON", message)) {
    return false;
  }
  if (settings.json) {
    const char band = z.band != 0          ? z.band
                      : z.zone == kUpsZone ? UpsBand(z.north, *easting)
                                           : UtmBand(q.latitude);
    JsonWriter j(out);
    j.beginObject().number("latitude", q.latitude).number("longitude", q.longitude);
    j.integer("zone", z.zone).string("hemisphere", hemisphereName(z.north));
    jsonBand(j, band);
    if (settings.convergence) {
      j.number("convergence", q.convergence).number("scale", q.scale);
    }
    j.endObject();
    return true;
  }
  putLatLon(out, settings.lonlat, settings.degreeDecimals, q.latitude, q.longitude);
  if (settings.convergence) {
    putConvergence(out, settings, q.convergence, q.scale);
  }
  return true;
}

// --zone: a zone number alone, or with its hemisphere (32n, 32s, n, s), or
// ups for the polar grid.
void forcedZone(const std::string &text, GridZoneLetters letters, int &zone, int &north) {
  zone = kStandardZone;
  north = -1;
  if (text.empty()) {
    return;
  }
  if (text == "ups" || text == "UPS") {
    zone = kUpsZone;
    return;
  }
  if (const auto n = parseInteger(text); n && *n >= 0 && *n <= 60) {
    zone = static_cast<int>(*n);
    return;
  }
  const GridZoneDesignator z = ParseGridZone(text, letters);
  if (z.error == GridError::None && z.band == '\0') {
    zone = z.zone;
    north = z.north ? 1 : 0;
    return;
  }
  throw UsageError("--zone: expected a zone from 1 to 60, or 0 or ups for the polar grid, "
                   "alone or with its hemisphere (32n, 32s, n, s), got " +
                   tool::quoted(text));
}

} // namespace

int runUtm(const UtmOptions &o) {
  const GridZoneLetters letters =
      o.hemisphereLetters ? GridZoneLetters::Hemispheres : GridZoneLetters::Bands;
  UtmSettings settings{o.mode.json,  o.lonlat,       o.viewerSeries, o.convergence,
                       o.hemisphere, letters,        kStandardZone,  -1,
                       o.precision,  o.precision + 5};
  forcedZone(o.zone, letters, settings.zone, settings.forcedNorth);
  if (o.viewerSeries && (o.convergence || settings.zone == kUpsZone)) {
    throw UsageError(o.convergence ? "--convergence needs the exact projection; drop "
                                     "--viewer-series"
                                   : "the viewer's series has no polar grid (UPS)");
  }
  if (o.viewerSeries && settings.forcedNorth >= 0) {
    throw UsageError("the viewer's series takes the hemisphere from the latitude; drop the "
                     "hemisphere from --zone or drop --viewer-series");
  }
  if (o.inverse && settings.zone != kStandardZone) {
    throw UsageError(
        "--zone forces the zone of LAT LON; the inverse reads the zone from its input");
  }
  auto record = [&](const std::string_view *fields, int count, Cursor &out, std::string &message) {
    return o.inverse ? inverseRecord(fields, count, settings, out, message)
                     : forwardRecord(fields, count, settings, out, message);
  };
  return convertRecords<4>("utm", o.values, o.mode, record);
}

namespace {

std::function<int()> attachUtm(CLI::App *sub, std::vector<std::string> *&values) {
  auto o = std::make_shared<UtmOptions>();
  addValues(sub, o->values, "LAT LON, or ZONE LETTER EASTING NORTHING");
  sub->add_flag("-i,--inverse", o->inverse, "Convert UTM/UPS to latitude and longitude");
  sub->add_flag("--lonlat", o->lonlat, "Longitude before latitude, in and out");
  sub->add_option("-z,--zone", o->zone,
                  "Force the zone: 1 to 60, or 0 or ups; with a hemisphere (31n, 31s, n, s) "
                  "also the hemisphere (forward only)");
  sub->add_flag("-c,--convergence", o->convergence,
                "Also write the meridian convergence (degrees) and the point scale");
  sub->add_flag("--viewer-series", o->viewerSeries,
                "The viewer's own UTM series (UTM bands only; forward within 1.04 mm)");
  sub->add_flag("--hemisphere", o->hemisphere,
                "Write the zone with its hemisphere as GeoConvert does (32n, n on the polar "
                "grid) instead of its band");
  sub->add_flag("--hemisphere-letters", o->hemisphereLetters,
                "Read upper-case N and S after a zone as hemispheres, as GeoConvert does, "
                "instead of bands");
  addStream(sub, o->mode,
            "Write JSON: zone, band, hemisphere, easting, northing (inverse: latitude, "
            "longitude, zone, hemisphere, band), and convergence, scale with -c; one object a "
            "line when streaming");
  addPrecision(sub, o->precision, kMaxMetreDecimals,
               "Decimals of metres (degrees get 5 more); default 3", "1e-9 m");
  values = &o->values;
  return [o] { return runUtm(*o); };
}

} // namespace

const Command kUtmCommand{
    "utm", "Latitude and longitude to UTM/UPS grid coordinates and back",
    "LAT LON (degrees) gives ZONE BAND EASTING NORTHING (metres): transverse Mercator (UTM) "
    "from 80 S to 84 N, polar stereographic (UPS, zone 0, bands A and B in the south, Y and "
    "Z in the north, B and Z east of the pole) beyond, exact to a few nanometres as "
    "GeographicLib is; --inverse goes back. --hemisphere writes the zone with its "
    "hemisphere instead, as GeoConvert does (32n 422200.205 5156548.530; n alone on the "
    "polar grid). --zone forces a zone, 1 to 60, or 0 (ups) for the polar grid, and then "
    "reaches past the standard limits as far as the grid does; a zone with a hemisphere "
    "(31n, 31s, n, s) forces the hemisphere too, and such a line, like one whose latitude "
    "lies outside the bands of a forced UTM zone, is written with the hemisphere (32n). "
    "--convergence adds the meridian convergence (degrees, as many decimals as the "
    "inverse's degrees) and the point scale (two more). --viewer-series gives what the "
    "viewer computes instead (its own series, UTM bands only); measured against the exact "
    "projection over all zones, 32V and 31X to 37X included, its eastings and northings "
    "lie within 1.04 mm, and its inverse within 0.42 mm within 3 degrees of the central "
    "meridian and 4.64 cm at the far corner of 32V.\n\n"
    "The inverse reads the zone before the easting and northing or, as GeoConvert also "
    "writes it, after them (422200.205 5156548.530 32n). The zone may be followed by a "
    "hemisphere, lower case n or s (also north, south), joined (34s) or apart (34 s), or by "
    "an upper-case latitude band letter C to X without I and O (32T, 32 T); a polar "
    "position is zone 0 with n, s or its band letter (0 Z, 0n), or the hemisphere alone as "
    "GeoConvert writes it (n 2096454.164 1452981.254). Upper-case N and S are bands (the "
    "military usage) unless --hemisphere-letters reads them as hemispheres (GeoConvert's "
    "usage); where 32S read as the southern hemisphere would also name a point, standard "
    "error says so once. A band must hold the latitude found (a polar band, its side of "
    "the pole), give or take what the printed decimals hide: half a unit in the last "
    "decimal of the easting and of the northing, carried through the grid's convergence "
    "and scale there, plus 1 micrometre (0.25 m with --viewer-series); so every line utm "
    "writes reads back. Otherwise the line is an error naming both. With a hemisphere "
    "every easting and northing of the grid is read, as far as GeoConvert reads them (UTM "
    "northings -9100 to 9600 km in the north, 900 to 19600 km in the south). Without "
    "values, converts standard input line by line (see orrery --help).",
    "  $ orrery utm 45.5 -73.6\n"
    "  18 T 609377.347 5039449.713\n"
    "  $ orrery utm -c 85 10\n"
    "  0 Z 2096454.164 1452981.254 10.00000000 0.9958947917\n"
    "  $ orrery utm 33.9S 18.4E\n"
    "  34 H 259583.222 6245888.045\n"
    "  $ orrery utm --inverse 18 T 609377.347 5039449.713\n"
    "  45.50000000 -73.60000001\n"
    "  $ orrery utm --inverse 34s 259583.222 6245888.045\n"
    "  -33.90000000 18.40000000\n"
    "  $ orrery utm --hemisphere 46.558 7.985\n"
    "  32n 422200.205 5156548.530\n"
    "  $ orrery utm --inverse 422200.205 5156548.530 32n\n"
    "  46.55800000 7.98500000\n"
    "  $ orrery utm -z 32 85 10\n"
    "  32n 509730.142 9439817.327\n"
    "  $ printf '45.5 -73.6\\n# a comment\\n95 0\\n' | orrery utm 2>/dev/null\n"
    "  18 T 609377.347 5039449.713\n"
    "  # a comment\n"
    "  ERROR: LAT: 95 is beyond the poles (-90 to 90 degrees)",
    attachUtm};

} // namespace orrery::tool
