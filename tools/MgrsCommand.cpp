// orrery mgrs: latitude and longitude to MGRS references and back, one
// position (or reference) per argument list or per input line.

#include "tools/Commands.h"
#include "tools/Coordinates.h"
#include "tools/Json.h"
#include "tools/Options.h"
#include "tools/Stream.h"
#include "tools/Text.h"

#include "math/Grid.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <string_view>

namespace orrery::tool {

namespace {

struct MgrsSettings {
  bool json;
  bool lonlat;
  bool corner;
  int digits;
  int degreeDecimals;
};

// "LAT LON" to the MGRS reference of the cell holding it.
bool mgrsForward(const std::string_view *fields, int count, const MgrsSettings &settings,
                 Cursor &out, std::string &message) {
  LatLon p{};
  if (!readPosition(fields, count, settings.lonlat, p, message)) {
    return false;
  }
  const MgrsReference r = LatLonToMgrs(p.latitude, p.longitude, settings.digits);
  if (r.error != GridError::None) {
    message = GridErrorText(r.error);
    return false;
  }
  if (settings.json) {
    JsonWriter(out).beginObject().string("mgrs", r.text).endObject();
  } else {
    out.put(r.text);
  }
  return true;
}

// A grid zone with its band and no square ("32T", "Z").
bool gridZoneOnly(std::string_view reference) {
  const GridZoneDesignator z = ParseGridZone(reference);
  return z.error == GridError::None && z.band != '\0';
}

// The most parts an MGRS reference may be written in; a line with more fields
// is refused before any is read.
constexpr int kMgrsMaxParts = 8;

// An MGRS reference (its parts may be apart: "32T MS 22200 56548") to the
// latitude and longitude of its cell's centre, or south-west corner.
bool mgrsInverse(const std::string_view *fields, int count, const MgrsSettings &settings,
                 Cursor &out, std::string &message) {
  if (count < 1 || count > kMgrsMaxParts) {
    message = fieldsExpected("an MGRS REFERENCE (e.g. 32TMS2220056548)", count);
    return false;
  }
  char text[64];
  std::size_t size = 0;
  for (int i = 0; i < count; ++i) {
    if (size + fields[i].size() > sizeof text) {
      message = "REFERENCE: too long for an MGRS reference";
      return false;
    }
    fields[i].copy(text + size, fields[i].size());
    size += fields[i].size();
  }
  const std::string_view reference(text, size);
  const MgrsSquare sq = gridZoneOnly(reference) ? GridZonePoint(ParseGridZone(reference))
                                                : MgrsToGrid(reference, !settings.corner);
  if (sq.error != GridError::None) {
    message = "REFERENCE: " + tool::quoted(reference) + ": " + GridErrorText(sq.error);
    return false;
  }
  const GeoPosition q = GridToLatLon(sq.zone, sq.north, sq.easting, sq.northing);
  if (q.error != GridError::None) {
    message = "REFERENCE: " + tool::quoted(reference) + ": " + GridErrorText(q.error);
    return false;
  }
  if (settings.json) {
    JsonWriter j(out);
    j.beginObject().number("latitude", q.latitude).number("longitude", q.longitude);
    j.integer("zone", sq.zone);
    jsonBand(j, sq.band);
    j.string("hemisphere", hemisphereName(sq.north));
    j.number("easting", sq.easting).number("northing", sq.northing);
    j.integer("digits", sq.digits).endObject();
    return true;
  }
  putLatLon(out, settings.lonlat, settings.degreeDecimals, q.latitude, q.longitude);
  return true;
}

} // namespace

int runMgrs(const MgrsOptions &o) {
  const MgrsSettings settings{o.mode.json, o.lonlat, o.corner, o.precision, o.precision + 3};
  if (o.corner && !o.inverse) {
    throw UsageError("--corner goes with --inverse");
  }
  auto record = [&](const std::string_view *fields, int count, Cursor &out, std::string &message) {
    return o.inverse ? mgrsInverse(fields, count, settings, out, message)
                     : mgrsForward(fields, count, settings, out, message);
  };
  return convertRecords<kMgrsMaxParts>("mgrs", o.values, o.mode, record);
}

namespace {

std::function<int()> attachMgrs(CLI::App *sub, std::vector<std::string> *&values) {
  auto o = std::make_shared<MgrsOptions>();
  addValues(sub, o->values, "LAT LON, or REFERENCE");
  sub->add_flag("-i,--inverse", o->inverse,
                "Convert an MGRS reference to latitude and "
                "longitude");
  sub->add_flag("--corner", o->corner, "With --inverse: the cell's south-west corner");
  sub->add_flag("--lonlat", o->lonlat, "Longitude before latitude, in and out");
  addStream(sub, o->mode,
            "Write JSON: mgrs (inverse: latitude, longitude, zone, band, hemisphere, easting, "
            "northing, digits); one object a line when streaming");
  addPrecision(sub, o->precision, kMaxMgrsDigits,
               "Digits per coordinate (inverse: degrees get 3 more decimals); default 5",
               "1 micrometre");
  values = &o->values;
  return [o] { return runMgrs(*o); };
}

} // namespace

const Command kMgrsCommand{
    "mgrs", "Latitude and longitude to MGRS references and back",
    "LAT LON (degrees) gives the MGRS reference of the cell that holds the position, UTM "
    "from 80 S to 84 N and UPS beyond, with -p digits of easting and of northing (0 for the "
    "100 km square, 5 for 1 m, 11 for 1 micrometre; GeoConvert -m -p P writes P + 5). The "
    "coordinates are truncated toward the cell's south-west corner. --inverse takes a "
    "REFERENCE (its parts may be apart: 32T MS 22200 56548; letters in either case) and "
    "gives the latitude and longitude of the cell's centre, or with --corner of its "
    "south-west corner, to -p + 3 decimals. A grid zone alone (32T, Z) gives the point "
    "GeoConvert gives for it: the band's middle on the central meridian, rounded to 100 km. "
    "A reference with a letter or square that does not exist, or with digit groups of "
    "unequal length, is an error. Without values, "
    "converts standard input line by line (see orrery --help).",
    "  $ orrery mgrs 46.558 7.985 -p 5\n"
    "  32TMS2220056548\n"
    "  $ orrery mgrs --inverse 32TMS2220056548\n"
    "  46.55799976 7.98500386\n"
    "  $ orrery mgrs 85 10 -p 2\n"
    "  ZAB9652\n"
    "  $ printf '32TMS2220056548\\n32TMS223\\n' | orrery mgrs --inverse 2>/dev/null\n"
    "  46.55799976 7.98500386\n"
    "  ERROR: REFERENCE: '32TMS223': MGRS easting and northing digits differ in number",
    attachMgrs};

} // namespace orrery::tool
