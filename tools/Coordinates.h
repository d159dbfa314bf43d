#pragma once

// Angles, positions and grid zones as people type them, and angles written
// back in degrees, minutes and seconds. Shared by every subcommand that reads
// a place, so that they all accept the same forms and refuse the same
// values with the same words.
//
// Angles: signed decimal degrees ("-33.9"), a hemisphere letter before or
// after the number ("33.9S", "S33.9", "7.985E"), or degrees, minutes and
// seconds ("46d33'29\"N", "46:33:29N", "46°33′29″N", "46d33.5'"; minutes
// and seconds below 60, a fraction on the last part only). A letter and a
// sign together are refused.
//
// Positions are latitude before longitude unless the caller asks for
// longitude first; two angles that both carry hemisphere letters may come
// in either order. Longitudes from -540 to 540 degrees are accepted and
// those beyond ±180 are shifted by 360 into [-180, 180].

#include "tools/Text.h"

#include "math/Grid.h"

#include <string>
#include <string_view>

namespace orrery::tool {

struct Angle {
  double degrees = 0.0; // signed
  char hemisphere = 0;  // 'N', 'S', 'E' or 'W' when a letter was given
};

// One angle; false with a message naming name otherwise.
bool parseAngle(std::string_view token, std::string_view name, Angle &angle, std::string &message);

struct LatLon {
  double latitude;
  double longitude; // wrapped into [-180, 180]
};

// A latitude (-90 to 90) and a longitude (-540 to 540, wrapped) from two
// fields; lonlat takes the longitude first when no letters decide.
bool parseLatLon(std::string_view first, std::string_view second, bool lonlat, LatLon &position,
                 std::string &message);

// The longitude wrapped into [-180, 180], or false with a message when it
// lies outside -540 to 540 degrees.
bool wrapLongitude(double &longitude, std::string_view name, std::string &message);

// "56.3°N", "33.9°S", "0°" with the given decimals, for messages.
std::string latitudeText(double latitude, int decimals);

// The record "LAT LON" (or "LON LAT" with lonlat): exactly two fields.
bool readPosition(const std::string_view *fields, int count, bool lonlat, LatLon &position,
                  std::string &message);

// Writes "LAT LON" (or the other way with lonlat) with decimals each.
void putLatLon(Cursor &out, bool lonlat, int decimals, double latitude, double longitude);

// "north" or "south", as JSON names a hemisphere.
const char *hemisphereName(bool north);

// A grid zone as written (the library reads it, see orrery::ParseGridZone):
// a UTM zone with either a hemisphere ("34s", "34 s", "34 south") or a
// latitude band letter ("32T", "32 T"), or the polar grid (UPS): zone 0 with a
// hemisphere or a polar band letter ("0 Z", "0n"), or the hemisphere or polar
// band alone ("n", "Z"), as GeoConvert writes it. Upper-case N and S after a
// zone number are bands unless letters reads them as hemispheres, as
// GeoConvert does. number and letter are the zone's two parts, apart or
// split off one field.
bool parseZoneDesignator(std::string_view number, std::string_view letter, GridZoneLetters letters,
                         GridZoneDesignator &zone, std::string &message);

// A grid position as written: the zone first ("32 T 422200 5156548", "32T
// 422200 5156548", "n 2096454 1452981") or last, as GeoConvert also reads it
// ("422200 5156548 32n"). false with a message, naming a wrong count as such.
struct GridFields {
  GridZoneDesignator zone;
  std::string_view easting;
  std::string_view northing;
};
bool parseGridFields(const std::string_view *fields, int count, GridZoneLetters letters,
                     GridFields &grid, std::string &message);

// The latitude with the fewest decimals (at least 1) that still reads as
// outside [lo, hi], for messages about a latitude just past an edge.
std::string latitudeOutside(double latitude, double lo, double hi);

// An angle's magnitude split into whole units, minutes and the last part in
// units of 10^-decimals, rounded once and carried: 59.99999999 degrees at 3
// decimals of seconds is 60° 00' 00.000". The last part rounds as every
// number the command prints (kTieRule).
struct Sexagesimal {
  long long whole = 0;
  long long minutes = 0;
  long long ticks = 0; // seconds (or minutes) × 10^decimals
  long long scale = 1; // 10^decimals
};
Sexagesimal roundSexagesimal(double whole, double minutes, double seconds, int decimals);
Sexagesimal roundMinutes(double whole, double minutes, int decimals);

// ticks / scale as "SS.fff" with at least two digits before the point.
std::string tickText(const Sexagesimal &s);

} // namespace orrery::tool
